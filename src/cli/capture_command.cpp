#include "cli/capture_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <iostream>
#include <optional>

#include "automation/late.h"
#include "automation/registry.h"
#include "cli/error_output.h"
#include "cli/gallery.h"
#include "codecs/png_output.h"
#include "host/form.h"
#include "platform/display.h"
#include "platform/picture.h"
#include "platform/user.h"
#include "platform/x11/foreign_window.h"

namespace velmo::cli {

namespace {

using namespace velmo::platform;

ObjectRef call(const ObjectRef& object, std::string_view member, std::vector<Variant> args = {})
{
    std::vector<Variant*> refs;
    for (auto& a : args)
        refs.push_back(&a);
    return late::invoke(object, member, Invoke::Call, refs).to_object();
}

Long handle_value(HWND window) { return Long(static_cast<int32_t>(window)); }

std::string hex(HWND window)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", window);
    return text;
}

// "1234" or "0x4d2".
std::optional<HWND> parse_handle(const std::string& text)
{
    bool is_hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (is_hex ? 2 : 0);
    const char* last = text.data() + text.size();
    uint32_t value = 0;
    auto [end, error] = std::from_chars(first, last, value, is_hex ? 16 : 10);
    if (error != std::errc() || end != last || first == last)
        return {};
    return value;
}

// "X,Y,W,H" in pixels.
gfx::Rect parse_rect(const std::string& text)
{
    int values[4] = {};
    const char* at = text.data();
    const char* last = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        auto [end, error] = std::from_chars(at, last, values[i]);
        bool separator_ok = i < 3 ? (end != last && *end == ',') : end == last;
        if (error != std::errc() || end == at || !separator_ok)
            fail("--rect wants X,Y,W,H in whole pixels, e.g. 0,0,640,480: " + text);
        at = end + 1;
    }
    gfx::Rect rect { values[0], values[1], values[2], values[3] };
    if (rect.width <= 0 || rect.height <= 0)
        fail("--rect " + text + " is empty or negative: the width and height must be at least 1");
    return rect;
}

// Writes the picture's bitmap as PNG through a temporary file beside `png`, so a failure leaves
// neither a partial file nor a damaged earlier one.
void write_picture(const ObjectRef& object, const std::filesystem::path& png)
{
    auto picture = std::dynamic_pointer_cast<Picture>(object);
    const gfx::Bitmap* pixels = picture ? picture->pixels() : nullptr;
    if (!pixels || pixels->size().is_empty())
        fail("the capture gave no picture");

    codecs::write_png_whole(*pixels, png);
}

gfx::Size size_of(const RECT& r) { return { r.right - r.left, r.bottom - r.top }; }

struct Options {
    bool screen = false;
    bool active = false;
    std::string window;
    bool client = false;
    std::string rect;
    std::string output;
};

// The window to capture from and the size of the area its context covers.
struct Source {
    HWND window = 0;
    gfx::Size area;
    std::string name;
};

Source choose_source(const Options& o)
{
    RECT r;
    if (o.active) {
        HWND active = GetForegroundWindow();
        if (!active || !GetWindowRect(active, &r))
            fail("no window is active");
        return { active, size_of(r), "the active window" };
    }
    if (!o.window.empty()) {
        auto handle = parse_handle(o.window);
        if (!handle)
            fail("--window wants a window handle, decimal or 0x hexadecimal: " + o.window);
        // Handle 0 stands for the screen, as it does for the capture class.
        if (*handle != 0) {
            HWND window = *handle;
            // On X11 a number that is no handle of ours is tried as another program's X window id.
            if (!IsWindow(window))
                window = x11::x11_window_handle(*handle);
            if (!window)
                fail("no window has the handle " + hex(*handle) + " (" + std::to_string(*handle) + ")");
            bool got = o.client ? GetClientRect(window, &r) : GetWindowRect(window, &r);
            if (!got)
                fail("cannot measure the window " + hex(*handle));
            return { window, size_of(r), std::string(o.client ? "the client area of " : "the window ") + hex(*handle) };
        }
    }
    HWND desktop = GetDesktopWindow();
    GetWindowRect(desktop, &r);
    return { desktop, size_of(r), "the screen" };
}

