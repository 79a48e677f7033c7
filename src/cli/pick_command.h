// velmo pick: the colour under the pointer, one line per tick of the colour picker.
#pragma once

#include <CLI/CLI.hpp>

namespace velmo::cli {

void add_pick_command(CLI::App& app);

}  // namespace velmo::cli
