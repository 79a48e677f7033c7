// One colour-picker tick on the memory display: the screen context, the pointer, the pixel, the
// texts, the hidden caption and the event raised late-bound to a sink. Next to it, its floor (the
// screen context and one pixel read alone) and the whole path a tick takes through the message
// loop (a timer due, WM_TIMER to Timer1, its Timer event, the tick). The screen is composed once
// before the timed loop; "compositions" counts the compositions per tick, which must be 0 while
// nothing on the screen changes.
//
//   build/<dir>/bench/picker/bench_picker
#include <benchmark/benchmark.h>

#include "automation/dynamic_object.h"
#include "automation/event_source.h"
#include "host/do_events.h"
#include "picker/pick_col_from_mouse.h"
#include "picker/picker_form.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/messages.h"
#include "platform/user.h"

namespace velmo::picker {
namespace {

using namespace velmo::platform;

// A 1280 x 800 screen with one shown window, the pointer on it, a picker with a counting sink.
struct Scene {
    std::shared_ptr<clsKxLumoPickColFromMouseA> picker;
    int events = 0;

    explicit Scene(ClockKind clock)
    {
        reset_display({ { 1280, 800 }, 32, { 0x3A, 0x6E, 0xA5 }, clock });
        WindowDesc desc;
        desc.rect = { 100, 100, 640, 480 };
        desc.style = WindowStyle::sizable();
        desc.visible = true;
        desc.background = { 250, 128, 0 };
        create_window(desc);
        SetCursorPos(300, 300);
        picker = clsKxLumoPickColFromMouseA::create();
        auto sink = std::make_shared<DynamicObject>("Sink");
        sink->on("RGBUnderMousePointer", [this](Args) {
            ++events;
            return Variant {};
        });
        connect_events(picker, sink);
        // The first tick loads the hidden form (a new window: the screen changes), the second
        // composes the screen once more; from then on nothing changes.
        picker_tick();
        picker_tick();
    }
};

void report_compositions(benchmark::State& state, uint64_t before)
{
    state.counters["compositions"] = benchmark::Counter(static_cast<double>(screen_compositions() - before), benchmark::Counter::kAvgIterations);
}

void PickerTick(benchmark::State& state)
{
    Scene scene(ClockKind::Monotonic);
    uint64_t before = screen_compositions();
    for (auto _ : state)
        picker_tick();
    report_compositions(state, before);
    if (scene.events == 0)
        state.SkipWithError("no event was raised");
}
BENCHMARK(PickerTick);

// The floor: what any pixel-under-the-pointer read costs on this display.
void ScreenPixelReadAlone(benchmark::State& state)
{
    Scene scene(ClockKind::Monotonic);
    uint64_t before = screen_compositions();
    for (auto _ : state) {
        HDC screen = GetWindowDC(0);
        POINT at;
        GetCursorPos(&at);
        benchmark::DoNotOptimize(GetPixel(screen, at.x, at.y));
        ReleaseDC(0, screen);
    }
    report_compositions(state, before);
}
BENCHMARK(ScreenPixelReadAlone);

// A tick as it really arrives: the virtual clock moves to the timer, DoEvents delivers it.
void PickerTickThroughTheMessageLoop(benchmark::State& state)
{
    Scene scene(ClockKind::Virtual);
    scene.picker->let_TimeInterval(100);
    scene.picker->StartGettingRGB();
    uint64_t before = screen_compositions();
    int events_before = scene.events;
    for (auto _ : state) {
        advance_clock(std::chrono::milliseconds(100));
        host::DoEvents();
    }
    report_compositions(state, before);
    if (scene.events - events_before != static_cast<int>(state.iterations()))
        state.SkipWithError("a tick was missed");
    scene.picker->StopGettingRGB();
}
BENCHMARK(PickerTickThroughTheMessageLoop);

}  // namespace
}  // namespace velmo::picker
