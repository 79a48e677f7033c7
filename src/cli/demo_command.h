// `velmo demo`: a tour of what the library does, writing its pictures into a folder.
#pragma once

#include <CLI/CLI.hpp>

namespace velmo::cli {

void add_demo_command(CLI::App& app);

}  // namespace velmo::cli
