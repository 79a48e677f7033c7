#include "platform/x11/image.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstring>
#include <vector>

namespace velmo::platform::x11 {

bool is_native_layout(const XImage& image)
{
    return image.bits_per_pixel == 32 && image.byte_order == LSBFirst && image.red_mask == 0xFF0000
        && image.green_mask == 0xFF00 && image.blue_mask == 0xFF;
}

namespace {

uint32_t channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    uint32_t value = static_cast<uint32_t>((pixel & mask) >> shift);
    return bits >= 8 ? value >> (bits - 8) : value * 255 / ((1u << bits) - 1);
}

unsigned long to_channel(uint32_t value8, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    unsigned long value = bits >= 8 ? static_cast<unsigned long>(value8) << (bits - 8) : value8 >> (8 - bits);
    return (value << shift) & mask;
}

// Images made over memory this code owns: XDestroyImage must not free it.
struct BorrowedImage {
    XImage* image;
    ~BorrowedImage()
    {
        image->data = nullptr;
        XDestroyImage(image);
    }
};

}  // namespace

std::unique_ptr<SharedImage> SharedImage::create(Connection& connection, gfx::Size size)
{
    if (!connection.has_shm() || size.width <= 0 || size.height <= 0)
        return nullptr;
    std::unique_ptr<SharedImage> made(new SharedImage(connection));
    made->segment_.shmid = -1;
    made->image_ = XShmCreateImage(connection.get(), connection.visual(), connection.depth(), ZPixmap, nullptr,
        &made->segment_, size.width, size.height);
    if (!made->image_)
        return nullptr;
    size_t bytes = static_cast<size_t>(made->image_->bytes_per_line) * size.height;
    made->segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (made->segment_.shmid < 0)
        return nullptr;
    void* address = shmat(made->segment_.shmid, nullptr, 0);
    // Marked for removal now, so the segment goes with the last detach even if this process dies.
    shmctl(made->segment_.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) {
        made->segment_.shmid = -1;
        return nullptr;
    }
    made->segment_.shmaddr = made->image_->data = static_cast<char*>(address);
    made->segment_.readOnly = False;
    ErrorTrap trap(connection);
    XShmAttach(connection.get(), &made->segment_);
    if (trap.failed())
        return nullptr;
    made->attached_ = true;
    return made;
}

SharedImage::~SharedImage()
{
    if (attached_ && !connection_.lost()) {
        XShmDetach(connection_.get(), &segment_);
        XSync(connection_.get(), False);
    }
    if (segment_.shmaddr)
        shmdt(segment_.shmaddr);
    if (image_) {
        image_->data = nullptr;
        XDestroyImage(image_);
    }
}

void copy_image(const XImage& image, gfx::Bitmap& out, gfx::Point at)
{
    gfx::Rect into = gfx::Rect { at.x, at.y, image.width, image.height }.intersected(out.rect());
    if (into.is_empty())
        return;
    int dx = into.x - at.x;
    int dy = into.y - at.y;
    if (is_native_layout(image)) {
        for (int y = 0; y < into.height; ++y) {
            auto* from = reinterpret_cast<const uint32_t*>(image.data + static_cast<size_t>(y + dy) * image.bytes_per_line) + dx;
            uint32_t* to = out.scanline(into.y + y) + into.x;
            for (int x = 0; x < into.width; ++x)
                to[x] = from[x] & 0x00FFFFFF;
        }
        return;
    }
    auto& readable = const_cast<XImage&>(image);  // XGetPixel takes a non-const image but only reads
    for (int y = 0; y < into.height; ++y) {
        uint32_t* to = out.scanline(into.y + y) + into.x;
        for (int x = 0; x < into.width; ++x) {
            unsigned long p = XGetPixel(&readable, x + dx, y + dy);
            to[x] = (channel(p, image.red_mask) << 16) | (channel(p, image.green_mask) << 8) | channel(p, image.blue_mask);
        }
    }
}

