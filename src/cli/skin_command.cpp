#include "cli/skin_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "automation/dynamic_object.h"
#include "automation/late.h"
#include "automation/registry.h"
#include "cli/error_output.h"
#include "cli/real_display.h"
#include "codecs/png_output.h"
#include "host/form.h"
#include "cli/picture_limits.h"
#include "host/load_picture.h"
#include "platform/display.h"
#include "platform/picture.h"
#include "platform/scoped.h"
#include "platform/user.h"

namespace velmo::cli {

namespace {

using namespace velmo::platform;

struct Options {
    std::string skin;
    std::string output;
    bool rects = false;
};

// The skin's size in pixels; a missing or undecodable file fails here, before any window is made,
// with a line that names the file.
gfx::Size skin_size(const std::string& file)
{
    if (file.empty())
        fail("no skin file given");
    std::shared_ptr<Picture> picture;
    try {
        picture = std::dynamic_pointer_cast<Picture>(host::LoadPicture(file));
    } catch (const Error& error) {
        fail(file + ": " + error.description());
    }
    gfx::Size size = picture ? picture->pixel_size() : gfx::Size {};
    if (size.is_empty())
        fail(file + ": the picture is empty");
    if (auto refusal = size_refusal(size.width, size.height); !refusal.empty())
        fail(file + ": " + refusal);
    return size;
}

// On the memory display the screen grows to hold the skin, so that the capture shows all of it.
void make_room(gfx::Size skin)
{
    if (on_real_display())
        return;
    DisplayOptions options = display_options();
    constexpr int margin = 16;
    gfx::Size needed { std::max(options.screen.width, skin.width + 2 * margin), std::max(options.screen.height, skin.height + 2 * margin) };
    if (needed == options.screen)
        return;
    options.screen = needed;
    reset_display(options);
}

// The skin's top-left corner on the screen: centred when it fits.
gfx::Point place_for(gfx::Size skin)
{
    gfx::Size screen = display_options().screen;
    return { std::max(0, (screen.width - skin.width) / 2), std::max(0, (screen.height - skin.height) / 2) };
}

std::shared_ptr<host::Form> borderless_form(gfx::Point at, gfx::Size size)
{
    auto form = host::Form::create(size.width, size.height);
    ObjectRef f = form;
    late::let(f, "BorderStyle", 0);
    late::let(f, "Left", at.x * 15);
    late::let(f, "Top", at.y * 15);
    late::let(f, "Width", size.width * 15);
    late::let(f, "Height", size.height * 15);
    late::let(f, "Caption", "velmo skin");
    late::call(f, "Show");
    return form;
}

// The screen where the skin stands, written through a temporary file beside `png`, so a failure
// leaves neither a partial file nor a damaged earlier one.
void write_capture(gfx::Rect area, const std::filesystem::path& png)
{
    ScopedWindowDC screen(GetDC(0), 0);
    auto source = reading_source(screen.get());
    gfx::Rect shown = source ? area.intersected(source->area) : gfx::Rect {};
    if (shown.is_empty())
        fail("the form stands off the screen; nothing to capture");
    codecs::write_png_whole(*source->bitmap, shown.translated(source->origin), png);
}

void run(const Options& o)
{
    gfx::Size size = skin_size(o.skin);
    make_room(size);
    gfx::Point at = place_for(size);
    auto form = borderless_form(at, size);

    // The class reports a failing step through the error-handler service, which prints it; the
    // skin still shows as far as the steps went (a display too small for the fifteen-fold form
    // keeps the form at the skin's size, which shows all of it).
    ObjectRef skin = create_object("Velmo10.clsKxLumoUIFormSkinA");
    late::let(skin, "SkinFile", o.skin);
    late::set(skin, "FormObject", form);
    late::call(skin, "Show");

    if (!o.output.empty())
        write_capture(gfx::Rect::of(at, size), o.output);

    const Window* window = find_window(form->window());
    if (o.rects) {
        if (window && window->region) {
            for (const gfx::Rect& r : window->region->rects())
                std::printf("%d %d %d %d\n", r.left(), r.top(), r.right(), r.bottom());
        }
    } else {
        size_t count = window && window->region ? window->region->rects().size() : 0;
        std::printf("Skin %s: %d x %d pixels, a region of %zu rectangles\n", o.skin.c_str(), size.width, size.height, count);
        if (!o.output.empty())
            std::printf("Wrote %s\n", o.output.c_str());
    }
    std::fflush(stdout);

    if (on_real_display()) {
        // Dragged by any point of the skin, as a host's mouse-down handler does it. The handler
        // holds the skin weakly: the skin holds the form and the form its handler, so a strong
        // hold would keep both forms and the picture box alive after the window has gone.
        auto handler = std::make_shared<DynamicObject>("frmSkin");
        handler->on("MouseDown", [weak_skin = std::weak_ptr<Object>(skin)](Args event) {
            if (ObjectRef held = weak_skin.lock()) {
                Variant* args[] = { event[0] };
                late::invoke(held, "MakeMoveable", Invoke::Call, args);
            }
            return Variant {};
        });
        form->connect_events(handler);
        keep_shown(form->window(), RightClick::Closes);
    }
}

}  // namespace

void add_skin_command(CLI::App& app)
{
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("skin", "Show a borderless form shaped by a skin picture (BMP, GIF, JPEG or PNG)");
    command->add_option("skin", options->skin, "the skin picture (each side up to 8192, at most 8000x8000 pixels); its top-left pixel's colour is transparent")->required();
    command->add_option("-o,--output", options->output, "PNG of the screen where the form stands, the desktop showing through");
    command->add_flag("--rects", options->rects,
        "print only the region's rectangles, one 'left top right bottom' line each (right and bottom exclusive, "
        "window coordinates)");
    command->footer("The region holds every pixel whose colour differs from the top-left one; a skin of one colour gives\n"
                    "no region (and no --rects lines). With --display x11 the form stays up: drag it by the skin, close it\n"
                    "with Escape or a right click.\n"
                    "Examples:\n"
                    "  velmo skin heart.png -o shown.png\n"
                    "  velmo skin heart.png --rects\n");
    command->callback([options] {
        try {
            run(*options);
        } catch (const Error& error) {
            print_error(error);
            throw CLI::RuntimeError(1);
        }
    });
}

}  // namespace velmo::cli
