// How the command fails: every failure is a velmo::Error. An automation error is reported as
// "velmo: error 6 (Velmo10): Overflow" on stderr; a failure of the command itself, which has no
// automation number, as "velmo: what went wrong".
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "automation/error.h"

namespace velmo::cli {

// The number of the command's own failures (a wrong option, nothing to capture).
inline constexpr int32_t command_failure = 0;

[[noreturn]] inline void fail(std::string message) { throw Error(command_failure, "velmo", std::move(message)); }

// One line on stderr. `what` names the part of a longer run that failed, after "velmo: ".
inline void print_error(const Error& error, std::string_view what = {})
{
    std::string prefix = what.empty() ? std::string("velmo: ") : "velmo: " + std::string(what) + ": ";
    if (error.number() == command_failure)
        std::fprintf(stderr, "%s%s\n", prefix.c_str(), error.description().c_str());
    else
        std::fprintf(stderr, "%serror %d (%s): %s\n", prefix.c_str(), error.number(), error.source().c_str(), error.description().c_str());
}

}  // namespace velmo::cli
