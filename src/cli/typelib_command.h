// `velmo typelib`: the type library printed like an interface definition.
#pragma once

#include <ostream>

#include <CLI/CLI.hpp>

#include "automation/registry.h"

namespace velmo::cli {

void print_type_library(const TypeLibrary& library, std::ostream& out);
void add_typelib_command(CLI::App& app);

}  // namespace velmo::cli
