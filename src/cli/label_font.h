// The font the command writes labels in (the gallery's contact sheet, the magnifier's readout).
#pragma once

#include <cairo.h>

namespace velmo::cli {

// Makes the labels' font the current font of `cr`.
void select_label_font(cairo_t* cr);

}  // namespace velmo::cli
