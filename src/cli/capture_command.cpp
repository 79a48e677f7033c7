#include "cli/capture_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <iostream>
#include <optional>
#include <thread>

#include "automation/late.h"
#include "automation/registry.h"
#include "cli/error_output.h"
#include "cli/gallery.h"
#include "cli/real_display.h"
#include "cli/screen_overlay.h"
#include "cli/selection.h"
#include "codecs/image_file.h"
#include "codecs/png_output.h"
#include "gfx/png_writer.h"
#include "host/form.h"
#include "platform/display.h"
#include "platform/display_backend.h"
#include "platform/picture.h"
#include "platform/pointer_image.h"
#include "platform/user.h"

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

const gfx::Bitmap& picture_pixels(const ObjectRef& object)
{
    auto picture = std::dynamic_pointer_cast<Picture>(object);
    const gfx::Bitmap* pixels = picture ? picture->pixels() : nullptr;
    if (!pixels || pixels->size().is_empty())
        fail("the capture gave no picture");
    return *pixels;
}

// The pixels taken out of a picture that only the caller holds and is done with, so that they are
// drawn on and written without a copy.
gfx::Bitmap take_picture_pixels(const ObjectRef& object)
{
    auto picture = std::dynamic_pointer_cast<Picture>(object);
    auto pixels = picture ? picture->take_pixels() : std::nullopt;
    if (!pixels || pixels->size().is_empty())
        fail("the capture gave no picture");
    return std::move(*pixels);
}

// Writes the picture's bitmap as PNG, whole or not at all.
void write_picture(const ObjectRef& object, const std::filesystem::path& png)
{
    codecs::write_png_whole(picture_pixels(object), png);
}

gfx::Size size_of(const RECT& r) { return { r.right - r.left, r.bottom - r.top }; }

struct Options {
    bool screen = false;
    bool active = false;
    std::string window;
    bool client = false;
    std::string rect;
    std::string monitor;
    std::string output;
    std::string delay;
    std::string quality;
    bool pointer = false;
    bool select = false;
};

// Where the picture goes and how it is encoded; known before any waiting or capturing.
struct Output {
    bool to_standard_output = false;
    codecs::ImageFormat format = codecs::ImageFormat::Png;
    int quality = codecs::default_jpeg_quality;
};

Output choose_output(const Options& o)
{
    Output output;
    output.to_standard_output = o.output == "-";
    if (!output.to_standard_output) {
        auto format = codecs::format_of(o.output);
        if (!format)
            fail(o.output + ": unknown image format: name the file .png, .jpg, .jpeg or .webp (or - for PNG on standard output)");
        output.format = *format;
    }
    if (!o.quality.empty()) {
        int quality = 0;
        auto [end, error] = std::from_chars(o.quality.data(), o.quality.data() + o.quality.size(), quality);
        if (error != std::errc() || end != o.quality.data() + o.quality.size() || quality < 1 || quality > 100)
            fail("--quality " + o.quality + ": give a whole number from 1 to 100");
        if (output.format != codecs::ImageFormat::Jpeg)
            fail("--quality is for .jpg and .jpeg files only");
        output.quality = quality;
    }
    return output;
}

// Seconds to wait, 0 or more.
double parse_delay(const std::string& text)
{
    if (text.empty())
        return 0;
    double seconds = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || !(seconds >= 0) || seconds > 24 * 3600)
        fail("--delay " + text + ": give the seconds to wait, from 0 to 86400");
    return seconds;
}

