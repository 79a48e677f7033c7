// The velmo command line: every command, parsed and run.
#pragma once

namespace velmo::cli {

// Runs the command line and returns the exit code. Every failure ends as one line "velmo: ..." on
// standard error and exit code 1: usage errors from the parser, errors of the library (those of
// `prepare` too, which runs first), and anything else a command lets escape.
int run(int argc, char** argv, void (*prepare)() = nullptr);

}  // namespace velmo::cli
