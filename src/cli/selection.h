// Dragging out a rectangle of the screen on a ScreenOverlay: the frozen screen with the rectangle
// outlined as it grows, and the magnifier beside the pointer.
#pragma once

#include <optional>

#include "cli/screen_overlay.h"

namespace velmo::cli {

// The rectangle between where the left button went down and where it came up, in screen
// coordinates (the row and column of the release point are not in it, so a click without a drag
// gives an empty rectangle); nothing when the person cancels with Escape or the right button.
std::optional<gfx::Rect> select_area(ScreenOverlay& overlay);

// The picture the overlay shows for the pointer at `pointer` with `selected` outlined.
gfx::Bitmap selection_picture(const gfx::Bitmap& frozen, gfx::Point pointer, std::optional<gfx::Rect> selected);

}  // namespace velmo::cli
