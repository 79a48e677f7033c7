// The region calls over region handles.
#include "platform/display_state.h"

#include "platform/gdi.h"

namespace velmo::platform {

// ---- Regions ----------------------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    int l = clamp_coordinate(std::min(left, right));
    int r = clamp_coordinate(std::max(left, right));
    int t = clamp_coordinate(std::min(top, bottom));
    int b = clamp_coordinate(std::max(top, bottom));
    return display().add_region(Region(gfx::Rect::from_edges(l, t, r, b)));
}

int CombineRgn(HRGN destination, HRGN first, HRGN second, int mode)
{
    auto& d = display();
    Region* into = d.region(destination);
    Region* a = d.region(first);
    Region* b = d.region(second);
    if (!into || !a || (mode != RGN_COPY && !b))
        return REGION_ERROR;
    switch (mode) {
    case RGN_AND: *into = a->intersected(*b); break;
    case RGN_OR: *into = a->united(*b); break;
    case RGN_XOR: *into = a->united(*b).subtracted(a->intersected(*b)); break;
    case RGN_DIFF: *into = a->subtracted(*b); break;
    case RGN_COPY: *into = *a; break;
    default: return REGION_ERROR;
    }
    return into->kind();
}

int GetRgnBox(HRGN region, RECT* box)
{
    Region* r = display().region(region);
    if (!r || !box)
        return REGION_ERROR;
    gfx::Rect b = r->bounds();
    *box = { b.left(), b.top(), b.right(), b.bottom() };
    return r->kind();
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    Region* r = display().region(region);
    return r && r->contains(x, y);
}

}  // namespace velmo::platform
