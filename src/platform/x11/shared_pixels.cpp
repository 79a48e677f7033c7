#include "platform/x11/shared_pixels.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <xcb/shm.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "platform/x11/image.h"

namespace velmo::platform::x11 {

namespace {

constexpr size_t spare_segments = 2;
// Small enough to stay in the cache between the server's write and our pass over it, large enough
// that a screen is a handful of requests.
constexpr size_t strip_bytes = 512 * 1024;

void unmap(const SharedPixels::Segment& segment) { shmdt(segment.info.shmaddr); }

// The server hands back the reserved byte of each pixel word as it holds it (another program may
// have put anything there); a bitmap's words keep it 0.
void clear_reserved(uint32_t* words, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        words[i] &= 0x00FFFFFF;
}

}  // namespace

struct SharedPixels::Shelf {
    std::mutex lock;
    bool open = true;
    std::vector<Segment> returned;
};

namespace {

class SegmentStorage final : public gfx::PixelStorage {
public:
    SegmentStorage(std::shared_ptr<SharedPixels::Shelf> shelf, SharedPixels::Segment segment)
        : shelf_(std::move(shelf))
        , segment_(segment)
    {
    }
    ~SegmentStorage() override
    {
        std::lock_guard hold(shelf_->lock);
        if (shelf_->open)
            shelf_->returned.push_back(segment_);
        else
            unmap(segment_);
    }
    uint32_t* data() override { return reinterpret_cast<uint32_t*>(segment_.info.shmaddr); }

private:
    std::shared_ptr<SharedPixels::Shelf> shelf_;
    SharedPixels::Segment segment_;
};

}  // namespace

SharedPixels::SharedPixels(Connection& connection)
    : connection_(connection)
    , shelf_(std::make_shared<Shelf>())
{
}

SharedPixels::~SharedPixels()
{
    {
        std::lock_guard hold(shelf_->lock);
        shelf_->open = false;
        spare_.insert(spare_.end(), shelf_->returned.begin(), shelf_->returned.end());
    }
    if (!connection_.lost() && !attached_.empty()) {
        for (auto& segment : attached_)
            XShmDetach(connection_.get(), &segment.info);
        XSync(connection_.get(), False);
    }
    for (const auto& segment : spare_)
        unmap(segment);
}

std::optional<gfx::Bitmap> SharedPixels::read(::Drawable drawable, gfx::Rect area)
{
    if (!connection_.has_shm() || connection_.lost() || area.is_empty() || !laid_out_as_bitmap())
        return std::nullopt;
    size_t row_bytes = size_t(area.width) * 4;
    size_t bytes = row_bytes * size_t(area.height);
    auto segment = take(bytes);
    if (!segment)
        return std::nullopt;
    // The area is asked for in strips, all at once: while the server writes one strip we clear
    // the reserved bytes of the one before, still in the cache, so the two processes share the
    // work instead of taking turns.
    xcb_connection_t* link = XGetXCBConnection(connection_.get());
    int strip_rows = std::max(1, int(strip_bytes / row_bytes));
    std::vector<xcb_shm_get_image_cookie_t> asked;
    asked.reserve(size_t(area.height / strip_rows + 1));
    for (int top = 0; top < area.height; top += strip_rows)
        asked.push_back(xcb_shm_get_image(link, static_cast<xcb_drawable_t>(drawable), int16_t(area.x), int16_t(area.y + top),
            uint16_t(area.width), uint16_t(std::min(strip_rows, area.height - top)), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
            static_cast<xcb_shm_seg_t>(segment->info.shmseg), uint32_t(size_t(top) * row_bytes)));
    xcb_flush(link);
    bool read = true;
    auto* words = reinterpret_cast<uint32_t*>(segment->info.shmaddr);
    for (size_t i = 0; i < asked.size(); ++i) {
        xcb_generic_error_t* error = nullptr;
        xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(link, asked[i], &error);
        read = read && reply && !error;
        std::free(reply);
        std::free(error);
        if (read) {
            int top = int(i) * strip_rows;
            int rows = std::min(strip_rows, area.height - top);
            clear_reserved(words + size_t(top) * size_t(area.width), size_t(rows) * size_t(area.width));
        }
    }
    if (!read) {
        spare_.push_back(*segment);
        return std::nullopt;
    }
    return gfx::Bitmap(area.size(), std::make_unique<SegmentStorage>(shelf_, *segment));
}

// Asked once: whether the server's images of the screen's depth are laid out as bitmap words.
bool SharedPixels::laid_out_as_bitmap()
{
    if (!layout_known_) {
        XImage* image = XCreateImage(connection_.get(), connection_.visual(), static_cast<unsigned>(connection_.depth()),
            ZPixmap, 0, nullptr, 1, 1, 32, 0);
        native_layout_ = image && is_native_layout(*image);
        if (image)
            XDestroyImage(image);
        layout_known_ = true;
    }
    return native_layout_;
}

// The smallest spare segment that fits without wasting more than it holds, or a new one; spares
// beyond a few are let go.
std::optional<SharedPixels::Segment> SharedPixels::take(size_t bytes)
{
    {
        std::lock_guard hold(shelf_->lock);
        spare_.insert(spare_.end(), shelf_->returned.begin(), shelf_->returned.end());
        shelf_->returned.clear();
    }
    std::optional<Segment> found;
    auto best = spare_.end();
    for (auto it = spare_.begin(); it != spare_.end(); ++it)
        if (it->bytes >= bytes && it->bytes <= 2 * bytes && (best == spare_.end() || it->bytes < best->bytes))
            best = it;
    if (best != spare_.end()) {
        found = *best;
        spare_.erase(best);
    }
    while (spare_.size() > spare_segments) {
        let_go(spare_.front());
        spare_.erase(spare_.begin());
    }
    return found ? found : make(bytes);
}

std::optional<SharedPixels::Segment> SharedPixels::make(size_t bytes)
{
    Segment segment;
    segment.bytes = bytes;
    segment.info.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment.info.shmid < 0)
        return std::nullopt;
    void* address = shmat(segment.info.shmid, nullptr, 0);
    // Marked for removal at once, so the segment goes with the last detach even if we die.
    shmctl(segment.info.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1))
        return std::nullopt;
    segment.info.shmaddr = static_cast<char*>(address);
    segment.info.readOnly = False;
    ErrorTrap trap(connection_);
    XShmAttach(connection_.get(), &segment.info);
    if (trap.failed()) {
        unmap(segment);
        return std::nullopt;
    }
    attached_.push_back(segment);
    return segment;
}

void SharedPixels::let_go(const Segment& segment)
{
    auto it = std::find_if(attached_.begin(), attached_.end(), [&](const Segment& s) { return s.info.shmseg == segment.info.shmseg; });
    if (it != attached_.end()) {
        if (!connection_.lost())
            XShmDetach(connection_.get(), &it->info);
        attached_.erase(it);
    }
    unmap(segment);
}

}  // namespace velmo::platform::x11
