// BuildSkinRegion on a 1024 x 768 skin with two runs in nearly every row (two blobs whose edges
// move from row to row, so bands rarely merge), next to its floor: a direct scan of the same
// bitmap's memory building the same runs into a pixman region in one call. The pixel-by-pixel
// reading (one GetPixel per pixel, each run united into the result in turn) is there for scale.
// Counters: runs (rectangles made) and rects (rectangles of the final region).
//
//   build/bench/bench/skin/skin_bench --benchmark_min_time=0.5
#include <benchmark/benchmark.h>

#include <pixman.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "automation/late.h"
#include "host/picture_box.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/user.h"
#include "skin/skin_region.h"

namespace velmo::bench {
namespace {

using namespace velmo::platform;

constexpr int W = 1024, H = 768;
constexpr gfx::Color transparent { 255, 0, 255 };

// The skin in a picture box prepared the way Show prepares it: pixels, persistent image, no border.
struct Skin {
    std::shared_ptr<host::PictureBox> box;
    HDC dc = 0;

    Skin()
    {
        reset_display({ { 1280, 800 } });
        box = host::PictureBox::create(W, H);
        ObjectRef b = box;
        late::let(b, "ScaleMode", 3);
        late::let(b, "AutoRedraw", True);
        late::let(b, "BorderStyle", 0);
        late::let(b, "Width", W * 15);
        late::let(b, "Height", H * 15);
        dc = static_cast<HDC>(late::get(b, "hDC").to_long().value());
        gfx::Bitmap& pixels = *drawing_target(dc)->bitmap;
        if (pixels.size() != gfx::Size { W, H })
            throw std::logic_error("the skin's image is not 1024 x 768");
        pixels.fill(transparent);
        for (int y = 0; y < H; ++y) {
            double t = y / double(H);
            int a = 40 + int(30 * std::sin(t * 17.0));
            int b = 380 + int(40 * std::cos(t * 11.0));
            int c = 560 + int(25 * std::sin(t * 23.0));
            int d = 980 - int(35 * std::cos(t * 7.0));
            uint32_t* row = pixels.scanline(y);
            for (int x = a; x < b; ++x)
                row[x] = gfx::Color(20, 20 + y % 200, 90).to_pixel();
            for (int x = c; x < d; ++x)
                row[x] = gfx::Color(200, 40, x % 256).to_pixel();
        }
    }

    const gfx::Bitmap& pixels() const { return *reading_source(dc)->bitmap; }
};

// The rectangles of a region handle, counted on a window it is given to.
int rect_count(HRGN region)
{
    HWND window = create_window({});
    SetWindowRgn(window, region, 0);
    int count = find_window(window)->region ? find_window(window)->region->rect_count() : 0;
    DestroyWindow(window);
    return count;
}

void BuildSkinRegion_velmo(benchmark::State& state)
{
    Skin skin;
    ObjectRef box = skin.box;
    size_t runs = 0;
    skin::scan_runs({ skin.pixels().scanline(0), W, { 0, 0, W, H } }, W, H, transparent.to_colorref(), [&](const skin::Run&) { ++runs; });
    for (auto _ : state) {
        HRGN region = skin::BuildSkinRegion(box);
        benchmark::DoNotOptimize(region);
        DeleteObject(region);
    }
    state.counters["runs"] = double(runs);
    state.counters["rects"] = rect_count(skin::BuildSkinRegion(box));
}

void BuildSkinRegion_floor(benchmark::State& state)
{
    Skin skin;
    const gfx::Bitmap& pixels = skin.pixels();
    const uint32_t clear = pixels.word(0, 0) & 0x00FFFFFF;
    std::vector<pixman_box32_t> boxes;
    int rects = 0;
    for (auto _ : state) {
        boxes.clear();
        for (int y = 0; y < H; ++y) {
            const uint32_t* row = pixels.scanline(y);
            int x = 0;
            while (x < W) {
                while (x < W && (row[x] & 0x00FFFFFF) == clear)
                    ++x;
                int start = x;
                while (x < W && (row[x] & 0x00FFFFFF) != clear)
                    ++x;
                if (x > start)
                    boxes.push_back({ start, y, x, y + 1 });
            }
        }
        pixman_region32_t region;
        pixman_region32_init_rects(&region, boxes.data(), int(boxes.size()));
        rects = pixman_region32_n_rects(&region);
        benchmark::DoNotOptimize(&region);
        pixman_region32_fini(&region);
    }
    state.counters["runs"] = double(boxes.size());
    state.counters["rects"] = rects;
}

// What the bulk read and the paired merging save: every pixel through GetPixel, every run united
// into the whole region so far.
void BuildSkinRegion_pixel_by_pixel(benchmark::State& state)
{
    Skin skin;
    for (auto _ : state) {
        COLORREF clear = GetPixel(skin.dc, 0, 0);
        HRGN result = 0;
        auto add = [&](int left, int y, int right) {
            HRGN rect = CreateRectRgn(left, y, right, y + 1);
            if (!result) {
                result = rect;
                return;
            }
            CombineRgn(result, result, rect, RGN_OR);
            DeleteObject(rect);
        };
        for (int y = 0; y < H; ++y) {
            int start = -1;
            for (int x = 0; x < W; ++x) {
                bool opaque = GetPixel(skin.dc, x, y) != clear;
                if (opaque && start < 0)
                    start = x;
                if (!opaque && start >= 0) {
                    add(start, y, x);
                    start = -1;
                }
            }
            if (start >= 0)
                add(start, y, W);
        }
        DeleteObject(result);
    }
}

BENCHMARK(BuildSkinRegion_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BuildSkinRegion_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BuildSkinRegion_pixel_by_pixel)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmo::bench
