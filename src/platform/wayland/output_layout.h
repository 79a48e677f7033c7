// How the outputs' pixels make one screen: every output stands at its logical place, the screen is
// the smallest rectangle holding them all, and its top-left corner is the screen's (0, 0). A screen
// copy hands back an output's pixels as the compositor keeps them (turned by the output's
// transform, multiplied by its scale, maybe upside down); upright_copy turns them back.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/rect.h"

namespace velmo::platform::wayland {

// The smallest rectangle holding every rectangle of `outputs`, in layout coordinates; empty
// without outputs.
gfx::Rect layout_bounds(std::span<const gfx::Rect> outputs);

// Pixels as a screen copy delivered them.
struct CopiedPixels {
    const uint8_t* data = nullptr;
    gfx::Size size;
    int stride = 0;
    uint32_t format = 0;     // a wl_shm format: ARGB8888, XRGB8888, ABGR8888 or XBGR8888
    int32_t transform = 0;   // the output's wl_output_transform
    bool y_invert = false;
};

// Whether upright_copy reads pixels of this wl_shm format.
bool is_readable_format(uint32_t format);

// The pixel of `pixels` that shows the logical point (x, y) of an area `logical` sized: undoes the
// transform, then the scale (the nearest pixel), then the upside-down flag.
gfx::Point source_pixel(const CopiedPixels& pixels, gfx::Size logical, int x, int y);

// Writes the upright picture of `pixels` (an area `logical` sized) to `out` at `at`, clipped to `out`.
void upright_copy(const CopiedPixels& pixels, gfx::Size logical, gfx::Bitmap& out, gfx::Point at);

}  // namespace velmo::platform::wayland
