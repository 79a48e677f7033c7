#include "cli/pick_command.h"

#include <csignal>
#include <charconv>
#include <cstdio>
#include <iostream>

#include "automation/dynamic_object.h"
#include "automation/event_source.h"
#include "automation/late.h"
#include "automation/registry.h"
#include "cli/error_output.h"
#include "host/do_events.h"
#include "platform/display.h"
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
};

volatile std::sig_atomic_t interrupted = 0;
extern "C" void on_interrupt(int) { interrupted = 1; }

// "X,Y" in screen pixels.
POINT parse_point(const std::string& text)
{
    int values[2] = {};
    const char* at = text.data();
    const char* last = text.data() + text.size();
    for (int i = 0; i < 2; ++i) {
        auto [end, error] = std::from_chars(at, last, values[i]);
        bool separator_ok = i == 0 ? (end != last && *end == ',') : end == last;
        if (error != std::errc() || end == at || !separator_ok)
            fail("--at wants X,Y in whole screen pixels, e.g. 100,50: " + text);
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

void check(const Options& o, bool interval_given, bool count_given)
{
    if (interval_given && o.interval <= 0)
        fail("--interval wants a period of 1 ms or more: " + std::to_string(o.interval));
    if (count_given && o.count < 1)
        fail("--count wants 1 or more lines: " + std::to_string(o.count));
}

void run_pick(const Options& o)
{
    if (!o.at.empty()) {
        POINT at = parse_point(o.at);
        gfx::Size screen = display_options().screen;
        if (at.x < 0 || at.y < 0 || at.x >= screen.width || at.y >= screen.height)
            fail("--at " + o.at + " lies outside the screen, which is " + std::to_string(screen.width) + " x " + std::to_string(screen.height) + " pixels");
        SetCursorPos(at.x, at.y);
    }
    int wanted = o.once ? 1 : o.count;  // 0: until interrupted

    // A host program's event sink: one line per event, flushed, so a pipe sees each tick as it comes.
    int printed = 0;
    bool output_closed = false;
    auto sink = std::make_shared<DynamicObject>("PickSink");
    sink->on("RGBUnderMousePointer", [&](Args a) {
        if (wanted && printed >= wanted)
            return Variant {};
        POINT at;
        GetCursorPos(&at);
        std::cout << line_for(at, a[0]->to_string(), a[1]->to_string(), a[2]->to_string(), a[3]->to_long().value(), o.json) << std::endl;
        output_closed = !std::cout;
        ++printed;
        return Variant {};
    });

    ObjectRef picker = create_object("Velmo10.clsKxLumoPickColFromMouseA");
    connect_events(picker, sink);
    if (o.interval > 0)
        late::let(picker, "TimeInterval", Long(o.interval));

    // Ctrl-C ends the loop cleanly: the signal cuts the wait short and the loop sees the flag.
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction old_int {}, old_term {}, old_pipe {};
    sigaction(SIGINT, &action, &old_int);
    sigaction(SIGTERM, &action, &old_term);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &old_pipe);  // a reader that went away (| head) ends the loop instead

    late::call(picker, "StartGettingRGB");
    host::run_until([&] { return interrupted || output_closed || (wanted && printed >= wanted); });
    late::call(picker, "StopGettingRGB");

    sigaction(SIGINT, &old_int, nullptr);
    sigaction(SIGTERM, &old_term, nullptr);
    sigaction(SIGPIPE, &old_pipe, nullptr);
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
    command->add_option("--at", options->at, "first put the pointer at this screen point")->type_name("X,Y");
    command->add_flag("--json", options->json, "one JSON object per line");
    command->footer("Each line: the pointer's position, the red, green and blue bytes in hexadecimal as the picker's event\n"
                    "gives them, the colour as #RRGGBB, and the colour's Long value (red + 256 x green + 65536 x blue;\n"
                    "-1 when the pixel cannot be read), e.g.\n"
                    "  120,45  R FF G 00 B 00  #FF0000  255\n"
                    "Examples:\n"
                    "  velmo pick --once --at 10,10\n"
                    "  velmo pick --interval 250 --count 8 --json");
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
