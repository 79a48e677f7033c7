// `velmo capture`: the screen, the active window or any window (or a rectangle of it) through the
// capture class, written as PNG. It uses only the display's platform calls, so it captures whatever
// display the process runs on: on the memory display, what the process itself has shown.
#pragma once

#include <filesystem>

#include <CLI/CLI.hpp>

namespace velmo::cli {

void add_capture_command(CLI::App& app);

// What `velmo demo` shows of capture: a form painted with a gradient, captured by each member,
// one PNG per member under `dir`. Returns the number of pictures that failed.
int write_capture_demo(const std::filesystem::path& dir);

}  // namespace velmo::cli
