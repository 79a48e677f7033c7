#include "cli/selection.h"

#include <algorithm>

#include "cli/magnifier.h"

namespace velmo::cli {

namespace {

gfx::Rect between(gfx::Point a, gfx::Point b)
{
    return gfx::Rect::from_edges(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y));
}

// A line of alternating black and white runs, which shows on any picture.
void dashes(gfx::Bitmap& canvas, gfx::Point from, int length, bool across)
{
    constexpr int run = 4;
    for (int i = 0; i < length; i += run) {
        gfx::Color color = (i / run) % 2 ? gfx::Color { 255, 255, 255 } : gfx::Color { 0, 0, 0 };
        int part = std::min(run, length - i);
        canvas.fill(across ? gfx::Rect { from.x + i, from.y, part, 1 } : gfx::Rect { from.x, from.y + i, 1, part }, color);
    }
}

}  // namespace

gfx::Bitmap selection_picture(const gfx::Bitmap& frozen, gfx::Point pointer, std::optional<gfx::Rect> selected)
{
    gfx::Bitmap picture = frozen;
    if (selected) {
        // Just outside the rectangle, so every pixel that will be captured stays in view.
        gfx::Rect r { selected->x - 1, selected->y - 1, selected->width + 2, selected->height + 2 };
        dashes(picture, { r.x, r.y }, r.width, true);
        dashes(picture, { r.x, r.y + r.height - 1 }, r.width, true);
        dashes(picture, { r.x, r.y }, r.height, false);
        dashes(picture, { r.x + r.width - 1, r.y }, r.height, false);
    }
    draw_magnifier(picture, frozen, pointer, selected ? std::optional(selected->size()) : std::nullopt);
    return picture;
}

std::optional<gfx::Rect> select_area(ScreenOverlay& overlay)
{
    using Kind = ScreenOverlay::Input::Kind;
    std::optional<gfx::Point> pressed;
    overlay.show(selection_picture(overlay.frozen(), overlay.pointer(), std::nullopt));
    for (;;) {
        ScreenOverlay::Input input = overlay.next();
        switch (input.kind) {
        case Kind::Cancelled: return std::nullopt;
        case Kind::LeftDown: pressed = input.at; break;
        case Kind::LeftUp:
            if (pressed)
                return between(*pressed, input.at);
            break;  // the button was down before the overlay came up
        case Kind::Moved: break;
        }
        overlay.show(selection_picture(overlay.frozen(), input.at, pressed ? std::optional(between(*pressed, input.at)) : std::nullopt));
    }
}

}  // namespace velmo::cli
