// show_bitmap: a memory bitmap put in a window's client area. The copy may wait, but whoever reads
// the window or the screen sees exactly what was shown, whatever happened to the bitmap since.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"

namespace velmo::platform {
namespace {

// A bordered child's frame is two pixels: the client area is 41 x 26 at (2, 2) of the window,
// whose own (0, 0) is at (10, 10) of the screen. 41 columns take both the vector and the
// leftover part of a row copy.
constexpr gfx::Rect window_rect { 10, 10, 45, 30 };
constexpr int W = 41, H = 26;
constexpr gfx::Color background { 1, 2, 3 };

// Every pixel of every frame differs, so a stale or misplaced pixel shows.
COLORREF color(int frame, int x, int y) { return COLORREF((x * 5 + frame * 40) % 256 | ((y * 9 + frame) % 256) << 8 | (frame * 17 % 256) << 16); }

class ShownBitmapTest : public velmo::testing::MemoryDisplayTest {
public:
    ShownBitmapTest()
        : MemoryDisplayTest({ { 120, 90 } })
    {
    }
    void SetUp() override
    {
        MemoryDisplayTest::SetUp();
        WindowDesc desc;
        desc.rect = window_rect;
        desc.style = WindowStyle::bordered_child();
        desc.background = background;
        desc.visible = true;
        window_ = create_window(desc);
        ASSERT_TRUE(window_);
        screen_ = ScopedWindowDC(GetDC(0), 0);
        bitmap_ = ScopedGdiObject(CreateCompatibleBitmap(screen_.get(), W, H));
        memory_ = ScopedMemoryDC(CreateCompatibleDC(screen_.get()));
        selection_.emplace(memory_.get(), bitmap_.get());
    }

    // Rows `first` to `first + rows - 1` (from the top) of `frame`, written top-down with the
    // reserved byte set, which the bitmap does not keep.
    void write(int frame, int first = 0, int rows = H)
    {
        std::vector<uint32_t> words;
        for (int y = first; y < first + rows; ++y)
            for (int x = 0; x < W; ++x) {
                COLORREF c = color(frame, x, y);
                words.push_back(0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF));
            }
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        ASSERT_EQ(SetDIBits(screen_.get(), bitmap_.get(), UINT(first), UINT(rows), words.data(), &info, DIB_RGB_COLORS), rows);
    }

    void show() { ASSERT_TRUE(show_bitmap(window_, memory_.get())); }

    // Every client pixel, read through the client's context and on the screen, is `expected`.
    void expect_client(const std::function<COLORREF(int, int)>& expected, const char* what)
    {
        ScopedWindowDC client(GetDC(window_), window_);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                ASSERT_EQ(GetPixel(client.get(), x, y), expected(x, y)) << what << " client " << x << "," << y;
                ASSERT_EQ(GetPixel(screen_.get(), 12 + x, 12 + y), expected(x, y)) << what << " screen " << x << "," << y;
            }
    }
    void expect_client(int frame, const char* what)
    {
        expect_client([frame](int x, int y) { return color(frame, x, y); }, what);
    }
    // The bitmap itself, word for word, reserved byte cleared.
    void expect_bitmap(const std::function<COLORREF(int, int)>& expected, const char* what)
    {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(GetPixel(memory_.get(), x, y), expected(x, y)) << what << " bitmap " << x << "," << y;
        std::vector<uint32_t> words(W * H);
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        ASSERT_EQ(GetDIBits(screen_.get(), bitmap_.get(), 0, H, words.data(), &info, DIB_RGB_COLORS), H);
        for (uint32_t w : words)
            ASSERT_EQ(w >> 24, 0u) << what;
    }

    HWND window_ = 0;
    ScopedWindowDC screen_;
    ScopedGdiObject bitmap_;
    ScopedMemoryDC memory_;
    std::optional<ScopedSelection> selection_;
};

TEST_F(ShownBitmapTest, EachReadSeesTheLastShownFrameNotLaterWrites)
{
    write(1);
    show();
    write(2);  // overwrites the whole bitmap while frame 1 waits to be shown
    expect_client(1, "frame 1 shown, 2 written");
    expect_bitmap([](int x, int y) { return color(2, x, y); }, "frame 2 written");

    show();
    write(3);
    write(4);  // a second whole write while frame 2 still waits
    expect_client(2, "frame 2 shown, 3 and 4 written");
    expect_bitmap([](int x, int y) { return color(4, x, y); }, "frame 4 written");

    // Frames in a row, shown to nobody, compose no screen; the next read sees the last one.
    uint64_t composed = screen_compositions();
    for (int frame = 5; frame <= 9; ++frame) {
        write(frame);
        show();
    }
    EXPECT_EQ(screen_compositions(), composed);
    expect_client(9, "frames 5 to 9 shown");
    EXPECT_EQ(screen_compositions(), composed + 1);
}

TEST_F(ShownBitmapTest, WhatHappensAfterAShowKeepsItsPlace)
{
    struct Case {
        const char* name;
        std::function<void(ShownBitmapTest&)> after_show;
        std::function<COLORREF(int, int)> client;  // what the window shows then
        std::function<COLORREF(int, int)> bitmap;  // what the bitmap holds then; none: not checked
    };
    auto frame = [](int f) { return [f](int x, int y) { return color(f, x, y); }; };
    const Case cases[] = {
        { "rows written: the bitmap mixes frames, the window keeps the shown one",
            [](ShownBitmapTest& t) { t.write(2, 5, 7); }, frame(1),
            [](int x, int y) { return color(y >= 5 && y < 12 ? 2 : 1, x, y); } },
        { "drawn on the bitmap: not on the window",
            [](ShownBitmapTest& t) { SetPixel(t.memory_.get(), 3, 4, 0); }, frame(1),
            [](int x, int y) { return x == 3 && y == 4 ? 0 : color(1, x, y); } },
        { "drawn on the window: over the shown bitmap",
            [](ShownBitmapTest& t) {
                ScopedWindowDC client(GetDC(t.window_), t.window_);
                SetPixel(client.get(), 3, 4, 0);
            },
            [](int x, int y) { return x == 3 && y == 4 ? 0 : color(1, x, y); }, frame(1) },
        { "the bitmap deleted: still shown",
            [](ShownBitmapTest& t) {
                t.selection_.reset();
                ASSERT_TRUE(DeleteObject(t.bitmap_.release()));
            },
            frame(1), nullptr },
    };
    for (const Case& c : cases) {
        SetUp();
        write(1);
        show();
        c.after_show(*this);
        expect_client(c.client, c.name);
        if (c.bitmap)
            expect_bitmap(c.bitmap, c.name);
    }
}

TEST_F(ShownBitmapTest, ANewSmallerBitmapShowsBlackInItsPartAndWrongHandlesShowNothing)
{
    ScopedGdiObject small(CreateCompatibleBitmap(screen_.get(), 20, 10));
    ScopedMemoryDC dc(CreateCompatibleDC(screen_.get()));
    ScopedSelection selected(dc.get(), small.get());
    EXPECT_FALSE(show_bitmap(window_, screen_.get())) << "not a memory context";
    EXPECT_FALSE(show_bitmap(HWND(0xBAD), dc.get())) << "not a window";
    ASSERT_TRUE(show_bitmap(window_, dc.get()));
    expect_client([](int x, int y) { return x < 20 && y < 10 ? 0 : background.to_colorref(); }, "small bitmap");
}

}  // namespace
}  // namespace velmo::platform
