#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

#include "cli/call_command.h"
#include "cli/capture_command.h"
#include "cli/demo_command.h"
#include "cli/error_output.h"
#include "cli/exif_commands.h"
#include "cli/paint_commands.h"
#include "cli/pick_command.h"
#include "cli/real_display.h"
#include "cli/skin_command.h"
#include "cli/snow_command.h"
#include "cli/typelib_command.h"

namespace {

// A word where a command belongs that names none: a clearer line than "a subcommand is required".
bool names_no_command(const CLI::App& app, int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-')
        return false;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        if (command->check_name(argv[1]))
            return false;
    }
    return true;
}

}  // namespace

namespace velmo::cli {

int run(int argc, char** argv, void (*prepare)())
try {
    if (prepare)
        prepare();

    CLI::App app { "velmo: the Velmo10 graphics component library from the command line.\n"
                   "Every class of the Velmo10 type library is reachable by ProgID and member name.",
        "velmo" };
    app.failure_message([](const CLI::App*, const CLI::Error& error) {
        return "velmo: " + std::string(error.what()) + " (velmo --help shows the usage)\n";
    });
    app.set_version_flag("-V,--version", "velmo 1.0 (type library Velmo10 1.0)");
    app.require_subcommand(1);
    velmo::cli::add_display_option(app);

    velmo::cli::add_demo_command(app);
    velmo::cli::add_typelib_command(app);
    velmo::cli::add_call_command(app);
    velmo::cli::add_exif_commands(app);
    velmo::cli::add_paint_commands(app);
    velmo::cli::add_pick_command(app);
    velmo::cli::add_capture_command(app);
    velmo::cli::add_skin_command(app);
    velmo::cli::add_snow_command(app);

    if (names_no_command(app, argc, argv)) {
        std::cerr << "velmo: " << argv[1] << ": no such command (velmo --help lists them)\n";
        return 1;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version end in success; a command that printed its own failure ends in RuntimeError.
        return app.exit(error) == 0 ? 0 : 1;
    }
    return 0;
} catch (velmo::Error& error) {
    error.set_source_if_empty("velmo");
    velmo::cli::print_error(error);
    return 1;
} catch (const std::exception& error) {
    std::cerr << "velmo: " << error.what() << "\n";
    return 1;
} catch (...) {
    std::cerr << "velmo: failed for an unknown reason\n";
    return 1;
}

}  // namespace velmo::cli
