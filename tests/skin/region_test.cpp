// BuildSkinRegion: the region of small skins against a predicate over every pixel, the bulk read
// against the pixel-by-pixel reading on random skins and every kind of device context, and the run
// scan on plain memory.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "platform/user.h"
#include "skin/skin_region.h"
#include "skin_images.h"
#include "support/memory_display.h"
#include "support/velmo_error.h"

namespace velmo::skin {
namespace {

using namespace velmo::platform;
using namespace velmo::skin::testing;

class SkinRegion : public velmo::testing::MemoryDisplayTest {
protected:
    SkinRegion()
        : MemoryDisplayTest({ { 200, 150 } })
    {
    }
};

// Both regions hold exactly the same pixels (both may be 0).
bool same_region(HRGN a, HRGN b)
{
    if (!a || !b)
        return a == b;
    ScopedGdiObject difference(CreateRectRgn(0, 0, 0, 0));
    return CombineRgn(difference.get(), a, b, RGN_XOR) == NULLREGION;
}

// Every pixel of the area and a one-pixel margin around it is in the region exactly when `inside`.
void expect_pixels(HRGN region, int width, int height, const std::function<bool(int, int)>& inside, const std::string& name)
{
    for (int y = -1; y <= height; ++y)
        for (int x = -1; x <= width; ++x)
            ASSERT_EQ(region && PtInRegion(region, x, y), inside(x, y)) << name << " at " << x << "," << y;
}

TEST_F(SkinRegion, PixelsOfTheCornerColorAreCutOut)
{
    struct Case {
        const char* name;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        { "one colour gives no region", { "rrr", "rrr" } },
        { "the corner colour is cut out wherever it is", { "r.#", "#rr", "..r" } },
        { "a single pixel", { "....", "..#.", "...." } },
        { "a run reaching the right edge ends there", { "..##", "#...", ".###" } },
        { "several runs in one row", { ".#.##..#" } },
        { "a one-pixel skin", { "g" } },
    };
    for (const auto& c : cases) {
        SkinImage image = skin_image(c.rows);
        ScopedGdiObject region(BuildSkinRegion(box_reading(image.dc.get(), image.width, image.height)));
        char corner = c.rows[0][0];
        expect_pixels(region.get(), image.width, image.height, [&](int x, int y) {
            return x >= 0 && y >= 0 && x < image.width && y < image.height && c.rows[y][x] != corner;
        }, c.name);
        ScopedGdiObject reference(region_pixel_by_pixel(image.dc.get(), image.width, image.height));
        EXPECT_TRUE(same_region(region.get(), reference.get())) << c.name;
    }
}

TEST_F(SkinRegion, ASinglePixelGivesExactlyItsRectangle)
{
    SkinImage image = skin_image({ "....", "..#.", "...." });
    ScopedGdiObject region(BuildSkinRegion(box_reading(image.dc.get(), 4, 3)));
    RECT box;
    ASSERT_EQ(GetRgnBox(region.get(), &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 1);
    EXPECT_EQ(box.right, 3);
    EXPECT_EQ(box.bottom, 2);
}

TEST_F(SkinRegion, SizesAreRoundedHalfToEvenAndNothingIsScannedBelowOne)
{
    // Beyond the 2 x 1 bitmap every pixel is unreadable, and so inside the region.
    SkinImage image = skin_image({ ".#" });
    struct Case {
        Variant width;
        Variant height;
        int columns;  // scanned; 0: no region at all
        int rows;
    };
    const Case cases[] = {
        { 0, 1, 0, 0 },
        { 2, 0, 0, 0 },
        { -3, 1, 0, 0 },
        { 2, -1, 0, 0 },
        { float(0.5), 1, 0, 0 },
        { float(-0.5), 1, 0, 0 },
        { float(1.5), 1, 2, 1 },
        { float(2.5), float(1.5), 2, 2 },
        { float(3.5), 1, 4, 1 },
        { 2, float(0.49), 0, 0 },
    };
    for (const auto& c : cases) {
        std::string name = c.width.to_string() + " x " + c.height.to_string();
        ScopedGdiObject region(BuildSkinRegion(box_reading(image.dc.get(), c.width, c.height)));
        if (c.columns == 0) {
            EXPECT_EQ(region.get(), 0u) << name;
            continue;
        }
        expect_pixels(region.get(), c.columns, c.rows, [&](int x, int y) {
            return x >= 0 && y >= 0 && x < c.columns && y < c.rows && !(x == 0 && y == 0);
        }, name);
    }
}

TEST_F(SkinRegion, UnreadablePixelsAreNotTransparent)
{
    // A one-colour 3 x 2 image read as 5 x 3: only the pixels beyond the bitmap remain.
    SkinImage image = skin_image({ "...", "..." });
    ScopedGdiObject region(BuildSkinRegion(box_reading(image.dc.get(), 5, 3)));
    expect_pixels(region.get(), 5, 3, [](int x, int y) { return x >= 0 && y >= 0 && x < 5 && y < 3 && (x >= 3 || y >= 2); }, "beyond");

    // A context that reads nothing: the corner is unreadable too, so every pixel matches it.
    HDC stale = image.dc.get();
    image.selection.reset();
    image.dc.reset();
    for (HDC dc : { HDC(0), stale, HDC(12345) })
        EXPECT_EQ(BuildSkinRegion(box_reading(dc, 4, 4)), 0u) << dc;
}

TEST_F(SkinRegion, TheReservedByteOfAPixelIsIgnored)
{
    SkinImage image = skin_image({ "...", "..." });
    image.poke(1, 1, 0xFF000000 | gfx::Color::from_colorref(color_of('.')).to_pixel());
    image.poke(2, 0, 0x7F000000 | gfx::Color::from_colorref(color_of('#')).to_pixel());
    ScopedGdiObject region(BuildSkinRegion(box_reading(image.dc.get(), 3, 2)));
    expect_pixels(region.get(), 3, 2, [](int x, int y) { return x == 2 && y == 0; }, "reserved byte");
}

TEST_F(SkinRegion, ErrorsReadingTheBoxReachTheCaller)
{
    SkinImage image = skin_image({ ".#" });
    auto no_dc = std::make_shared<DynamicObject>("Thing");
    no_dc->on("ScaleWidth", [](Args) { return Variant(2); }).on("ScaleHeight", [](Args) { return Variant(1); });
    EXPECT_VELMO_ERROR(BuildSkinRegion(no_dc), err::MemberNotSupported, "Thing");
    EXPECT_VELMO_ERROR(BuildSkinRegion(nullptr), err::ObjectNotSet, "");
    EXPECT_VELMO_ERROR(BuildSkinRegion(box_reading(image.dc.get(), 3e9, 1)), err::Overflow, "");
    EXPECT_VELMO_ERROR(BuildSkinRegion(box_reading(image.dc.get(), 2, "tall")), err::TypeMismatch, "");
}

// Random skins of few colours, read through every kind of device context and often beyond what the
// context can read: the bulk read gives the region of the pixel-by-pixel reading.
TEST_F(SkinRegion, MatchesThePixelByPixelReadingOnRandomSkins)
{
    std::mt19937 random(20261210);
    auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const uint32_t palette[] = { 0x00FF00FF, 0x00000000, 0x000000FF, 0x00FFFFFF };
    enum Source { Memory, Client, WholeWindow, Screen };

    for (int round = 0; round < 400; ++round) {
        int width = uniform(1, 24);
        int height = uniform(1, 18);
        // Mostly one colour, as skins are, with blobs of others.
        std::vector<uint32_t> colors(width * height, palette[uniform(0, 3)]);
        for (int blobs = uniform(0, 6); blobs > 0; --blobs) {
            int x0 = uniform(0, width - 1), y0 = uniform(0, height - 1);
            int x1 = uniform(x0, width - 1), y1 = uniform(y0, height - 1);
            uint32_t color = palette[uniform(0, 3)];
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    colors[y * width + x] = color;
        }
        if (uniform(0, 3) == 0)
            colors[uniform(0, width * height - 1)] = palette[uniform(0, 3)];

        auto source = static_cast<Source>(uniform(0, 3));
        SkinImage image;
        ScopedWindowDC window_dc;
        HWND window = 0;
        HDC dc = 0;
        switch (source) {
        case Memory:
            image = skin_image(width, height);
            dc = image.dc.get();
            break;
        case Client:
        case WholeWindow:
        case Screen: {
            WindowDesc desc;
            desc.rect = { uniform(0, 20), uniform(0, 20), width + 8, height + 28 };
            desc.style = WindowStyle::sizable();
            desc.visible = true;
            window = create_window(desc);
            HDC client = GetDC(window);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    SetPixel(client, x, y, 0);
            ReleaseDC(window, client);
            window_dc = source == Client ? ScopedWindowDC(GetDC(window), window)
                : source == WholeWindow ? ScopedWindowDC(GetWindowDC(window), window)
                                        : ScopedWindowDC(GetDC(0), 0);
            dc = window_dc.get();
            break;
        }
        }
        HDC paint = source == Memory ? dc : GetDC(window);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                SetPixel(paint, x, y, colors[y * width + x]);
        if (paint != dc)
            ReleaseDC(window, paint);

        int scan_w = width + uniform(-2, 3);
        int scan_h = height + uniform(-2, 3);
        if (source == Screen) {
            scan_w = uniform(190, 210);
            scan_h = uniform(0, 3) == 0 ? 160 : uniform(1, 20);
        }
        ScopedGdiObject fast(BuildSkinRegion(box_reading(dc, scan_w, scan_h)));
        ScopedGdiObject reference(region_pixel_by_pixel(dc, scan_w, scan_h));
        ASSERT_TRUE(same_region(fast.get(), reference.get()))
            << "round " << round << ": source " << source << ", " << width << "x" << height << " read as " << scan_w << "x" << scan_h;
        window_dc.reset();
        if (window)
            DestroyWindow(window);
    }
}

// The scan alone, over memory whose readable area does not start at the corner, so that the
// corner itself can be unreadable while other pixels are not.
TEST(RunScan, MatchesAPixelByPixelScanOfTheSameMemory)
{
    std::mt19937 random(7);
    auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 500; ++round) {
        int stride = uniform(1, 12);
        int rows = uniform(1, 8);
        std::vector<uint32_t> memory(stride * rows);
        for (auto& word : memory)
            word = uint32_t(uniform(0, 2)) * 0x00102030 | (uniform(0, 1) ? 0xFF000000 : 0);
        ReadableImage image { memory.data(), stride, { uniform(-3, 3), uniform(-3, 3), stride, rows } };
        int width = uniform(-1, 14);
        int height = uniform(-1, 10);
        auto color = [&](int x, int y) -> ColorValue {
            if (!image.area.contains(x, y))
                return invalid_color;
            uint32_t word = memory[(y - image.area.y) * stride + (x - image.area.x)];
            return gfx::Color::from_pixel(word).to_colorref();
        };
        ColorValue transparent = color(0, 0);

        std::vector<skin::Run> expected;
        for (int y = 0; y < height; ++y) {
            int start = -1;
            for (int x = 0; x <= width; ++x) {
                bool opaque = x < width && color(x, y) != transparent;
                if (opaque && start < 0)
                    start = x;
                if (!opaque && start >= 0) {
                    expected.push_back({ y, start, x });
                    start = -1;
                }
            }
        }
        std::vector<skin::Run> runs;
        scan_runs(image, width, height, transparent, [&](const skin::Run& run) { runs.push_back(run); });
        ASSERT_EQ(runs, expected) << "round " << round;
    }
}

}  // namespace
}  // namespace velmo::skin
