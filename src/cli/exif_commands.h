// `velmo tags`, `velmo tag` and `velmo rename`: the EXIF reader on the command line.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace velmo::cli {

void add_exif_commands(CLI::App& app);

// Where a command writes, and whether each stream is a terminal.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool out_is_terminal = false;
    bool err_is_terminal = false;
};

struct TagsOptions {
    std::vector<std::string> paths;
    bool json = false;
    bool recursive = false;
    std::string ini;  // empty: exif.ini beside the library
    unsigned jobs = 0;  // files read at once; 0: one per core
};
struct TagOptions {
    std::string path;
    std::string tag;  // a catalogue name or a number
    std::string ini;
};
struct RenameOptions {
    std::vector<std::string> paths;
    bool dry_run = false;
    std::string ini;
    std::string journal;  // append each rename here before making it
    std::string undo;     // a journal to take back instead of renaming
    bool sequence = false;
    std::string shift;  // "[+|-]H:MM[:SS]" added to each time stamp
    unsigned jobs = 0;  // files read at once; 0: one per core
};

// Each returns the exit code: 0, or 1 when a file failed.
int run_tags(const TagsOptions& options, Console& console);
int run_tag(const TagOptions& options, Console& console);
int run_rename(const RenameOptions& options, Console& console);

}  // namespace velmo::cli