// Waits, counting the whole seconds down on a terminal's standard error.
void wait_before_capture(double seconds)
{
    using namespace std::chrono;
    auto end = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(seconds));
    const bool countdown = ::isatty(STDERR_FILENO) == 1;
    for (;;) {
        auto left = end - steady_clock::now();
        if (left <= steady_clock::duration::zero())
            break;
        if (countdown)
            std::cerr << "\rCapturing in " << long(std::ceil(duration<double>(left).count())) << " s " << std::flush;
        // Wakes on each whole second left, so that the count stays true.
        steady_clock::duration to_next_second = left - floor<std::chrono::seconds>(left);
        std::this_thread::sleep_for(to_next_second > steady_clock::duration::zero() ? to_next_second : steady_clock::duration(1s));
    }
    if (countdown && seconds > 0)
        std::cerr << "\r\033[K" << std::flush;
}

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
            // On a display server a number that is no handle of ours is tried as another
            // program's window id there.
            if (!IsWindow(window))
                window = foreign_window(*handle);
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

// The monitor named `wanted`, or the one at that index.
Monitor choose_monitor(const std::string& wanted)
{
    auto monitors = display_backend().monitors();
    for (const Monitor& m : monitors)
        if (m.name == wanted)
            return m;
    size_t index = 0;
    auto [end, error] = std::from_chars(wanted.data(), wanted.data() + wanted.size(), index);
    if (error == std::errc() && end == wanted.data() + wanted.size() && index < monitors.size())
        return monitors[index];
    std::string known;
    for (size_t i = 0; i < monitors.size(); ++i)
        known += (i ? ", " : "") + std::to_string(i) + " " + monitors[i].name;
    fail("no monitor is called " + wanted + "; the monitors are " + known);
}

// Where the captured area's top left corner is on the screen.
gfx::Point screen_origin(const Options& o, const Source& source, const std::optional<gfx::Rect>& rect)
{
    POINT corner { 0, 0 };
    if (source.window != GetDesktopWindow()) {
        RECT r {};
        if (o.client) {
            ClientToScreen(source.window, &corner);
        } else if (GetWindowRect(source.window, &r)) {
            corner = { r.left, r.top };
        }
    }
    return { corner.x + (rect ? rect->x : 0), corner.y + (rect ? rect->y : 0) };
}

// The area the person drags out on the frozen screen, cut from that frozen picture: what they saw
// is what they get, with the pointer where it was when the selection began.
gfx::Bitmap select_and_cut(const Options& o)
{
    // Read before the overlay's crosshair replaces it.
    std::optional<PointerImage> pointer;
    if (o.pointer)
        pointer = current_pointer_image();
    ScreenOverlay overlay("--select");
    auto area = select_area(overlay);
    if (!area)
        fail("the selection was cancelled; nothing was written");
    if (area->is_empty())
        fail("the selection is empty: hold the left button down and drag across the area to capture");
    gfx::Bitmap picture(area->size());
    picture.copy_from(overlay.frozen(), *area, { 0, 0 });
    if (pointer)
        draw_pointer(picture, *pointer, overlay.pointer() - area->location());
    return picture;
}

// Writes the picture, spending its pixels: a PNG is encoded over their memory.
void write_output(const Options& o, const Output& output, gfx::Bitmap&& pixels, gfx::Size size, const std::string& what)
{
    if (output.to_standard_output) {
        if (gfx::write_png_spending(std::move(pixels), STDOUT_FILENO) != gfx::PngWrite::Written)
            fail(std::string("cannot write the picture to standard output: ") + std::strerror(errno));
        return;
    }
    codecs::write_image_whole(std::move(pixels), o.output, output.format, output.quality);
    std::cout << "Wrote " << o.output << ": " << size.width << " x " << size.height << " pixels of " << what << "\n";
}

