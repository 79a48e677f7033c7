#include "platform/region.h"

#include <utility>

#include "platform/types.h"

namespace velmo::platform {

Region::Region() { pixman_region32_init(&region_); }

Region::Region(gfx::Rect rect)
{
    if (rect.is_empty())
        pixman_region32_init(&region_);
    else
        pixman_region32_init_rect(&region_, rect.x, rect.y, static_cast<unsigned>(rect.width), static_cast<unsigned>(rect.height));
}

Region::Region(const Region& other)
{
    pixman_region32_init(&region_);
    pixman_region32_copy(&region_, const_cast<pixman_region32_t*>(&other.region_));
}

Region& Region::operator=(const Region& other)
{
    if (this != &other)
        pixman_region32_copy(&region_, const_cast<pixman_region32_t*>(&other.region_));
    return *this;
}

Region::Region(Region&& other) noexcept
    : Region()
{
    std::swap(region_, other.region_);
}

Region& Region::operator=(Region&& other) noexcept
{
    std::swap(region_, other.region_);
    return *this;
}

Region::~Region() { pixman_region32_fini(&region_); }

bool Region::is_empty() const { return !pixman_region32_not_empty(const_cast<pixman_region32_t*>(&region_)); }

bool Region::contains(int x, int y) const
{
    return pixman_region32_contains_point(const_cast<pixman_region32_t*>(&region_), x, y, nullptr);
}

gfx::Rect Region::bounds() const
{
    if (is_empty())
        return {};
    const pixman_box32_t* box = pixman_region32_extents(const_cast<pixman_region32_t*>(&region_));
    return gfx::Rect::from_edges(box->x1, box->y1, box->x2, box->y2);
}

std::vector<gfx::Rect> Region::rects() const
{
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(const_cast<pixman_region32_t*>(&region_), &count);
    std::vector<gfx::Rect> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        out.push_back(gfx::Rect::from_edges(boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2));
    return out;
}

int Region::rect_count() const { return pixman_region32_n_rects(const_cast<pixman_region32_t*>(&region_)); }

int Region::kind() const
{
    if (is_empty())
        return NULLREGION;
    return rect_count() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

Region Region::united(const Region& other) const
{
    Region out;
    pixman_region32_union(&out.region_, const_cast<pixman_region32_t*>(&region_), const_cast<pixman_region32_t*>(&other.region_));
    return out;
}

Region Region::intersected(const Region& other) const
{
    Region out;
    pixman_region32_intersect(&out.region_, const_cast<pixman_region32_t*>(&region_), const_cast<pixman_region32_t*>(&other.region_));
    return out;
}

Region Region::subtracted(const Region& other) const
{
    Region out;
    pixman_region32_subtract(&out.region_, const_cast<pixman_region32_t*>(&region_), const_cast<pixman_region32_t*>(&other.region_));
    return out;
}

Region Region::translated(int dx, int dy) const
{
    Region out(*this);
    pixman_region32_translate(&out.region_, dx, dy);
    return out;
}

bool operator==(const Region& a, const Region& b)
{
    return pixman_region32_equal(const_cast<pixman_region32_t*>(&a.region_), const_cast<pixman_region32_t*>(&b.region_));
}

}  // namespace velmo::platform
