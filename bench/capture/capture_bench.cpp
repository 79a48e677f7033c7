// CaptureScreen of a 1920 x 1080 screen and CaptureForm of an 800 x 600 form, each called by name
// as a client calls it, next to its floor: one copy of the same pixels into a new buffer of that
// size. The screen is composed before timing; composing an unchanged screen again is no part of a
// capture. Each iteration also releases its picture, as the floor frees its buffer.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMO_BENCH=ON -DVELMO_TESTS=OFF
//   cmake --build build/bench --target capture_bench && build/bench/bench/capture/capture_bench
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "automation/late.h"
#include "capture/image_capture.h"
#include "host/form.h"
#include "platform/display.h"
#include "platform/scoped.h"
#include "platform/user.h"

namespace velmo::capture {
namespace {

using namespace velmo::platform;

// The form's outer size is 800 x 600: a sizable frame of 4 and a caption of 20 around the client.
std::shared_ptr<host::Form> show_form()
{
    auto form = host::Form::create(800 - 8, 600 - 28);
    late::call(form, "Show");
    return form;
}

const gfx::Bitmap& composed_screen()
{
    ScopedWindowDC screen(GetDC(0), 0);
    return *reading_source(screen.get())->bitmap;
}

void copy_into_new_buffer(benchmark::State& state, const gfx::Bitmap& source, gfx::Rect area)
{
    for (auto _ : state) {
        auto buffer = std::make_unique_for_overwrite<uint32_t[]>(static_cast<size_t>(area.width) * area.height);
        for (int y = 0; y < area.height; ++y)
            std::memcpy(buffer.get() + static_cast<size_t>(y) * area.width, source.scanline(area.y + y) + area.x, static_cast<size_t>(area.width) * 4);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(area.width) * area.height * 4);
}

void CaptureScreen(benchmark::State& state)
{
    reset_display({ { 1920, 1080 }, 32 });
    auto form = show_form();
    composed_screen();
    ObjectRef capture = std::make_shared<clsKxLumoImageCaptureA>();
    for (auto _ : state) {
        ObjectRef picture = late::call(capture, "CaptureScreen").to_object();
        benchmark::DoNotOptimize(picture.get());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(1920) * 1080 * 4);
}
BENCHMARK(CaptureScreen)->Unit(benchmark::kMicrosecond);

void CaptureScreen_floor(benchmark::State& state)
{
    reset_display({ { 1920, 1080 }, 32 });
    auto form = show_form();
    const gfx::Bitmap& screen = composed_screen();
    copy_into_new_buffer(state, screen, screen.rect());
}
BENCHMARK(CaptureScreen_floor)->Unit(benchmark::kMicrosecond);

void CaptureForm(benchmark::State& state)
{
    reset_display({ { 1920, 1080 }, 32 });
    auto form = show_form();
    ObjectRef capture = std::make_shared<clsKxLumoImageCaptureA>();
    for (auto _ : state) {
        ObjectRef picture = late::call(capture, "CaptureForm", ObjectRef(form)).to_object();
        benchmark::DoNotOptimize(picture.get());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(800) * 600 * 4);
}
BENCHMARK(CaptureForm)->Unit(benchmark::kMicrosecond);

void CaptureForm_floor(benchmark::State& state)
{
    reset_display({ { 1920, 1080 }, 32 });
    auto form = show_form();
    const gfx::Bitmap& pixels = find_window(form->window())->pixels;
    copy_into_new_buffer(state, pixels, pixels.rect());
}
BENCHMARK(CaptureForm_floor)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmo::capture
