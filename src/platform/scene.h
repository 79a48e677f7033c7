// Scene: what the screen is made of at one moment: layers of window pixels, bottom to top, each
// seen through the part of the screen it may cover (its rectangle, its region, its parents' client
// areas and regions). Composing copies each layer's visible rectangles, so the cost is the screen
// area, never a per-pixel region test.
#pragma once

#include <vector>

#include "gfx/bitmap.h"
#include "platform/region.h"

namespace velmo::platform {

struct SceneLayer {
    const gfx::Bitmap* pixels = nullptr;
    gfx::Point origin;       // where pixel (0, 0) of `pixels` lands
    Region visible;          // in the composed image's coordinates
};

// Paints the layers, in order, onto `out`.
void compose(gfx::Bitmap& out, const std::vector<SceneLayer>& layers);

}  // namespace velmo::platform
