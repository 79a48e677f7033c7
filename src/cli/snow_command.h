// `velmo snow`: the snow effect on a picture box, run the way a host runs it (a handler that sets
// Cancel from inside the message pump), written as an animated WebP or GIF, or as a PNG of the
// last frame.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include <CLI/CLI.hpp>

#include "cli/gallery.h"

namespace velmo::cli {

void add_snow_command(CLI::App& app);

struct SnowRequest {
    std::optional<std::filesystem::path> picture;  // none: a black picture of `size` with shapes
    PixelSize size { 600, 600 };
    int frames = 600;
    std::optional<double> seed;  // none: the clock
    std::filesystem::path output;  // .webp, .gif or .png
};

// Runs the effect for request.frames frames and writes request.output through a temporary file
// beside it, so that a failure leaves no file behind. `progress(done, total)` is called after
// every frame. Failures leave as velmo::Error with a line for the user.
void write_snow(const SnowRequest& request, const std::function<void(int, int)>& progress = {});

// Runs the effect with its window shown on the real display until the window is closed; the
// frame count and output are not used. Fails (cli::fail) when the display is lost.
void show_snow(const SnowRequest& request);

}  // namespace velmo::cli
