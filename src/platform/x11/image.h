// Moving pixels between gfx::Bitmap and the X server: reading an area of a drawable (the root
// window for the screen) and pushing a bitmap's area onto a window. Both go through a shared-memory
// segment when the server has MIT-SHM, so the pixels cross no socket, and through plain image
// requests otherwise.
//
// Invariant of SharedImage: the XImage's data is the attached segment; the segment is detached
// from the server before it is removed from this process.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <optional>

#include "gfx/bitmap.h"
#include "platform/x11/connection.h"

namespace velmo::platform::x11 {

// An XImage in a shared-memory segment the server has attached.
class SharedImage {
public:
    // nullptr when the segment cannot be made or attached (e.g. a server on another host).
    static std::unique_ptr<SharedImage> create(Connection& connection, gfx::Size size);
    ~SharedImage();
    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;

    XImage* image() const { return image_; }
    XShmSegmentInfo* segment() { return &segment_; }
    gfx::Size size() const { return { image_->width, image_->height }; }

private:
    SharedImage(Connection& connection)
        : connection_(connection)
    {
    }

    Connection& connection_;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_ {};
    bool attached_ = false;
};

// Whether the image lays out pixels as gfx::Bitmap does, which most true-colour servers also do:
// rows are then copied whole.
bool is_native_layout(const XImage& image);

// Copies the pixels of `image` (any true-colour layout) to `out` at `at`.
void copy_image(const XImage& image, gfx::Bitmap& out, gfx::Point at);

// Reads areas of drawables, keeping one shared segment of the largest size asked so far.
class ImageReader {
public:
    explicit ImageReader(Connection& connection)
        : connection_(connection)
    {
    }

    // The part of `area` (drawable coordinates) inside the drawable, copied to `out` at `at`.
    // False, with `out` unchanged, when the drawable has gone or the area lies outside it.
    bool read(::Drawable drawable, gfx::Rect area, gfx::Bitmap& out, gfx::Point at = {});
    // The whole screen.
    std::optional<gfx::Bitmap> read_screen();
    // One pixel of the screen, as a pixel word; a 1 x 1 request.
    std::optional<uint32_t> read_screen_pixel(gfx::Point at);

private:
    Connection& connection_;
    std::unique_ptr<SharedImage> shared_;
};

// Pushes bitmap areas to windows.
class ImageWriter {
public:
    explicit ImageWriter(Connection& connection);
    ~ImageWriter();
    ImageWriter(const ImageWriter&) = delete;
    ImageWriter& operator=(const ImageWriter&) = delete;

    // Draws `area` of `pixels` at `to` in `window` (at the same place when not given). False when
    // the window has gone.
    bool write(::Window window, const gfx::Bitmap& pixels, gfx::Rect area, gfx::Point to);
    bool write(::Window window, const gfx::Bitmap& pixels, gfx::Rect area) { return write(window, pixels, area, area.location()); }

private:
    Connection& connection_;
    ::GC gc_ = nullptr;
    std::unique_ptr<SharedImage> shared_;
};

}  // namespace velmo::platform::x11
