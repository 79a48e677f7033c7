// The installed velmo command. Reading tags must start fast and map no drawing or windowing
// library, so this program links only libvelmo and libvelmo10 and runs `tags`, `tag`, `rename` and
// `--version` itself. Everything else (the drawing commands, help, usage errors) is the full
// command, which it runs in its place from the components' folder: the same arguments, the same
// output, the same exit code.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string_view>

#include <CLI/CLI.hpp>

#include "automation/component_loader.h"
#include "cli/error_output.h"
#include "cli/exif_commands.h"
#include "velmo/version.h"

namespace {

int run_full_command(char** argv)
{
    auto full = velmo::components::registration_file().parent_path() / "velmo-commands";
    execv(full.c_str(), argv);
    std::cerr << "velmo: cannot run " << full.string() << ": " << std::strerror(errno) << "\n";
    return 1;
}

bool is_exif_command(std::string_view word) { return word == "tags" || word == "tag" || word == "rename"; }

}  // namespace

int main(int argc, char** argv)
try {
    if (argc == 2 && (std::string_view(argv[1]) == "--version" || std::string_view(argv[1]) == "-V")) {
        std::cout << velmo::version_line << "\n";
        return 0;
    }
    if (argc < 2 || !is_exif_command(argv[1]))
        return run_full_command(argv);

    CLI::App app { "velmo", "velmo" };
    velmo::cli::add_exif_commands(app);
    app.require_subcommand(1);
    try {
        app.parse(argc, argv);
    } catch (const CLI::RuntimeError& failed) {
        return failed.get_exit_code();  // the command has reported what failed
    } catch (const CLI::ParseError&) {
        // Help or a usage error: nothing has run yet, so the full command says it as it always does.
        return run_full_command(argv);
    }
    return 0;
} catch (const velmo::Error& error) {
    velmo::cli::print_error(error);
    return 1;
} catch (const std::exception& error) {
    std::cerr << "velmo: " << error.what() << "\n";
    return 1;
}
