#include "cli/demo_command.h"

#include <filesystem>
#include <iostream>

#include "automation/late.h"
#include "automation/registry.h"
#include "cli/capture_command.h"
#include "cli/error_output.h"
#include "cli/gallery.h"
#include "cli/paint_commands.h"
#include "cli/snow_command.h"
#include "velmo10/velmo10.h"

namespace velmo::cli {

namespace {

// The frame: the type library's classes, the App object, and the main class's members.
void demo_frame()
{
    const auto& library = velmo10::type_library();
    std::cout << "Type library " << library.name << " " << library.version << ":\n";
    for (const ClassInfo* info : library.classes)
        std::cout << "  " << info->progid() << " (" << info->members.size() << " members"
                  << (info->creatable == Creatable::Yes ? "" : ", not creatable") << ")\n";

    ObjectRef main = create_object("Velmo10.clsKxVelmo10A");
    ObjectRef app = late::get(main, "GetProStdProperties").to_object();
    std::cout << "App: " << late::get(app, "Title").to_string() << " " << late::get(app, "Major").to_string() << "."
              << late::get(app, "Minor").to_string() << " in " << late::get(app, "Path").to_string() << "\n";
    try {
        late::get(main, "GetProResStrings", 101);
    } catch (const Error& error) {
        std::cout << "GetProResStrings(101): error " << error.number() << ": " << error.description() << "\n";
    }
    // The About box goes to standard error; keep the two streams in order on a terminal.
    std::cout << std::flush;
    std::cout << "About returns " << late::call(main, "About").to_string() << "\n";
}

}  // namespace

void add_demo_command(CLI::App& app)
{
    auto output = std::make_shared<std::string>("velmo-demo");
    auto* command = app.add_subcommand("demo", "Tour the library: its classes and members, writing pictures into a folder");
    command->add_option("-o,--output", *output, "folder for the demo's files")->capture_default_str();
    command->callback([output] {
        try {
            create_folder(*output);
            demo_frame();
            std::cout << "\nGradients: band samples and the gallery of all 46 painter members\n" << std::flush;
            if (int failed = write_gradient_demo(*output); failed > 0) {
                std::cerr << "velmo: " << failed << " gradient pictures could not be written\n";
                throw CLI::RuntimeError(1);
            }
            std::cout << "\nCapture: a gradient form captured by each member of the capture class\n" << std::flush;
            if (int failed = write_capture_demo(*output); failed > 0) {
                std::cerr << "velmo: " << failed << " capture pictures could not be written\n";
                throw CLI::RuntimeError(1);
            }
            std::cout << "\nSnow: 150 frames of snow settling on a 240 x 180 picture, seeded\n" << std::flush;
            SnowRequest snow { std::nullopt, { 240, 180 }, 150, 1.0, std::filesystem::path(*output) / "snow.gif" };
            write_snow(snow);
            std::cout << "Snow: " << snow.output.string() << "\n";
            std::cout << "Demo files are in " << std::filesystem::absolute(*output).string() << "\n";
        } catch (const Error& error) {
            print_error(error);
            throw CLI::RuntimeError(1);
        }
    });
}

}  // namespace velmo::cli
