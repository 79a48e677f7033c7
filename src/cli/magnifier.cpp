#include "cli/magnifier.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "cli/label_font.h"

namespace velmo::cli {

namespace {

constexpr int seen = 15;  // pixels across, the pointer's in the middle
constexpr int zoom = 8;
constexpr int lens = seen * zoom;
constexpr int label_height = 36;
constexpr int gap = 20;  // from the pointer to the magnifier

const gfx::Color outline { 0, 0, 0 };
const gfx::Color rim { 255, 255, 255 };
const gfx::Color off_screen { 40, 40, 40 };

void frame(gfx::Bitmap& canvas, gfx::Rect r, gfx::Color color)
{
    canvas.fill({ r.x, r.y, r.width, 1 }, color);
    canvas.fill({ r.x, r.y + r.height - 1, r.width, 1 }, color);
    canvas.fill({ r.x, r.y, 1, r.height }, color);
    canvas.fill({ r.x + r.width - 1, r.y, 1, r.height }, color);
}

// The magnifier's outer rectangle: below and right of the pointer, or on the other side of it where
// the screen ends, and always on the screen as far as it fits.
gfx::Rect place(gfx::Size screen, gfx::Point at, gfx::Size size)
{
    int x = at.x + gap + size.width <= screen.width ? at.x + gap : at.x - gap - size.width;
    int y = at.y + gap + size.height <= screen.height ? at.y + gap : at.y - gap - size.height;
    x = std::clamp(x, 0, std::max(0, screen.width - size.width));
    y = std::clamp(y, 0, std::max(0, screen.height - size.height));
    return { x, y, size.width, size.height };
}

void write_label(gfx::Bitmap& canvas, gfx::Rect area, const char* first, const char* second)
{
    // The canvas's pixel words are what cairo calls RGB24.
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(canvas.scanline(0)), CAIRO_FORMAT_RGB24, canvas.width(),
            canvas.height(), canvas.stride_bytes()),
        &cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(surface.get()), &cairo_destroy);
    cairo_rectangle(cr.get(), area.x, area.y, area.width, area.height);
    cairo_clip(cr.get());
    select_label_font(cr.get());
    cairo_set_font_size(cr.get(), 12);
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_move_to(cr.get(), area.x + 6, area.y + 14);
    cairo_show_text(cr.get(), first);
    cairo_move_to(cr.get(), area.x + 6, area.y + 30);
    cairo_show_text(cr.get(), second);
    cairo_surface_flush(surface.get());
}

}  // namespace

void draw_magnifier(gfx::Bitmap& canvas, const gfx::Bitmap& screen, gfx::Point at, std::optional<gfx::Size> selection)
{
    // Black inside white, so the edge shows on any screen.
    const gfx::Size size { lens + 4, lens + 4 + label_height };
    const gfx::Rect outer = place(canvas.size(), at, size);
    frame(canvas, outer, rim);
    frame(canvas, { outer.x + 1, outer.y + 1, outer.width - 2, outer.height - 2 }, outline);
    const gfx::Point origin { outer.x + 2, outer.y + 2 };
    for (int row = 0; row < seen; ++row) {
        for (int column = 0; column < seen; ++column) {
            int x = at.x - seen / 2 + column;
            int y = at.y - seen / 2 + row;
            bool inside = x >= 0 && y >= 0 && x < screen.width() && y < screen.height();
            canvas.fill({ origin.x + column * zoom, origin.y + row * zoom, zoom, zoom }, inside ? screen.pixel(x, y) : off_screen);
        }
    }
    // The pixel under the pointer, framed in both black and white so it shows on any colour.
    gfx::Rect middle { origin.x + seen / 2 * zoom, origin.y + seen / 2 * zoom, zoom, zoom };
    frame(canvas, { middle.x - 2, middle.y - 2, middle.width + 4, middle.height + 4 }, outline);
    frame(canvas, { middle.x - 1, middle.y - 1, middle.width + 2, middle.height + 2 }, rim);

    gfx::Rect label { origin.x, origin.y + lens, lens, label_height };
    canvas.fill(label, outline);
    bool on_screen = at.x >= 0 && at.y >= 0 && at.x < screen.width() && at.y < screen.height();
    gfx::Color color = on_screen ? screen.pixel(at.x, at.y) : off_screen;
    char first[48];
    char second[48];
    std::snprintf(first, sizeof first, "%d, %d", at.x, at.y);
    if (selection)
        std::snprintf(second, sizeof second, "#%02X%02X%02X  %d x %d", color.red(), color.green(), color.blue(), selection->width, selection->height);
    else
        std::snprintf(second, sizeof second, "#%02X%02X%02X", color.red(), color.green(), color.blue());
    write_label(canvas, label.intersected(canvas.rect()), first, second);
}

}  // namespace velmo::cli
