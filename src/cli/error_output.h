// How the command reports an automation error: "velmo: error 6 (Velmo10): Overflow" on stderr.
#pragma once

#include <cstdio>

#include "automation/error.h"

namespace velmo::cli {

inline void print_error(const Error& error)
{
    std::fprintf(stderr, "velmo: error %d (%s): %s\n", error.number(), error.source().c_str(), error.description().c_str());
}

}  // namespace velmo::cli
