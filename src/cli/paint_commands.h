// The gradient painter's commands: `velmo paint` paints one member onto a fresh form or picture box
// and writes the picture as PNG; `velmo gallery` paints all 46 members and a labelled contact sheet.
#pragma once

#include <filesystem>

#include <CLI/CLI.hpp>

namespace velmo::cli {

void add_paint_commands(CLI::App& app);

// What `velmo demo` shows of the painter: band samples and the gallery under `dir`. Returns the
// number of pictures that failed (0 when all were written).
int write_gradient_demo(const std::filesystem::path& dir);

}  // namespace velmo::cli
