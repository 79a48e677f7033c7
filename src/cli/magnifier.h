// The magnifier drawn beside the pointer while a person picks on the screen: the pixels around the
// pointer eight times as large, the one under it framed, and below them its coordinates and colour
// (and, while a rectangle is dragged out, the rectangle's size).
#pragma once

#include <optional>

#include "gfx/bitmap.h"

namespace velmo::cli {

// Draws into `canvas` (the size of `screen`) the magnifier for the pointer at `at` on `screen`,
// beside the pointer and inside the canvas.
void draw_magnifier(gfx::Bitmap& canvas, const gfx::Bitmap& screen, gfx::Point at, std::optional<gfx::Size> selection = {});

}  // namespace velmo::cli
