// The real display on a private 1920 x 1080 Xvfb screen showing a photo-like picture:
//   - CaptureScreen, called by name as a client calls it, next to one XShmGetImage of the root
//     into an attached shared segment (the least a screen capture can cost);
//   - one colour-picker tick (pointer, screen pixel, texts, event) next to one 1 x 1 XGetImage,
//     the pointer query and pixel read asked one after the other, and the two asked together.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMO_BENCH=ON
//   cmake --build build/bench --target bench_x11 && build/bench/bench/x11/bench_x11
//   build/bench/bench/x11/bench_x11 --write-picture photo.png   (the picture, for whole-process runs)
#include <benchmark/benchmark.h>

#include <cstring>

#include "automation/dynamic_object.h"
#include "automation/event_source.h"
#include "automation/late.h"
#include "capture/image_capture.h"
#include "common/screen_pictures.h"
#include "gfx/png_writer.h"
#include "picker/pick_col_from_mouse.h"
#include "picker/picker_form.h"
#include "platform/display.h"
#include "support/xvfb_server.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "platform/x11/connection.h"
#include "platform/x11/desktop.h"
#include "platform/registry/display_registry.h"
#include "platform/x11/image.h"
#include "platform/x11/mirror_window.h"
#include "platform/x11/pointer_probe.h"

namespace velmo::platform::x11 {
namespace {

constexpr gfx::Size screen { 1920, 1080 };

// The server, a window covering the screen with the picture, and the display on it.
struct Screen {
    testing::XvfbServer server { screen };
    std::unique_ptr<Connection> painter;
    std::unique_ptr<MirrorWindow> window;

    Screen()
    {
        setenv("DISPLAY", server.name().c_str(), 1);
        painter = std::make_unique<Connection>(server.name());
        window = std::make_unique<MirrorWindow>(*painter, gfx::Rect::of({}, screen), Decorations::Bare, "picture");
        window->show();
        gfx::Bitmap picture = bench::photo_like(screen);
        ImageWriter(*painter).write(window->id(), picture, picture.rect());
        use_display("x11");
    }
    ~Screen()
    {
        reset_display();
        window.reset();
        painter.reset();
    }
};

Screen& shared_screen()
{
    static Screen s;
    return s;
}

void BM_CaptureScreen(benchmark::State& state)
{
    shared_screen();
    ObjectRef capture = std::make_shared<capture::clsKxLumoImageCaptureA>();
    for (auto _ : state) {
        Variant picture = late::call(capture, "CaptureScreen");
        benchmark::DoNotOptimize(picture);
    }
    state.SetBytesProcessed(state.iterations() * int64_t(screen.width) * screen.height * 4);
}
BENCHMARK(BM_CaptureScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_XShmGetImageOfRoot(benchmark::State& state)
{
    Screen& s = shared_screen();
    ::Display* d = s.painter->get();
    XShmSegmentInfo segment {};
    XImage* image = XShmCreateImage(d, DefaultVisual(d, 0), DefaultDepth(d, 0), ZPixmap, nullptr, &segment, screen.width, screen.height);
    segment.shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * image->height, IPC_CREAT | 0600);
    segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    shmctl(segment.shmid, IPC_RMID, nullptr);
    XShmAttach(d, &segment);
    for (auto _ : state) {
        XShmGetImage(d, DefaultRootWindow(d), image, 0, 0, AllPlanes);
        benchmark::DoNotOptimize(image->data);
    }
    XShmDetach(d, &segment);
    XSync(d, False);
    shmdt(segment.shmaddr);
    image->data = nullptr;
    XDestroyImage(image);
    state.SetBytesProcessed(state.iterations() * int64_t(screen.width) * screen.height * 4);
}
BENCHMARK(BM_XShmGetImageOfRoot)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PickerTick(benchmark::State& state)
{
    shared_screen();
    SetCursorPos(700, 400);
    auto picker = picker::clsKxLumoPickColFromMouseA::create();
    auto sink = std::make_shared<DynamicObject>("Sink");
    int events = 0;
    sink->on("RGBUnderMousePointer", [&](Args) {
        ++events;
        return Variant {};
    });
    connect_events(picker, sink);
    picker::picker_tick();
    for (auto _ : state)
        picker::picker_tick();
    state.counters["events"] = benchmark::Counter(events, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PickerTick)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_XGetImageOnePixel(benchmark::State& state)
{
    Screen& s = shared_screen();
    ::Display* d = s.painter->get();
    for (auto _ : state) {
        XImage* image = XGetImage(d, DefaultRootWindow(d), 700, 400, 1, 1, AllPlanes, ZPixmap);
        benchmark::DoNotOptimize(XGetPixel(image, 0, 0));
        XDestroyImage(image);
    }
}
BENCHMARK(BM_XGetImageOnePixel)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The two requests a tick is made of, asked one after the other: two round trips.
void BM_XQueryPointerThenXGetImage(benchmark::State& state)
{
    Screen& s = shared_screen();
    ::Display* d = s.painter->get();
    for (auto _ : state) {
        ::Window root = 0, child = 0;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x, &y, &wx, &wy, &mask);
        XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
        benchmark::DoNotOptimize(XGetPixel(image, 0, 0));
        XDestroyImage(image);
    }
}
BENCHMARK(BM_XQueryPointerThenXGetImage)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The pointer with the pixel where it rests, both asked before either answer is awaited.
void BM_PointerProbeAtRest(benchmark::State& state)
{
    Screen& s = shared_screen();
    PointerProbe probe(*s.painter);
    gfx::Point at = probe.pointer().value_or(gfx::Point {});
    for (auto _ : state) {
        at = probe.pointer(at).value_or(at);
        benchmark::DoNotOptimize(probe.take_pixel(at));
    }
}
BENCHMARK(BM_PointerProbeAtRest)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace velmo::platform::x11

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-picture") == 0)
        return velmo::gfx::write_png(velmo::bench::photo_like({ 1920, 1080 }), argv[2]) ? 0 : 1;
    if (!velmo::testing::XvfbServer::available()) {
        std::fprintf(stderr, "bench_x11: Xvfb is not installed (scripts/setup.sh installs it)\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
