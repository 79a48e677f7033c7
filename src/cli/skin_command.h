// `velmo skin SKIN [-o FILE.png] [--rects]`: shows a borderless form shaped by the picture SKIN
// through clsKxLumoUIFormSkinA, prints the region's rectangles and captures the screen where the
// form stands.
#pragma once

#include <CLI/CLI.hpp>

namespace velmo::cli {

void add_skin_command(CLI::App& app);

}  // namespace velmo::cli
