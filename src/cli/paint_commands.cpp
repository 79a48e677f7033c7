#include "cli/paint_commands.h"

#include <algorithm>
#include <iostream>

#include "cli/arguments.h"
#include "cli/error_output.h"
#include "cli/gallery.h"
#include "cli/real_display.h"
#include "gradients/gradients.h"
#include "host/form.h"
#include "host/picture_box.h"

namespace velmo::cli {

namespace {

void add_paint_command(CLI::App& app)
{
    struct Options {
        std::string member;
        std::vector<std::string> words;
        std::string size = "640x480";
        std::string on = "form";
        std::string output;
        bool show = false;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("paint", "Paint one member of the gradient painter onto a new surface and save it as PNG");
    command->add_option("member", options->member, "painter member, e.g. Gradient01, HorizGradient, RedBuild")->required();
    command->add_option("args", options->words,
        "arguments after the surface: numbers, True/False (put negative numbers after --)");
    command->add_option("--size", options->size, "client size in pixels, WxH (each side up to 8192, at most 8000x8000 pixels)")->capture_default_str();
    command->add_option("--on", options->on, "surface: form or picturebox")
        ->check(CLI::IsMember({ "form", "picturebox" }))
        ->capture_default_str();
    command->add_option("-o,--output", options->output, "PNG file to write")->required();
    command->add_flag("--show", options->show, "then keep the surface's window up on the real display until it is closed (or Escape)");
    command->footer("Examples:\n"
                    "  velmo paint Gradient01 1 1 --on picturebox --size 510x300 -o g.png\n"
                    "  velmo --display x11 paint CircleGradient 255 255 255 0 64 160 True -o c.png --show\n"
                    "  velmo paint HorizGradient 0 0 0 255 255 255 False -o ramp.png\n"
                    "  velmo paint RedBuild -o build.png");
    command->callback([options] {
        PixelSize size;
        try {
            size = parse_size(options->size);
        } catch (const Error& error) {
            throw CLI::ValidationError("--size", error.description());
        }
        const auto& members = gradients::clsKxLumoGradientsA::info().members;
        bool known = std::any_of(members.begin(), members.end(),
            [&](const Member& m) { return equals_ignoring_case(m.name, options->member); });
        if (!known)
            throw CLI::ValidationError("member", options->member + " is not a painter member; `velmo typelib` lists them");
        if (options->show && !on_real_display())
            throw CLI::ValidationError("--show", "needs a real display: put --display x11 (or auto) before the command");
        auto kind = options->on == "form" ? SurfaceKind::Form : SurfaceKind::PictureBox;
        ObjectRef surface;
        try {
            surface = paint_member(options->member, parse_arguments(options->words), kind, size, options->output);
        } catch (const Error& error) {
            print_error(error);
            throw CLI::RuntimeError(1);
        }
        std::cout << "Wrote " << options->output << "\n";
        if (options->show) {
            std::cout.flush();
            keep_shown(std::static_pointer_cast<host::Surface>(surface)->window());
        }
    });
}

void add_gallery_command(CLI::App& app)
{
    struct Options {
        std::string output = "velmo-gallery";
        std::string size = "400x300";
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("gallery",
        "Paint all 46 members of the gradient painter (each preset also on a picture box, each ...Build also part-way) and a labelled contact sheet");
    command->add_option("-o,--output", options->output, "folder for the pictures")->capture_default_str();
    command->add_option("--size", options->size, "client size of each surface in pixels, WxH (each side up to 8192, at most 8000x8000 pixels)")->capture_default_str();
    command->footer("A picture that fails at this size is one line on stderr; the others and the sheet are still made,\n"
                    "and the exit code is 1. Gradient fails from a client width of 2177 (its twips overflow an Integer).");
    command->callback([options] {
        PixelSize size;
        try {
            size = parse_size(options->size);
        } catch (const Error& error) {
            throw CLI::ValidationError("--size", error.description());
        }
        try {
            Gallery gallery = write_gallery(options->output, size);
            std::cout << "Wrote " << gallery.pictures.size() << " pictures and contact-sheet.png into " << options->output << "\n";
            // The others are made, but a picture that failed makes the run a failure.
            if (gallery.failures > 0)
                throw CLI::RuntimeError(1);
        } catch (const Error& error) {
            print_error(error);
            throw CLI::RuntimeError(1);
        }
    });
}

// Band samples: the three band members with a few of their arguments.
struct BandSample {
    const char* file;
    const char* member;
    std::vector<Variant> args;
    SurfaceKind kind;
    PixelSize size;
};

std::vector<BandSample> band_samples()
{
    return {
        { "gradient-white-down.png", "Gradient", { Long(255), Long(255), Long(255), True }, SurfaceKind::Form, { 640, 480 } },
        { "gradient-orange-up.png", "Gradient", { Long(255), Long(160), Long(40), False }, SurfaceKind::Form, { 640, 480 } },
        { "gradient01-green-vertical.png", "Gradient01", { Long(1), Long(1) }, SurfaceKind::PictureBox, { 510, 300 } },
        { "gradient01-grey-horizontal.png", "Gradient01", { Long(6), Long(0) }, SurfaceKind::PictureBox, { 400, 510 } },
        { "gradient01-magenta-vertical.png", "Gradient01", { Long(4), Long(1) }, SurfaceKind::Form, { 640, 480 } },
        { "gradient02-blue.png", "Gradient02", { Long(2) }, SurfaceKind::PictureBox, { 510, 300 } },
        { "gradient02-yellow.png", "Gradient02", { Long(3) }, SurfaceKind::Form, { 640, 480 } },
    };
}

}  // namespace

void add_paint_commands(CLI::App& app)
{
    add_paint_command(app);
    add_gallery_command(app);
}

int write_gradient_demo(const std::filesystem::path& dir)
{
    int failures = 0;
    auto bands = dir / "bands";
    create_folder(bands);
    for (const auto& sample : band_samples()) {
        try {
            paint_member(sample.member, sample.args, sample.kind, sample.size, bands / sample.file);
        } catch (const Error& error) {
            print_error(error);
            ++failures;
        }
    }
    std::cout << "Band gradients: " << band_samples().size() - failures << " samples in " << bands.string() << "\n";

    auto gallery = dir / "gallery";
    Gallery painted = write_gallery(gallery, { 400, 300 });
    failures += painted.failures;
    std::cout << "Gradient gallery: " << painted.pictures.size() << " pictures and contact-sheet.png in " << gallery.string() << "\n";
    return failures;
}

}  // namespace velmo::cli
