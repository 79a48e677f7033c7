// Reading pixels from the display. GetPixel on a window's context reads the window's pixels in
// place, so it costs the same on any window size; on the screen's context it reads the composed
// screen, composed once per change. Also: one late-bound filled box on a large picture box next
// to the same box filled straight through cairo.
//
//   build/draw-bench/bench/platform/bench_display
#include <benchmark/benchmark.h>

#include <cairo.h>

#include "automation/late.h"
#include "host/picture_box.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/scoped.h"
#include "platform/user.h"

namespace velmo::platform {
namespace {

HWND make_window(int width, int height)
{
    WindowDesc desc;
    desc.rect = { 0, 0, width, height };
    desc.style = WindowStyle::sizable();
    desc.visible = true;
    return create_window(desc);
}

void GetPixel_window_context(benchmark::State& state)
{
    reset_display();
    int size = static_cast<int>(state.range(0));
    HWND w = make_window(size * 4 / 3, size);
    ScopedWindowDC dc(GetDC(w), w);
    int x = 0, y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPixel(dc.get(), x, y));
        x = (x + 7) % (size * 4 / 3 - 8);
        y = (y + 3) % (size - 28);
    }
}
BENCHMARK(GetPixel_window_context)->Arg(96)->Arg(768);

void GetPixel_screen_context(benchmark::State& state)
{
    reset_display();
    make_window(1024, 768);
    ScopedWindowDC dc(GetDC(0), 0);
    int x = 0, y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPixel(dc.get(), x, y));
        x = (x + 7) % 1280;
        y = (y + 3) % 800;
    }
}
BENCHMARK(GetPixel_screen_context);

// A full composition per read: the worst case of a caller that draws and reads in turn.
void SetPixel_then_screen_GetPixel(benchmark::State& state)
{
    reset_display();
    HWND w = make_window(1024, 768);
    ScopedWindowDC window(GetDC(w), w);
    ScopedWindowDC screen(GetDC(0), 0);
    for (auto _ : state) {
        SetPixel(window.get(), 5, 5, 0x123456);
        benchmark::DoNotOptimize(GetPixel(screen.get(), 9, 29));
    }
}
BENCHMARK(SetPixel_then_screen_GetPixel)->Unit(benchmark::kMicrosecond);

void FilledBox_late_bound(benchmark::State& state)
{
    reset_display();
    ObjectRef box = host::PictureBox::create(1920, 1080);
    late::let(box, "ScaleMode", 3);
    late::let(box, "AutoRedraw", True);
    int i = 0;
    for (auto _ : state) {
        late::let(box, "CurrentX", i * 7);
        late::let(box, "CurrentY", 0);
        late::call(box, "Line", Integer(42), 0, 0, 7, 1080, Long(i));
        i = (i + 1) % 255;
    }
}
BENCHMARK(FilledBox_late_bound)->Unit(benchmark::kMicrosecond);

void FilledBox_cairo(benchmark::State& state)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1920, 1080);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    int i = 0;
    for (auto _ : state) {
        cairo_set_source_rgb(cr, i / 255.0, 0, 0);
        cairo_rectangle(cr, i * 7, 0, 8, 1081);
        cairo_fill(cr);
        i = (i + 1) % 255;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(FilledBox_cairo)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmo::platform