bool ImageReader::read(::Drawable drawable, gfx::Rect area, gfx::Bitmap& out, gfx::Point at)
{
    if (connection_.lost() || area.is_empty())
        return false;
    if (connection_.has_shm()) {
        if (!shared_ || shared_->size().width < area.width || shared_->size().height < area.height) {
            gfx::Size want { std::max(area.width, shared_ ? shared_->size().width : 0),
                std::max(area.height, shared_ ? shared_->size().height : 0) };
            shared_.reset();
            shared_ = SharedImage::create(connection_, want);
        }
        if (shared_ && shared_->image()->bits_per_pixel == 32) {
            // The server lays the rows out for the requested width; the image is narrowed to match.
            XImage* image = shared_->image();
            int width = image->width, height = image->height, stride = image->bytes_per_line;
            image->width = area.width;
            image->height = area.height;
            image->bytes_per_line = area.width * 4;
            Bool ok = XShmGetImage(connection_.get(), drawable, image, area.x, area.y, AllPlanes);
            if (ok)
                copy_image(*image, out, at);
            image->width = width;
            image->height = height;
            image->bytes_per_line = stride;
            return ok;
        }
    }
    XImage* image = XGetImage(connection_.get(), drawable, area.x, area.y, static_cast<unsigned>(area.width),
        static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    copy_image(*image, out, at);
    XDestroyImage(image);
    return true;
}

std::optional<gfx::Bitmap> ImageReader::read_screen()
{
    gfx::Bitmap out(connection_.screen_size());
    if (!read(connection_.root(), out.rect(), out))
        return std::nullopt;
    return out;
}

std::optional<uint32_t> ImageReader::read_screen_pixel(gfx::Point at)
{
    if (connection_.lost() || !gfx::Rect::of({}, connection_.screen_size()).contains(at))
        return std::nullopt;
    XImage* image = XGetImage(connection_.get(), connection_.root(), at.x, at.y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return std::nullopt;
    gfx::Bitmap one({ 1, 1 });
    copy_image(*image, one, {});
    XDestroyImage(image);
    return one.word(0, 0);
}

ImageWriter::ImageWriter(Connection& connection)
    : connection_(connection)
{
    gc_ = XCreateGC(connection.get(), connection.root(), 0, nullptr);
}

// Also after the connection was lost: the request goes nowhere, but the GC's memory is freed.
ImageWriter::~ImageWriter() { XFreeGC(connection_.get(), gc_); }

bool ImageWriter::write(::Window window, const gfx::Bitmap& pixels, gfx::Rect area, gfx::Point to)
{
    gfx::Rect inside = area.intersected(pixels.rect());
    to = to.translated(inside.location() - area.location());
    area = inside;
    if (connection_.lost())
        return false;
    if (area.is_empty())
        return true;
    ErrorTrap trap(connection_);
    if (connection_.has_shm()) {
        if (!shared_ || shared_->size().width < area.width || shared_->size().height < area.height) {
            shared_.reset();
            shared_ = SharedImage::create(connection_, { std::max(area.width, pixels.width()), std::max(area.height, pixels.height()) });
        }
        if (shared_ && is_native_layout(*shared_->image())) {
            XImage* image = shared_->image();
            for (int y = 0; y < area.height; ++y)
                std::memcpy(image->data + static_cast<size_t>(y) * image->bytes_per_line,
                    pixels.scanline(area.y + y) + area.x, static_cast<size_t>(area.width) * 4);
            XShmPutImage(connection_.get(), window, gc_, image, 0, 0, to.x, to.y, static_cast<unsigned>(area.width),
                static_cast<unsigned>(area.height), False);
            // The segment is reused by the next write, so the server must be done reading it.
            return !trap.failed();
        }
    }
    XImage* image = XCreateImage(connection_.get(), connection_.visual(), static_cast<unsigned>(connection_.depth()), ZPixmap,
        0, nullptr, static_cast<unsigned>(pixels.width()), static_cast<unsigned>(pixels.height()), 32, 0);
    if (!image)
        return false;
    BorrowedImage owner { image };
    if (is_native_layout(*image)) {
        image->data = reinterpret_cast<char*>(const_cast<uint32_t*>(pixels.scanline(0)));
        XPutImage(connection_.get(), window, gc_, image, area.x, area.y, to.x, to.y, static_cast<unsigned>(area.width),
            static_cast<unsigned>(area.height));
        return !trap.failed();
    }
    // Another layout: each pixel converted through the visual's masks.
    std::vector<char> converted(static_cast<size_t>(image->bytes_per_line) * image->height);
    image->data = converted.data();
    for (int y = area.y; y < area.bottom(); ++y)
        for (int x = area.x; x < area.right(); ++x) {
            gfx::Color c = pixels.pixel(x, y);
            XPutPixel(image, x, y, to_channel(c.red(), image->red_mask) | to_channel(c.green(), image->green_mask) | to_channel(c.blue(), image->blue_mask));
        }
    XPutImage(connection_.get(), window, gc_, image, area.x, area.y, to.x, to.y, static_cast<unsigned>(area.width),
        static_cast<unsigned>(area.height));
    return !trap.failed();
}

}  // namespace velmo::platform::x11
