// The Wayland display on a private headless sway, one 1920 x 1080 output showing a photo-like
// picture as its background:
//   - CaptureScreen, called by name as a client calls it, next to one screen copy of the output
//     into a kept wl_shm buffer (the least a capture can cost: the compositor's copy alone);
//   - one screen pixel through the display, next to a bare 1 x 1 screen copy.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMO_BENCH=ON
//   cmake --build build/bench --target bench_wayland && build/bench/bench/wayland/bench_wayland
//   build/bench/bench/wayland/bench_wayland --write-picture photo|smooth FILE   (for whole-process runs)
#include <benchmark/benchmark.h>
#include <wayland-client.h>

#include <cstring>
#include <thread>

#include "automation/late.h"
#include "capture/image_capture.h"
#include "common/screen_pictures.h"
#include "gfx/png_writer.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/user.h"
#include "platform/wayland/shm_buffer.h"
#include "platform/wayland/wayland_backend.h"
#include "support/sway_server.h"
#include "wayland/wlr-screencopy-unstable-v1-client.h"

namespace velmo::platform::wayland {
namespace {

constexpr gfx::Size screen { 1920, 1080 };

struct Screen {
    velmo::testing::SwayServer server { screen };

    Screen()
    {
        gfx::write_png(bench::photo_like(screen), server.folder() / "photo.png");
        server.swaymsg("output '*' bg " + (server.folder() / "photo.png").string() + " stretch");
        // Time for the background to be drawn.
        std::this_thread::sleep_for(std::chrono::seconds(2));
        DisplayOptions options;
        std::string socket = server.socket();
        options.backend = [socket](const DisplayOptions&) -> std::unique_ptr<DisplayBackend> { return std::make_unique<WaylandBackend>(socket); };
        reset_display(options);
    }
    ~Screen() { reset_display(); }
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

// The bare protocol on a connection of its own: capture, copy into a buffer kept across
// iterations, wait for ready. No conversion, no bitmap.
void bare_screencopy(benchmark::State& state, gfx::Rect area)
{
    Screen& s = shared_screen();
    Connection connection(s.server.socket());
    const Output& output = *connection.outputs().front();
    struct Frame {
        uint32_t format = 0, stride = 0;
        gfx::Size size;
        bool described = false, ready = false, failed = false;
    };
    static const zwlr_screencopy_frame_v1_listener listener {
        [](void* d, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t w, uint32_t h, uint32_t stride) {
            auto* f = static_cast<Frame*>(d);
            f->format = format;
            f->size = { int(w), int(h) };
            f->stride = stride;
        },
        [](void*, zwlr_screencopy_frame_v1*, uint32_t) {},
        [](void* d, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) { static_cast<Frame*>(d)->ready = true; },
        [](void* d, zwlr_screencopy_frame_v1*) { static_cast<Frame*>(d)->failed = true; },
        [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {},
        [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {},
        [](void* d, zwlr_screencopy_frame_v1*) { static_cast<Frame*>(d)->described = true; },
    };
    std::unique_ptr<ShmBuffer> buffer;
    for (auto _ : state) {
        Frame f;
        auto* frame = zwlr_screencopy_manager_v1_capture_output_region(connection.screencopy(), 0, output.proxy, area.x, area.y, area.width, area.height);
        zwlr_screencopy_frame_v1_add_listener(frame, &listener, &f);
        connection.dispatch_until([&] { return f.described || f.failed; });
        if (!buffer)
            buffer = std::make_unique<ShmBuffer>(connection.shm(), f.size, int(f.stride), f.format);
        zwlr_screencopy_frame_v1_copy(frame, buffer->buffer());
        connection.dispatch_until([&] { return f.ready || f.failed; });
        zwlr_screencopy_frame_v1_destroy(frame);
        if (f.failed)
            state.SkipWithError("the compositor refused the copy");
        benchmark::DoNotOptimize(buffer->data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(area.width) * area.height * 4);
}

void BM_BareScreencopyOfOutput(benchmark::State& state) { bare_screencopy(state, gfx::Rect::of({}, screen)); }
BENCHMARK(BM_BareScreencopyOfOutput)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScreenPixel(benchmark::State& state)
{
    shared_screen();
    HDC screen_dc = GetDC(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(GetPixel(screen_dc, 700, 400));
    ReleaseDC(0, screen_dc);
}
BENCHMARK(BM_ScreenPixel)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_BareScreencopyOfOnePixel(benchmark::State& state) { bare_screencopy(state, { 700, 400, 1, 1 }); }
BENCHMARK(BM_BareScreencopyOfOnePixel)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace velmo::platform::wayland

int main(int argc, char** argv)
{
    using namespace velmo;
    if (argc == 4 && std::strcmp(argv[1], "--write-picture") == 0) {
        gfx::Size size { 1920, 1080 };
        bool photo = std::strcmp(argv[2], "photo") == 0;
        return gfx::write_png(photo ? bench::photo_like(size) : bench::smooth(size), argv[3]) ? 0 : 1;
    }
    if (auto why = velmo::testing::SwayServer::unavailable()) {
        std::fprintf(stderr, "bench_wayland: %s\n", why->c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