void run_capture(const Options& o)
{
    const Output output = choose_output(o);
    const double delay = parse_delay(o.delay);
    if (o.select) {
        require_pointing("--select");
        require_screen_pixels();
        if (delay > 0)
            wait_before_capture(delay);
        gfx::Bitmap picture = select_and_cut(o);
        gfx::Size size = picture.size();
        return write_output(o, output, std::move(picture), size, "the selection");
    }
    Source source = choose_source(o);
    std::optional<gfx::Rect> rect;
    std::optional<Monitor> monitor;
    if (!o.monitor.empty()) {
        monitor = choose_monitor(o.monitor);
        source.area = monitor->rect.size();
        source.name = "the monitor " + monitor->name;
    }
    if (!o.rect.empty()) {
        rect = parse_rect(o.rect);
        if (rect->x < 0 || rect->y < 0 || int64_t(rect->x) + rect->width > source.area.width
            || int64_t(rect->y) + rect->height > source.area.height)
            fail("--rect " + o.rect + " reaches outside " + source.name + ", which is " + std::to_string(source.area.width) + " x "
                + std::to_string(source.area.height) + " pixels");
    }
    if (source.area.is_empty())
        fail(source.name + " has no pixels to capture");
    if (source.window == GetDesktopWindow())
        require_screen_pixels();
    gfx::Size size = rect ? rect->size() : source.area;
    // A monitor is a part of the screen: its rectangle, or the part of it --rect names.
    if (monitor)
        rect = rect ? rect->translated(monitor->rect.x, monitor->rect.y) : monitor->rect;
    if (delay > 0)
        wait_before_capture(delay);

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
    gfx::Bitmap captured = take_picture_pixels(picture);
    if (o.pointer) {
        POINT at {};
        GetCursorPos(&at);
        gfx::Point origin = screen_origin(o, source, rect);
        draw_pointer(captured, current_pointer_image(), { at.x - origin.x, at.y - origin.y });
    }
    write_output(o, output, std::move(captured), size, source.name);
}

}  // namespace

void add_capture_command(CLI::App& app)
{
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("capture", "Capture the screen, the active window or any window into a PNG, JPEG or WebP file");
    auto* screen = command->add_flag("--screen", options->screen, "the whole screen (the default)");
    auto* active = command->add_flag("--active", options->active, "the active (foreground) window, frame and caption included");
    auto* window = command->add_option("--window", options->window, "the window with this handle, decimal or 0x hexadecimal; 0 is the screen; on X11 also another program's X window id")
                       ->type_name("HANDLE");
    command->add_flag("--client", options->client, "with --window: only its client area")->needs(window);
    screen->excludes(active)->excludes(window);
    active->excludes(window);
    command->add_option("--monitor", options->monitor, "one monitor of the screen: its name (as the window system gives it: RandR monitors on X11, outputs on Wayland) or its index from 0; on the memory display 0 is the screen")
        ->type_name("NAME|N")
        ->excludes(active)
        ->excludes(window);
    command->add_option("--rect", options->rect, "only this rectangle of what is captured, in its pixels")->type_name("X,Y,W,H");
    command->add_option("-o,--output", options->output,
               "file to write, in the format of its extension: .png, .jpg/.jpeg or .webp (lossless); - writes PNG to standard output")
        ->type_name("FILE")
        ->required();
    command->add_option("--quality", options->quality, "JPEG quality, 1 to 100 (default 90)")->type_name("N");
    command->add_option("--delay", options->delay, "wait this many seconds first, counting down on a terminal")->type_name("SECONDS");
    command->add_flag("--pointer", options->pointer, "draw the pointer into the picture at its hot spot");
    command->add_flag("--select", options->select,
               "drag out the rectangle to capture on a frozen picture of the screen, a magnifier beside the pointer; "
               "Escape or the right button cancels (exit code 1, no file). X11 only")
        ->excludes(screen)
        ->excludes(active)
        ->excludes(window)
        ->excludes("--monitor")
        ->excludes("--rect");
    command->footer("On the memory display the screen holds what this process has shown; on a real display, the real screen.\n"
                    "Examples:\n"
                    "  velmo capture -o screen.png\n"
                    "  velmo capture --delay 3 --pointer -o screen.jpg --quality 80\n"
                    "  velmo --display x11 capture --select -o part.png\n"
                    "  velmo capture -o - | xclip -selection clipboard -t image/png\n"
                    "  velmo --display wayland capture --monitor HEADLESS-2 -o right.png\n"
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
