#include "platform/wayland/screencopy.h"

#include <wayland-client.h>

#include "platform/wayland/output_layout.h"
#include "wayland/wlr-screencopy-unstable-v1-client.h"

namespace velmo::platform::wayland {

namespace {

// One frame's answers. The buffer description comes first; with version 3 more descriptions may
// follow until buffer_done, with older versions the first one is the one to copy into.
struct FrameState {
    uint32_t version = 1;
    std::optional<CopiedPixels> shm;
    bool described = false;
    bool ready = false;
    bool failed = false;
};

void on_buffer(void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width, uint32_t height, uint32_t stride)
{
    auto* f = static_cast<FrameState*>(data);
    if (!f->shm && is_readable_format(format))
        f->shm = CopiedPixels { nullptr, { int(width), int(height) }, int(stride), format, 0, false };
    if (f->version < 3)
        f->described = true;
}
void on_flags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags)
{
    auto* f = static_cast<FrameState*>(data);
    if (f->shm)
        f->shm->y_invert = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}
void on_ready(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) { static_cast<FrameState*>(data)->ready = true; }
void on_failed(void* data, zwlr_screencopy_frame_v1*) { static_cast<FrameState*>(data)->failed = true; }
void on_damage(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) { }
void on_dmabuf(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) { }
void on_buffer_done(void* data, zwlr_screencopy_frame_v1*) { static_cast<FrameState*>(data)->described = true; }

const zwlr_screencopy_frame_v1_listener frame_listener { on_buffer, on_flags, on_ready, on_failed, on_damage, on_dmabuf, on_buffer_done };

// Destroys the frame object however the read ends.
struct FrameHandle {
    zwlr_screencopy_frame_v1* frame;
    ~FrameHandle() { zwlr_screencopy_frame_v1_destroy(frame); }
};

}  // namespace

ShmBuffer& ScreenCopier::buffer_for(gfx::Size size, int stride, uint32_t format)
{
    for (size_t i = 0; i < buffers_.size(); ++i)
        if (buffers_[i]->size() == size && buffers_[i]->stride() == stride && buffers_[i]->format() == format) {
            std::rotate(buffers_.begin(), buffers_.begin() + static_cast<std::ptrdiff_t>(i), buffers_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return *buffers_.front();
        }
    // A few sizes are kept: the whole outputs and the picker's small area.
    constexpr size_t kept = 4;
    if (buffers_.size() >= kept)
        buffers_.pop_back();
    buffers_.insert(buffers_.begin(), std::make_unique<ShmBuffer>(connection_.shm(), size, stride, format));
    return *buffers_.front();
}

bool ScreenCopier::read(const Output& output, gfx::Rect area, gfx::Bitmap& out, gfx::Point at)
{
    if (!available() || connection_.lost() || area.is_empty())
        return false;
    gfx::Rect whole_output = gfx::Rect::of({}, output.logical.size());
    // A compositor may place the region of a quarter-turned output at the turned place (sway 1.7
    // does); the whole output, cut here, is right everywhere.
    if (output.transform % 2 == 1 && area != whole_output) {
        gfx::Bitmap whole(output.logical.size(), gfx::Bitmap::Uninitialized {});
        if (!read(output, whole_output, whole, {}))
            return false;
        out.copy_from(whole, area, at);
        return true;
    }
    FrameState state;
    state.version = zwlr_screencopy_manager_v1_get_version(connection_.screencopy());
    bool whole = area == whole_output;
    FrameHandle handle { whole ? zwlr_screencopy_manager_v1_capture_output(connection_.screencopy(), 0, output.proxy)
                               : zwlr_screencopy_manager_v1_capture_output_region(
                                   connection_.screencopy(), 0, output.proxy, area.x, area.y, area.width, area.height) };
    zwlr_screencopy_frame_v1_add_listener(handle.frame, &frame_listener, &state);
    if (!connection_.dispatch_until([&] { return state.described || state.failed; }) || state.failed || !state.shm)
        return false;
    ShmBuffer& buffer = buffer_for(state.shm->size, state.shm->stride, state.shm->format);
    zwlr_screencopy_frame_v1_copy(handle.frame, buffer.buffer());
    if (!connection_.dispatch_until([&] { return state.ready || state.failed; }) || state.failed)
        return false;
    CopiedPixels pixels = *state.shm;
    pixels.data = buffer.data();
    pixels.transform = output.transform;
    upright_copy(pixels, area.size(), out, at);
    return true;
}

}  // namespace velmo::platform::wayland
