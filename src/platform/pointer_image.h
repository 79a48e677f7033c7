// The pointer's picture, for drawing it into a capture of the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/bitmap.h"

namespace velmo::platform {

// Rows of premultiplied 0xAARRGGBB words; the hot spot is the pixel the pointer points with.
struct PointerImage {
    gfx::Size size;
    gfx::Point hot_spot;
    std::vector<uint32_t> argb;
};

// The display's own arrow: white with a black edge, pointing up and left from its hot spot (0, 0).
PointerImage arrow_pointer();

// Blends the pointer over the bitmap with its hot spot at `at` (bitmap coordinates); the parts
// outside the bitmap are left out.
void draw_pointer(gfx::Bitmap& onto, const PointerImage& pointer, gfx::Point at);

// The calling thread's display's pointer picture, as it looks now.
PointerImage current_pointer_image();

}  // namespace velmo::platform
