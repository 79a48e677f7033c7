#include "platform/window_frame.h"

namespace velmo::platform {

namespace {

constexpr gfx::Color white { 255, 255, 255 };
constexpr gfx::Color light { 192, 192, 192 };
constexpr gfx::Color shadow { 128, 128, 128 };
constexpr gfx::Color black { 0, 0, 0 };
constexpr gfx::Color caption_color { 0, 0, 128 };

// One ring of the frame, `inset` pixels in: top and left in one colour, bottom and right in another.
void edge(gfx::Bitmap& pixels, int inset, gfx::Color top_left, gfx::Color bottom_right)
{
    gfx::Rect r = gfx::Rect::from_edges(inset, inset, pixels.width() - inset, pixels.height() - inset);
    if (r.is_empty())
        return;
    pixels.fill({ r.x, r.y, r.width, 1 }, top_left);
    pixels.fill({ r.x, r.y, 1, r.height }, top_left);
    pixels.fill({ r.x, r.bottom() - 1, r.width, 1 }, bottom_right);
    pixels.fill({ r.right() - 1, r.y, 1, r.height }, bottom_right);
}

}  // namespace

void paint_frame(Window& window, bool top_level)
{
    auto& pixels = window.pixels;
    int border = window.style.border;
    if (border > 0) {
        gfx::Rect client = window.client_rect();
        // Fill the frame band, then draw the edges over it.
        pixels.fill({ 0, 0, pixels.width(), client.top() }, light);
        pixels.fill({ 0, client.bottom(), pixels.width(), pixels.height() - client.bottom() }, light);
        pixels.fill({ 0, 0, client.left(), pixels.height() }, light);
        pixels.fill({ client.right(), 0, pixels.width() - client.right(), pixels.height() }, light);
        if (top_level) {
            edge(pixels, 0, light, black);
            if (border > 1)
                edge(pixels, 1, white, shadow);
        } else {
            edge(pixels, 0, shadow, white);
            if (border > 1)
                edge(pixels, 1, black, light);
        }
    }
    if (window.style.caption > 0) {
        gfx::Rect bar { border, border, pixels.width() - 2 * border, window.style.caption - 1 };
        // The title is kept as the window's text, not drawn: no font is needed to run the display.
        pixels.fill(bar, caption_color);
    }
}

}  // namespace velmo::platform
