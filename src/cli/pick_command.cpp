#include "cli/pick_command.h"

#include <csignal>
#include <charconv>
#include <chrono>
#include <thread>
#include <cstdio>
#include <iostream>

#include "automation/dynamic_object.h"
#include "automation/event_source.h"
#include "automation/late.h"
#include "automation/registry.h"
#include "cli/color_format.h"
#include "cli/error_output.h"
#include "cli/real_display.h"
#include "cli/screen_overlay.h"
#include "cli/selection.h"
#include "host/do_events.h"
#include "platform/display.h"
#include "platform/display_backend.h"
#include "platform/display_state.h"
#include "platform/gdi.h"
#include "platform/user.h"

namespace velmo::cli {

namespace {

using namespace velmo::platform;

struct Options {
    int interval = 0;  // 0: the picker's own default, 100 ms
    int count = 0;     // 0: until interrupted
    bool once = false;
    std::string at;
    bool json = false;
    std::string format;  // empty: the full line
    std::string pixel;   // watch this screen pixel instead of the one under the pointer
    bool click = false;  // one line for the pixel the person clicks on
};

volatile std::sig_atomic_t interrupted = 0;
extern "C" void on_interrupt(int) { interrupted = 1; }

// While a loop runs: Ctrl-C and termination set `interrupted`, which cuts a wait short and ends the
// loop cleanly, and a reader that went away (| head) ends it instead of killing the process. The
// old handlers come back however the loop ends, a failure included.
class InterruptScope {
public:
    InterruptScope()
    {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = on_interrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &old_int_);
        sigaction(SIGTERM, &action, &old_term_);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &old_pipe_);
    }
    ~InterruptScope()
    {
        sigaction(SIGINT, &old_int_, nullptr);
        sigaction(SIGTERM, &old_term_, nullptr);
        sigaction(SIGPIPE, &old_pipe_, nullptr);
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    struct sigaction old_int_ {}, old_term_ {}, old_pipe_ {};
};

// "X,Y" in screen pixels.
POINT parse_point(const std::string& text, const char* option = "--at")
{
    int values[2] = {};
    const char* at = text.data();
    const char* last = text.data() + text.size();
    for (int i = 0; i < 2; ++i) {
        auto [end, error] = std::from_chars(at, last, values[i]);
        bool separator_ok = i == 0 ? (end != last && *end == ',') : end == last;
        if (error != std::errc() || end == at || !separator_ok)
            fail(std::string(option) + " wants X,Y in whole screen pixels, e.g. 100,50: " + text);
        at = end + 1;
    }
    return { values[0], values[1] };
}

std::string line_for(POINT at, const std::string& R, const std::string& G, const std::string& b, int32_t color, bool json)
{
    std::string hex = "#" + R + G + b;
    char text[160];
    if (json)
        std::snprintf(text, sizeof text, "{\"x\":%d,\"y\":%d,\"R\":\"%s\",\"G\":\"%s\",\"B\":\"%s\",\"hex\":\"%s\",\"value\":%d}", at.x, at.y,
            R.c_str(), G.c_str(), b.c_str(), hex.c_str(), color);
    else
        std::snprintf(text, sizeof text, "%d,%d  R %s G %s B %s  %s  %d", at.x, at.y, R.c_str(), G.c_str(), b.c_str(), hex.c_str(), color);
    return text;
}

// The line for one reading: the chosen format's text alone, or the full line.
std::string reading_line(const Options& o, POINT at, COLORREF color)
{
    if (color == CLR_INVALID)
        return line_for(at, "", "", "", -1, o.json);
    // A COLORREF holds red in its low byte, then green, then blue.
    auto red = uint8_t(color), green = uint8_t(color >> 8), blue = uint8_t(color >> 16);
    if (auto format = color_format(o.format))
        return format_color(*format, red, green, blue);
    char bytes[3][4];
    std::snprintf(bytes[0], sizeof bytes[0], "%02X", red);
    std::snprintf(bytes[1], sizeof bytes[1], "%02X", green);
    std::snprintf(bytes[2], sizeof bytes[2], "%02X", blue);
    return line_for(at, bytes[0], bytes[1], bytes[2], int32_t(color), o.json);
}

POINT inside_screen(const std::string& text, const char* option)
{
    POINT at = parse_point(text, option);
    gfx::Size screen = display().backend().screen_size();
    if (at.x < 0 || at.y < 0 || at.x >= screen.width || at.y >= screen.height)
        fail(std::string(option) + " " + text + " lies outside the screen, which is " + std::to_string(screen.width) + " x "
            + std::to_string(screen.height) + " pixels");
    return at;
}

void check(const Options& o, bool interval_given, bool count_given)
{
    if (!o.format.empty() && !color_format(o.format))
        fail("--format " + o.format + ": choose hex, rgb or hsl");
    if (interval_given && o.interval <= 0)
        fail("--interval wants a period of 1 ms or more: " + std::to_string(o.interval));
    if (count_given && o.count < 1)
        fail("--count wants 1 or more lines: " + std::to_string(o.count));
}

// One line per tick for a fixed pixel, read from the screen; the pointer stays where it is.
void watch_pixel(const Options& o, int wanted)
{
    POINT at = inside_screen(o.pixel, "--pixel");
    const auto period = std::chrono::milliseconds(o.interval > 0 ? o.interval : 100);
    const InterruptScope interrupts;
    HDC screen = GetDC(0);
    auto next = std::chrono::steady_clock::now();
    for (int printed = 0; !interrupted && (!wanted || printed < wanted); ++printed) {
        if (printed > 0) {
            next += period;
            std::this_thread::sleep_until(next);
            if (interrupted)
                break;
        }
        std::cout << reading_line(o, at, GetPixel(screen, at.x, at.y)) << std::endl;
        if (!std::cout)
            break;
    }
    ReleaseDC(0, screen);
}

// The point of a left click on the frozen screen, the magnifier following the pointer; nothing
// when the person cancels. The click ends on the release, so the release, too, stays ours.
std::optional<gfx::Point> wait_for_click(ScreenOverlay& overlay)
{
    using Kind = ScreenOverlay::Input::Kind;
    bool pressed = false;
    overlay.show(selection_picture(overlay.frozen(), overlay.pointer(), std::nullopt));
    for (;;) {
        ScreenOverlay::Input input = overlay.next();
        if (input.kind == Kind::Cancelled)
            return std::nullopt;
        if (input.kind == Kind::LeftUp && pressed)
            return input.at;
        pressed = pressed || input.kind == Kind::LeftDown;
        overlay.show(selection_picture(overlay.frozen(), input.at, std::nullopt));
    }
}

void pick_by_click(const Options& o)
{
    std::string line;
    {
        require_pointing("--click");
        ScreenOverlay overlay("--click");
        auto at = wait_for_click(overlay);
        if (!at)
            fail("the pick was cancelled; no colour was picked");
        gfx::Color color = overlay.frozen().rect().contains(*at) ? overlay.frozen().pixel(at->x, at->y) : gfx::Color {};
        line = reading_line(o, { at->x, at->y }, COLORREF(color.red() | color.green() << 8 | color.blue() << 16));
    }
    std::cout << line << std::endl;
}

void run_pick(const Options& o)
{
    require_screen_pixels();
    if (o.click)
        return pick_by_click(o);
    if (!o.pixel.empty())
        return watch_pixel(o, o.once ? 1 : o.count);
    if (!o.at.empty()) {
        POINT at = parse_point(o.at);
        gfx::Size screen = display_options().screen;
        if (at.x < 0 || at.y < 0 || at.x >= screen.width || at.y >= screen.height)
            fail("--at " + o.at + " lies outside the screen, which is " + std::to_string(screen.width) + " x " + std::to_string(screen.height) + " pixels");
        if (!SetCursorPos(at.x, at.y))
            fail("--at " + o.at + ": this display lets no program move the pointer (a Wayland compositor never does); leave --at out "
                 "and point there instead");
    }
    int wanted = o.once ? 1 : o.count;  // 0: until interrupted

    // Where the display learns the pointer only over velmo's own surfaces, it covers the screen
    // while the pick runs; a click or Escape there ends the pick.
    DisplayBackend& backend = display().backend();
    if (auto why = backend.begin_pointing())
        fail(*why);
    struct EndPointing {
        DisplayBackend& backend;
        ~EndPointing() { backend.end_pointing(); }
    } end_pointing { backend };
    const bool pointer_unknown_at_start = !backend.pointing().pointer_known;

    // A host program's event sink: one line per event, flushed, so a pipe sees each tick as it comes.
    int printed = 0;
    bool output_closed = false;
    // A display server that went away has no colours left to give: what a read then answers is
    // no pixel of the screen, so it is not printed and the pick ends with the reason.
    std::optional<std::string> lost;
    // A line read here rather than from the picker's tick: the first one as soon as the pointer's
    // place becomes known, and the one for the place a click ended the pick at.
    auto print_reading = [&] {
        POINT at;
        GetCursorPos(&at);
        HDC screen = GetDC(0);
        COLORREF color = GetPixel(screen, at.x, at.y);
        ReleaseDC(0, screen);
        std::cout << reading_line(o, at, color) << std::endl;
        output_closed = !std::cout;
        ++printed;
    };
    auto sink = std::make_shared<DynamicObject>("PickSink");
    sink->on("RGBUnderMousePointer", [&](Args a) {
        if ((wanted && printed >= wanted) || lost || !backend.pointing().pointer_known)
            return Variant {};
        if ((lost = display_lost()))
            return Variant {};
        POINT at;
        GetCursorPos(&at);
        if (o.format.empty())
            std::cout << line_for(at, a[0]->to_string(), a[1]->to_string(), a[2]->to_string(), a[3]->to_long().value(), o.json) << std::endl;
        else
            std::cout << reading_line(o, at, COLORREF(a[3]->to_long().value())) << std::endl;
        output_closed = !std::cout;
        ++printed;
        return Variant {};
    });

    ObjectRef picker = create_object("Velmo10.clsKxLumoPickColFromMouseA");
    connect_events(picker, sink);
    if (o.interval > 0)
        late::let(picker, "TimeInterval", Long(o.interval));

    const InterruptScope interrupts;

    late::call(picker, "StartGettingRGB");
    host::run_until([&] {
        if (!lost)
            lost = display_lost();
        if (!lost && pointer_unknown_at_start && printed == 0 && backend.pointing().pointer_known)
            print_reading();
        return interrupted || output_closed || lost || (wanted && printed >= wanted) || backend.pointing().ended != DisplayBackend::PointingEnd::No;
    });
    late::call(picker, "StopGettingRGB");
    if (!lost && !output_closed && backend.pointing().ended == DisplayBackend::PointingEnd::Clicked && !(wanted && printed >= wanted))
        print_reading();

    if (lost)
        fail(*lost);
}

}  // namespace

