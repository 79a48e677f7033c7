// velmo: the command through which a person meets the library.
#include <CLI/CLI.hpp>

#include "cli/call_command.h"
#include "cli/demo_command.h"
#include "cli/exif_commands.h"
#include "cli/paint_commands.h"
#include "cli/typelib_command.h"
#include "services/kxbasalt10.h"
#include "velmo10/velmo10.h"

int main(int argc, char** argv)
{
    velmo::velmo10::load();
    velmo::kxbasalt10::load();

    CLI::App app { "velmo: colour gradients, snow, screen capture, skinned forms, colour picking and EXIF metadata.\n"
                   "Every class of the Velmo10 type library is reachable by ProgID and member name.",
        "velmo" };
    app.set_version_flag("-V,--version", "velmo 1.0 (type library Velmo10 1.0)");
    app.require_subcommand(1);

    velmo::cli::add_demo_command(app);
    velmo::cli::add_typelib_command(app);
    velmo::cli::add_call_command(app);
    velmo::cli::add_exif_commands(app);
    velmo::cli::add_paint_commands(app);

    CLI11_PARSE(app, argc, argv);
    return 0;
}
