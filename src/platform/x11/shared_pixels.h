// SharedPixels: bitmaps whose memory is a shared segment the server has attached, so that a read
// of the screen is written by the server straight into the bitmap it ends up in, with no copy on
// our side.
//
// A bitmap handed out keeps its segment until it goes; the segment then comes back and serves a
// later read, since a fresh segment costs a page fault per page on both sides. A few spare ones
// are kept; the rest are let go at the next read. The pool may go before the bitmaps it handed
// out: it then detaches their segments from the server, and each bitmap unmaps its own.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <optional>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/x11/connection.h"

namespace velmo::platform::x11 {

class SharedPixels {
public:
    explicit SharedPixels(Connection& connection);
    ~SharedPixels();
    SharedPixels(const SharedPixels&) = delete;
    SharedPixels& operator=(const SharedPixels&) = delete;

    // `area` of `drawable` (inside it) in a new bitmap. Nothing when the server shares no memory
    // with us, lays pixels out otherwise than a bitmap does, or the read fails.
    std::optional<gfx::Bitmap> read(::Drawable drawable, gfx::Rect area);

    struct Segment {
        XShmSegmentInfo info {};
        size_t bytes = 0;
    };
    // Where bitmaps put their segments back; shared with them, as they may outlive the pool.
    struct Shelf;

private:
    std::optional<Segment> take(size_t bytes);
    std::optional<Segment> make(size_t bytes);
    void let_go(const Segment& segment);
    bool laid_out_as_bitmap();

    Connection& connection_;
    std::shared_ptr<Shelf> shelf_;
    std::vector<Segment> spare_;
    std::vector<Segment> attached_;  // every segment the server has attached, spare or handed out
    bool layout_known_ = false;
    bool native_layout_ = false;
};

}  // namespace velmo::platform::x11
