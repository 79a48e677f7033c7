// Point: a position in whole pixels.
#pragma once

namespace velmo::gfx {

struct Point {
    int x = 0;
    int y = 0;

    constexpr Point translated(int dx, int dy) const { return { x + dx, y + dy }; }
    constexpr Point translated(Point by) const { return { x + by.x, y + by.y }; }
    friend constexpr Point operator-(Point a, Point b) { return { a.x - b.x, a.y - b.y }; }
    friend constexpr bool operator==(Point, Point) = default;
};

}  // namespace velmo::gfx
