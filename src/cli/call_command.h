// `velmo call PROGID MEMBER [ARG...]`: create an object by ProgID and call one member late-bound.
#pragma once

#include <CLI/CLI.hpp>

namespace velmo::cli {

void add_call_command(CLI::App& app);

}  // namespace velmo::cli
