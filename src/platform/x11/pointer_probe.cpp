#include "platform/x11/pointer_probe.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

#include "gfx/bitmap.h"
#include "platform/x11/desktop.h"
#include "platform/x11/image.h"

namespace velmo::platform::x11 {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// The one pixel of a 1 x 1 Z-format image as a pixel word, through the same conversion a
// plain image read takes.
std::optional<uint32_t> pixel_word(Connection& connection, const xcb_get_image_reply_t& reply)
{
    if (reply.depth != connection.depth())
        return std::nullopt;
    XImage* image = XCreateImage(connection.get(), connection.visual(), static_cast<unsigned>(connection.depth()), ZPixmap, 0,
        reinterpret_cast<char*>(xcb_get_image_data(&reply)), 1, 1, 32, 0);
    if (!image)
        return std::nullopt;
    size_t needed = size_t(image->bytes_per_line);
    std::optional<uint32_t> word;
    if (size_t(xcb_get_image_data_length(&reply)) >= needed) {
        gfx::Bitmap one({ 1, 1 });
        copy_image(*image, one, {});
        word = one.word(0, 0);
    }
    image->data = nullptr;  // the reply's memory, freed with the reply
    XDestroyImage(image);
    return word;
}

}  // namespace

std::optional<gfx::Point> PointerProbe::pointer(std::optional<gfx::Point> pixel_at)
{
    kept_.reset();
    if (connection_.lost())
        return std::nullopt;
    gfx::Size screen = connection_.screen_size();
    if (pixel_at && !gfx::Rect::of({}, screen).contains(*pixel_at))
        pixel_at.reset();
    if (!pixel_at)
        return pointer_position(connection_);

    // Both requests go out in one write; xcb hands Xlib's queued requests over first, so they
    // keep their order.
    xcb_connection_t* link = XGetXCBConnection(connection_.get());
    auto root = static_cast<xcb_window_t>(connection_.root());
    xcb_get_image_cookie_t image = xcb_get_image(link, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(pixel_at->x), int16_t(pixel_at->y), 1, 1, ~0u);
    xcb_query_pointer_cookie_t where = xcb_query_pointer(link, root);
    xcb_flush(link);

    xcb_generic_error_t* image_error = nullptr;
    Reply<xcb_get_image_reply_t> pixel(xcb_get_image_reply(link, image, &image_error));
    std::free(image_error);
    Reply<xcb_query_pointer_reply_t> answer(xcb_query_pointer_reply(link, where, nullptr));
    if (!answer)
        // Xlib asks again and notices a lost connection the way every other call does.
        return pointer_position(connection_);
    if (!answer->same_screen)
        return std::nullopt;
    if (pixel)
        if (auto word = pixel_word(connection_, *pixel))
            kept_ = Kept { *pixel_at, *word };
    return gfx::Point { answer->root_x, answer->root_y };
}

std::optional<uint32_t> PointerProbe::take_pixel(gfx::Point at)
{
    std::optional<Kept> kept = kept_;
    kept_.reset();
    if (!kept || kept->at != at)
        return std::nullopt;
    return kept->word;
}

}  // namespace velmo::platform::x11
