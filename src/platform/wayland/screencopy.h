// ScreenCopier: reads outputs' pixels through the compositor's screen-copy protocol into wl_shm
// buffers and from there, upright, into bitmaps. A small area asks the compositor for that area
// only. Buffers are kept for the next read of the same size, so a picker reading one pixel per
// tick or a repeated capture maps no new memory.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/shm_buffer.h"

namespace velmo::platform::wayland {

class ScreenCopier {
public:
    explicit ScreenCopier(Connection& connection)
        : connection_(connection)
    {
    }

    // Whether the compositor offers screen copies at all.
    bool available() const { return connection_.screencopy() != nullptr; }

    // Copies `area` of `output` (logical coordinates relative to the output, inside it) to `out`
    // at `at`. False when the compositor refused or went away; `out` may then be partly written.
    bool read(const Output& output, gfx::Rect area, gfx::Bitmap& out, gfx::Point at);

private:
    ShmBuffer& buffer_for(gfx::Size size, int stride, uint32_t format);

    Connection& connection_;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;  // most recently used first
};

}  // namespace velmo::platform::wayland
