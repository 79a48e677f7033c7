// Region: a set of pixels made of rectangles, the value behind a region handle and a window's
// shape. Kept as y-x banded rectangles (pixman), so a union of one rectangle per run of a skin
// bitmap stays as small as the runs allow and a point test is a binary search.
#pragma once

#include <pixman.h>

#include <vector>

#include "gfx/rect.h"

namespace velmo::platform {

class Region {
public:
    Region();
    explicit Region(gfx::Rect rect);
    Region(const Region&);
    Region& operator=(const Region&);
    Region(Region&&) noexcept;
    Region& operator=(Region&&) noexcept;
    ~Region();

    bool is_empty() const;
    bool contains(int x, int y) const;
    gfx::Rect bounds() const;
    std::vector<gfx::Rect> rects() const;
    int rect_count() const;

    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int kind() const;

    Region united(const Region& other) const;
    Region intersected(const Region& other) const;
    Region subtracted(const Region& other) const;
    Region translated(int dx, int dy) const;

    friend bool operator==(const Region& a, const Region& b);

private:
    pixman_region32_t region_;
};

}  // namespace velmo::platform