void run_capture(const Options& o)
{
    Source source = choose_source(o);
    std::optional<gfx::Rect> rect;
    if (!o.rect.empty()) {
        rect = parse_rect(o.rect);
        if (rect->x < 0 || rect->y < 0 || int64_t(rect->x) + rect->width > source.area.width
            || int64_t(rect->y) + rect->height > source.area.height)
            fail("--rect " + o.rect + " reaches outside " + source.name + ", which is " + std::to_string(source.area.width) + " x "
                + std::to_string(source.area.height) + " pixels");
    }
    if (source.area.is_empty())
        fail(source.name + " has no pixels to capture");

    ObjectRef capture = create_object("Velmo10.clsKxLumoImageCaptureA");
    ObjectRef picture;
    if (rect)
        picture = call(capture, "CaptureWindow", { handle_value(source.window), Boolean::from(o.client), rect->x, rect->y, rect->width, rect->height });
    else if (o.active)
        picture = call(capture, "CaptureActiveWindow");
    else if (o.window.empty() || source.window == GetDesktopWindow())
        picture = call(capture, "CaptureScreen");
    else
        picture = call(capture, "CaptureAnyWindow",
            { handle_value(source.window), Boolean::from(o.client), 0, 0, source.area.width, source.area.height });
    write_picture(picture, o.output);
    gfx::Size size = rect ? rect->size() : source.area;
    std::cout << "Wrote " << o.output << ": " << size.width << " x " << size.height << " pixels of " << source.name << "\n";
}

}  // namespace

void add_capture_command(CLI::App& app)
{
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("capture", "Capture the screen, the active window or any window into a PNG");
    auto* screen = command->add_flag("--screen", options->screen, "the whole screen (the default)");
    auto* active = command->add_flag("--active", options->active, "the active (foreground) window, frame and caption included");
    auto* window = command->add_option("--window", options->window, "the window with this handle, decimal or 0x hexadecimal; 0 is the screen; on X11 also another program's X window id")
                       ->type_name("HANDLE");
    command->add_flag("--client", options->client, "with --window: only its client area")->needs(window);
    screen->excludes(active)->excludes(window);
    active->excludes(window);
    command->add_option("--rect", options->rect, "only this rectangle of what is captured, in its pixels")->type_name("X,Y,W,H");
    command->add_option("-o,--output", options->output, "PNG file to write")->type_name("FILE.png")->required();
    command->footer("On the memory display the screen holds what this process has shown; on a real display, the real screen.\n"
                    "Examples:\n"
                    "  velmo capture -o screen.png\n"
                    "  velmo capture --window 0x10004 --client --rect 0,0,200,100 -o part.png");
    command->callback([options] {
        try {
            run_capture(*options);
        } catch (const Error& error) {
            print_error(error);
            throw CLI::RuntimeError(1);
        }
    });
}

int write_capture_demo(const std::filesystem::path& dir)
{
    auto folder = dir / "capture";
    create_folder(folder);

    // A form 480 x 300 inside, shown 60 pixels in and 40 down, painted with a dusk gradient.
    auto form = host::Form::create(480, 300);
    late::let(form, "Caption", std::string("Captured by velmo"));
    late::let(form, "Left", 60.0f * 15);
    late::let(form, "Top", 40.0f * 15);
    late::call(form, "Show");
    // Drawn into the persistent image, so that showing it again keeps the gradient.
    late::let(form, "AutoRedraw", True);
    ObjectRef painter = create_object("Velmo10.clsKxLumoGradientsA");
    call(painter, "HorizGradient",
        { ObjectRef(form), Integer(20), Integer(30), Integer(110), Integer(250), Integer(150), Integer(60), True });
    late::call(form, "Refresh");

    ObjectRef capture = create_object("Velmo10.clsKxLumoImageCaptureA");
    Long window = late::get(form, "hwnd").to_long();
    struct Shot {
        const char* file;
        const char* member;
        std::vector<Variant> args;
    };
    const Shot shots[] = {
        { "capture-form.png", "CaptureForm", { ObjectRef(form) } },
        { "capture-form-client.png", "CaptureFormClient", { ObjectRef(form) } },
        { "capture-active-window.png", "CaptureActiveWindow", {} },
        { "capture-screen.png", "CaptureScreen", {} },
        { "capture-window-part.png", "CaptureWindow", { window, True, 120, 75, 240, 150 } },
        { "capture-any-window-caption.png", "CaptureAnyWindow", { window, False, 0, 0, 488, 24 } },
    };
    int failures = 0;
    for (const auto& shot : shots) {
        try {
            write_picture(call(capture, shot.member, shot.args), folder / shot.file);
        } catch (Error& error) {
            if (error.number() == command_failure)
                error = Error(command_failure, error.source(), std::string(shot.member) + ": " + error.description());
            print_error(error);
            ++failures;
        }
    }
    std::cout << "Capture: a form painted with HorizGradient, captured by each of the six members: "
              << std::size(shots) - failures << " pictures in " << folder.string() << "\n";
    return failures;
}

}  // namespace velmo::cli