void add_pick_command(CLI::App& app)
{
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("pick", "Print the colour of the screen pixel under the pointer, one line per tick");
    auto* interval = command->add_option("--interval", options->interval, "milliseconds between ticks (default 100)")->type_name("MS");
    auto* count = command->add_option("--count", options->count, "stop after N lines (default: until Ctrl-C)")->type_name("N");
    auto* once = command->add_flag("--once", options->once, "print one line and exit");
    count->excludes(once);
    auto* at = command->add_option("--at", options->at, "first put the pointer at this screen point (refused on Wayland, where no program may move the pointer)")->type_name("X,Y");
    auto* json = command->add_flag("--json", options->json, "one JSON object per line");
    auto* format = command->add_option("--format", options->format,
        "only the colour, as #RRGGBB (hex), rgb(R, G, B) (rgb) or hsl(H, S%, L%) (hsl; whole degrees and percents, halves rounded up)")
                       ->type_name("hex|rgb|hsl");
    command->add_option("--pixel", options->pixel, "watch this screen pixel each tick instead of the one under the pointer, which stays put")
        ->type_name("X,Y")
        ->excludes(at);
    format->excludes(json);
    command->add_flag("--click", options->click,
               "wait for a left click on a frozen picture of the screen, a magnifier beside the pointer, and print the "
               "colour clicked on once; Escape or the right button cancels (exit code 1, nothing printed). X11 only")
        ->excludes(interval)
        ->excludes(count)
        ->excludes(once)
        ->excludes(at)
        ->excludes("--pixel");
    command->footer("Each line: the pointer's position, the red, green and blue bytes in hexadecimal as the picker's event\n"
                    "gives them, the colour as #RRGGBB, and the colour's Long value (red + 256 x green + 65536 x blue;\n"
                    "-1 when the pixel cannot be read), e.g.\n"
                    "  120,45  R FF G 00 B 00  #FF0000  255\n"
                    "On a real display whose server goes away, pick prints no more lines and ends with one line and exit code 1.\n"
                    "On Wayland (--display wayland) a client sees the pointer only over its own surfaces, so pick covers every\n"
                    "output with a see-through overlay (the compositor must offer layer-shell) and prints lines once the pointer\n"
                    "has been over it; a left click there prints the line for the clicked place and ends the pick, Escape ends\n"
                    "it too (exit code 0 both).\n"
                    "Examples:\n"
                    "  velmo pick --once --at 10,10\n"
                    "  velmo pick --interval 250 --count 8 --json\n"
                    "  velmo pick --once --format hsl\n"
                    "  velmo --display x11 pick --click --format hex\n"
                    "  velmo --display wayland pick --format hex | tail -n 1   # the colour clicked on\n"
                    "  velmo pick --pixel 640,400 --interval 1000 --format rgb");
    command->callback([options, interval, count] {
        try {
            check(*options, interval->count() > 0, count->count() > 0);
            run_pick(*options);
        } catch (const Error& error) {
            print_error(error);
            throw CLI::RuntimeError(1);
        }
    });
}

}  // namespace velmo::cli
