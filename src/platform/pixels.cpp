// Pixel reads and writes and block transfers between device contexts.
#include "platform/display_state.h"

#include "platform/gdi.h"

namespace velmo::platform {

namespace {

// A blank memory bitmap that a copy will cover completely need not be blackened first: the copy
// writes every pixel. Anything short of that (clipped by the source, offset) blackens it as usual.
void skip_blackening_when_covered(HDC destination, int x, int y, int width, int height, HDC source, int source_x, int source_y)
{
    auto& d = display();
    auto* context = d.dc(destination);
    auto* b = context && context->kind == DeviceContext::Kind::Memory ? d.bitmap(context->bitmap) : nullptr;
    if (!b || !b->blank)
        return;
    auto from = reading_source(source);  // blackens b first when it is the source as well
    if (!from || !b->blank)
        return;
    gfx::Size size = b->size();
    int64_t dx = int64_t(source_x) + from->origin.x - x;
    int64_t dy = int64_t(source_y) + from->origin.y - y;
    bool covered = x <= 0 && y <= 0 && int64_t(x) + width >= size.width && int64_t(y) + height >= size.height
        && from->area.left() <= dx && from->area.top() <= dy && dx + size.width <= from->area.right()
        && dy + size.height <= from->area.bottom();
    if (covered)
        b->blank = false;
}

// A copy of the screen that fills a blank memory bitmap whole, on a backend that reads the screen
// straight into new memory: the bitmap takes that memory and its own unused storage goes, so the
// pixels are written once, by the server.
bool take_screen_area(HDC destination, int x, int y, int width, int height, HDC source, int source_x, int source_y)
{
    auto& d = display();
    auto* from = d.dc(source);
    auto* to = d.dc(destination);
    if (!from || from->kind != DeviceContext::Kind::Screen || !to || to->kind != DeviceContext::Kind::Memory)
        return false;
    auto* b = d.bitmap(to->bitmap);
    if (!b || !b->blank || b->bits_per_pixel != 32)
        return false;
    gfx::Size size = b->size();
    gfx::Size screen = d.backend().screen_size();
    // The screen point that lands on the bitmap's (0, 0).
    int64_t left = int64_t(source_x) - x, top = int64_t(source_y) - y;
    bool covered = x <= 0 && y <= 0 && int64_t(x) + width >= size.width && int64_t(y) + height >= size.height
        && left >= 0 && top >= 0 && left + size.width <= screen.width && top + size.height <= screen.height;
    if (!covered || size.is_empty())
        return false;
    d.settle();
    auto area = d.backend().screen_area({ int(left), int(top), size.width, size.height });
    if (!area || area->size() != size)
        return false;
    b->storage = std::move(*area);
    b->blank = false;
    return true;
}

}  // namespace

// ---- Pixels -----------------------------------------------------------------------------------

COLORREF GetPixel(HDC dc, int x, int y)
{
    // A real display's screen is read one pixel at a time from its server rather than whole.
    auto& d = display();
    if (auto* context = d.dc(dc); context && context->kind == DeviceContext::Kind::Screen) {
        if (auto word = d.backend().screen_pixel({ clamp_coordinate(x), clamp_coordinate(y) }))
            return to_colorref(*word);
    }
    auto source = reading_source(dc);
    if (!source)
        return CLR_INVALID;
    gfx::Point at = gfx::Point { clamp_coordinate(x), clamp_coordinate(y) }.translated(source->origin);
    if (!source->area.contains(at))
        return CLR_INVALID;
    return to_colorref(source->bitmap->word(at.x, at.y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    auto target = drawing_target(dc);
    if (!target)
        return CLR_INVALID;
    gfx::Point at = gfx::Point { clamp_coordinate(x), clamp_coordinate(y) }.translated(target->origin);
    if (!target->clip.contains(at))
        return CLR_INVALID;
    gfx::Color value = gfx::Color::from_colorref(color);
    target->bitmap->set_pixel(at.x, at.y, value);
    if (target->shows_on_screen)
        screen_changed(target->window);
    return value.to_colorref();
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int source_x, int source_y, DWORD rop)
{
    if (rop == SRCCOPY && take_screen_area(destination, x, y, width, height, source, source_x, source_y))
        return 1;
    if (rop == SRCCOPY)
        skip_blackening_when_covered(destination, x, y, width, height, source, source_x, source_y);
    auto to = drawing_target(destination);
    if (!to)
        return 0;
    // Destination edges in the target bitmap's pixels, 64-bit so no caller's value overflows.
    int64_t left = int64_t(x) + to->origin.x, top = int64_t(y) + to->origin.y;
    int64_t right = left + width, bottom = top + height;
    left = std::max<int64_t>(left, to->clip.left());
    top = std::max<int64_t>(top, to->clip.top());
    right = std::min<int64_t>(right, to->clip.right());
    bottom = std::min<int64_t>(bottom, to->clip.bottom());
    if (rop == BLACKNESS || rop == WHITENESS) {
        if (left < right && top < bottom)
            to->bitmap->fill(gfx::Rect::from_edges(int(left), int(top), int(right), int(bottom)), rop == BLACKNESS ? gfx::Color {} : gfx::Color { 255, 255, 255 });
    } else if (rop == SRCCOPY) {
        auto from = reading_source(source);
        if (!from)
            return 0;
        // A destination pixel (x, y) takes the source pixel (x + dx, y + dy); clip by the source too.
        int64_t dx = int64_t(source_x) + from->origin.x - (int64_t(x) + to->origin.x);
        int64_t dy = int64_t(source_y) + from->origin.y - (int64_t(y) + to->origin.y);
        left = std::max<int64_t>(left, from->area.left() - dx);
        top = std::max<int64_t>(top, from->area.top() - dy);
        right = std::min<int64_t>(right, from->area.right() - dx);
        bottom = std::min<int64_t>(bottom, from->area.bottom() - dy);
        if (left >= right || top >= bottom)
            return 1;
        gfx::Rect src = gfx::Rect::from_edges(int(left + dx), int(top + dy), int(right + dx), int(bottom + dy));
        to->bitmap->copy_from(*from->bitmap, src, { int(left), int(top) });
    } else {
        return 0;
    }
    if (to->shows_on_screen)
        screen_changed(to->window);
    return 1;
}

}  // namespace velmo::platform
