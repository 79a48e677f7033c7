// Rect: an axis-aligned rectangle of whole pixels, origin and size; right() and bottom() are
// exclusive. An empty rect (no positive width or height) contains no point and intersects nothing.
#pragma once

#include <algorithm>

#include "gfx/point.h"
#include "gfx/size.h"

namespace velmo::gfx {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    static constexpr Rect from_edges(int left, int top, int right, int bottom)
    {
        return { left, top, right - left, bottom - top };
    }
    static constexpr Rect of(Point origin, Size size) { return { origin.x, origin.y, size.width, size.height }; }

    constexpr int left() const { return x; }
    constexpr int top() const { return y; }
    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    constexpr Point location() const { return { x, y }; }
    constexpr Size size() const { return { width, height }; }
    constexpr bool is_empty() const { return width <= 0 || height <= 0; }

    constexpr bool contains(int px, int py) const { return px >= x && py >= y && px < right() && py < bottom(); }
    constexpr bool contains(Point p) const { return contains(p.x, p.y); }

    constexpr Rect translated(int dx, int dy) const { return { x + dx, y + dy, width, height }; }
    constexpr Rect translated(Point by) const { return translated(by.x, by.y); }

    // The common part; an empty Rect when there is none.
    constexpr Rect intersected(const Rect& other) const
    {
        int l = std::max(left(), other.left());
        int t = std::max(top(), other.top());
        int r = std::min(right(), other.right());
        int b = std::min(bottom(), other.bottom());
        if (r <= l || b <= t)
            return {};
        return from_edges(l, t, r, b);
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace velmo::gfx
