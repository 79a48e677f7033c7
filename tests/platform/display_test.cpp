// Windows, the screen composed from them, block transfers and the laziness of composition.
#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/messages.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"

namespace velmo::platform {
namespace {

constexpr gfx::Color desktop { 0x3A, 0x6E, 0xA5 };

class DisplayTest : public velmo::testing::MemoryDisplayTest {
protected:
    DisplayTest()
        : MemoryDisplayTest({ { 200, 150 }, 32, desktop })
    {
    }

    static HWND window(gfx::Rect rect, WindowStyle style = WindowStyle::borderless(), gfx::Color background = { 255, 255, 255 }, HWND parent = 0)
    {
        WindowDesc desc;
        desc.parent = parent;
        desc.rect = rect;
        desc.style = style;
        desc.background = background;
        desc.visible = true;
        return create_window(desc);
    }

    // A colour that differs at every pixel of the window, so a misplaced copy shows.
    static COLORREF pattern(int x, int y) { return RGB_(x * 7 % 256, y * 13 % 256, (x + y) % 256); }
    static COLORREF RGB_(int r, int g, int b) { return COLORREF(r | (g << 8) | (b << 16)); }

    static void draw_pattern(HDC dc, int width, int height)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(SetPixel(dc, x, y, pattern(x, y)), pattern(x, y));
    }
};

TEST_F(DisplayTest, ScreenShowsTheDesktopAndItsSize)
{
    ScopedWindowDC screen(GetDC(0), 0);
    EXPECT_EQ(GetPixel(screen.get(), 0, 0), desktop.to_colorref());
    EXPECT_EQ(GetPixel(screen.get(), 199, 149), desktop.to_colorref());
    EXPECT_EQ(GetPixel(screen.get(), 200, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(screen.get(), -1, 0), CLR_INVALID);
    EXPECT_EQ(GetDeviceCaps(screen.get(), HORZRES), 200);
    EXPECT_EQ(GetDeviceCaps(screen.get(), VERTRES), 150);
    EXPECT_EQ(GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_EQ(GetDeviceCaps(screen.get(), SIZEPALETTE), 0);
    RECT r;
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &r));
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 150);
}

TEST_F(DisplayTest, PaletteDisplayReportsItsPalette)
{
    reset_display({ { 64, 64 }, 8 });
    ScopedWindowDC screen(GetDC(0), 0);
    EXPECT_EQ(GetDeviceCaps(screen.get(), BITSPIXEL), 8);
    EXPECT_EQ(GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE, RC_PALETTE);
    EXPECT_EQ(GetDeviceCaps(screen.get(), SIZEPALETTE), 256);
}

TEST_F(DisplayTest, WindowPixelsReadBackThroughTheScreenExactlyAsDrawn)
{
    HWND w = window({ 30, 20, 40, 25 }, WindowStyle::bordered_child());
    ScopedWindowDC client(GetDC(w), w);
    RECT inner;
    ASSERT_TRUE(GetClientRect(w, &inner));
    ASSERT_EQ(inner.right, 36);
    ASSERT_EQ(inner.bottom, 21);
    draw_pattern(client.get(), 36, 21);

    ScopedWindowDC screen(GetDC(0), 0);
    POINT origin {};
    ASSERT_TRUE(ClientToScreen(w, &origin));
    EXPECT_EQ(origin.x, 32);
    EXPECT_EQ(origin.y, 22);
    for (int y = 0; y < 150; ++y) {
        for (int x = 0; x < 200; ++x) {
            COLORREF seen = GetPixel(screen.get(), x, y);
            int cx = x - 32, cy = y - 22;
            if (cx >= 0 && cy >= 0 && cx < 36 && cy < 21) {
                ASSERT_EQ(seen, pattern(cx, cy)) << x << "," << y;
            } else if (x < 30 || y < 20 || x >= 70 || y >= 45) {
                ASSERT_EQ(seen, desktop.to_colorref()) << x << "," << y;
            }
        }
    }
    // Reads of an unchanged screen compose nothing more.
    uint64_t composed = screen_compositions();
    for (int i = 0; i < 100; ++i)
        GetPixel(screen.get(), i, i);
    EXPECT_EQ(screen_compositions(), composed);
    SetPixel(client.get(), 0, 0, 0);
    EXPECT_EQ(GetPixel(screen.get(), 32, 22), 0u);
    EXPECT_EQ(screen_compositions(), composed + 1);
}

TEST_F(DisplayTest, RegionClipsTheWindowOnTheScreen)
{
    HWND w = window({ 10, 10, 50, 40 });
    ScopedWindowDC whole(GetWindowDC(w), w);
    draw_pattern(whole.get(), 50, 40);

    // Two rectangles: the top-left quarter and a band along the bottom.
    ScopedGdiObject a(CreateRectRgn(0, 0, 25, 20));
    ScopedGdiObject b(CreateRectRgn(5, 30, 45, 40));
    ASSERT_EQ(CombineRgn(a.get(), a.get(), b.get(), RGN_OR), COMPLEXREGION);
    HRGN given = a.release();
    ASSERT_EQ(SetWindowRgn(w, given, 1), 1);
    // The window owns the region now: its handle is gone for the caller.
    EXPECT_EQ(DeleteObject(given), 0);

    ScopedWindowDC screen(GetDC(0), 0);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 70; ++x) {
            int wx = x - 10, wy = y - 10;
            bool inside = (wx >= 0 && wx < 25 && wy >= 0 && wy < 20) || (wx >= 5 && wx < 45 && wy >= 30 && wy < 40);
            ASSERT_EQ(GetPixel(screen.get(), x, y), inside ? pattern(wx, wy) : desktop.to_colorref()) << x << "," << y;
        }
    }
    // The window's own context still reads every pixel of it.
    EXPECT_EQ(GetPixel(whole.get(), 49, 0), pattern(49, 0));

    // Region 0 gives the whole rectangle back.
    ASSERT_EQ(SetWindowRgn(w, 0, 1), 1);
    EXPECT_EQ(GetPixel(screen.get(), 10 + 49, 10), pattern(49, 0));
}

TEST_F(DisplayTest, ZOrderVisibilityAndMinimising)
{
    HWND lower = window({ 0, 0, 20, 20 }, WindowStyle::borderless(), { 255, 0, 0 });
    HWND upper = window({ 10, 10, 20, 20 }, WindowStyle::borderless(), { 0, 255, 0 });
    ScopedWindowDC screen(GetDC(0), 0);
    const COLORREF red = 0x0000FF, green = 0x00FF00;
    EXPECT_EQ(GetForegroundWindow(), upper);
    EXPECT_EQ(GetPixel(screen.get(), 15, 15), green);
    EXPECT_EQ(GetPixel(screen.get(), 5, 5), red);

    ASSERT_TRUE(BringWindowToTop(lower));
    EXPECT_EQ(GetPixel(screen.get(), 15, 15), red);
    ASSERT_TRUE(SetWindowPos(lower, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(GetPixel(screen.get(), 15, 15), green);
    ASSERT_TRUE(SetWindowPos(lower, upper, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(GetPixel(screen.get(), 15, 15), green) << "placed just below upper";

    EXPECT_TRUE(ShowWindow(upper, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(upper));
    EXPECT_EQ(GetPixel(screen.get(), 15, 15), red);
    EXPECT_EQ(GetPixel(screen.get(), 25, 25), desktop.to_colorref());
    ShowWindow(upper, SW_SHOW);
    EXPECT_EQ(GetPixel(screen.get(), 25, 25), green);
    ShowWindow(upper, SW_MINIMIZE);
    EXPECT_EQ(GetPixel(screen.get(), 25, 25), desktop.to_colorref());
    ShowWindow(upper, SW_RESTORE);
    EXPECT_EQ(GetPixel(screen.get(), 25, 25), green);

    ASSERT_TRUE(MoveWindow(upper, 100, 100, 20, 20, 1));
    EXPECT_EQ(GetPixel(screen.get(), 25, 25), desktop.to_colorref());
    EXPECT_EQ(GetPixel(screen.get(), 105, 105), green);
    ASSERT_TRUE(DestroyWindow(upper));
    EXPECT_EQ(GetPixel(screen.get(), 105, 105), desktop.to_colorref());
    EXPECT_EQ(GetForegroundWindow(), 0u);
}

TEST_F(DisplayTest, ChildrenShowInsideTheParentsClientArea)
{
    HWND parent = window({ 20, 20, 60, 50 }, WindowStyle::sizable(), { 255, 255, 255 });
    HWND child = window({ 40, 5, 30, 10 }, WindowStyle::borderless(), { 0, 0, 255 }, parent);
    ASSERT_NE(child, 0u);
    EXPECT_EQ(GetParent(child), parent);
    RECT r;
    ASSERT_TRUE(GetWindowRect(child, &r));
    // Parent client origin: 20 + 4 across, 20 + 4 + 20 down.
    EXPECT_EQ(r.left, 24 + 40);
    EXPECT_EQ(r.top, 44 + 5);
    ScopedWindowDC screen(GetDC(0), 0);
    const COLORREF blue = 0xFF0000;
    // Parent client spans x 24..75; the child starts at 64 and is cut at the client edge.
    EXPECT_EQ(GetPixel(screen.get(), 64, 49), blue);
    EXPECT_EQ(GetPixel(screen.get(), 75, 49), blue);
    EXPECT_NE(GetPixel(screen.get(), 76, 49), blue);
    EXPECT_NE(GetPixel(screen.get(), 85, 49), blue);

    // Reading the parent's window sees the child too; its own pixels stay white below it.
    ScopedWindowDC parent_client(GetDC(parent), parent);
    EXPECT_EQ(GetPixel(parent_client.get(), 40, 5), blue);
    ShowWindow(child, SW_HIDE);
    EXPECT_EQ(GetPixel(parent_client.get(), 40, 5), 0xFFFFFFu);
    // A hidden parent hides the child.
    ShowWindow(child, SW_SHOW);
    ShowWindow(parent, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_EQ(GetPixel(screen.get(), 64, 49), desktop.to_colorref());
}

TEST_F(DisplayTest, FrameAndCaptionSurroundTheClientArea)
{
    HWND w = window({ 5, 5, 50, 40 }, WindowStyle::sizable());
    RECT whole, client;
    ASSERT_TRUE(GetWindowRect(w, &whole));
    ASSERT_TRUE(GetClientRect(w, &client));
    EXPECT_EQ(whole.right - whole.left, 50);
    EXPECT_EQ(client.right, 50 - 8);
    EXPECT_EQ(client.bottom, 40 - 8 - 20);
    ScopedWindowDC whole_dc(GetWindowDC(w), w);
    ScopedWindowDC client_dc(GetDC(w), w);
    SetPixel(client_dc.get(), 0, 0, 0x123456);
    EXPECT_EQ(GetPixel(whole_dc.get(), 4, 24), 0x123456u);
    EXPECT_EQ(GetPixel(client_dc.get(), 42, 0), CLR_INVALID) << "outside the client area";
    EXPECT_EQ(SetPixel(client_dc.get(), -1, 0, 0), CLR_INVALID);
    EXPECT_NE(GetPixel(whole_dc.get(), 0, 0), 0xFFFFFFu) << "the frame is painted";
}

TEST_F(DisplayTest, BitBltRoundTripsBetweenMemoryWindowAndScreen)
{
    HWND w = window({ 50, 40, 30, 20 });
    ScopedWindowDC screen(GetDC(0), 0);
    ScopedMemoryDC memory(CreateCompatibleDC(screen.get()));
    ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), 30, 20));
    ScopedSelection selected(memory.get(), bitmap.get());
    ASSERT_TRUE(selected.selected());
    draw_pattern(memory.get(), 30, 20);

    ScopedWindowDC client(GetDC(w), w);
    ASSERT_TRUE(BitBlt(client.get(), 0, 0, 30, 20, memory.get(), 0, 0, SRCCOPY));

    // Back from the screen into a second bitmap.
    ScopedMemoryDC copy_dc(CreateCompatibleDC(0));
    ScopedGdiObject copy(CreateCompatibleBitmap(screen.get(), 30, 20));
    ScopedSelection copy_selected(copy_dc.get(), copy.get());
    ASSERT_TRUE(BitBlt(copy_dc.get(), 0, 0, 30, 20, screen.get(), 50, 40, SRCCOPY));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(GetPixel(copy_dc.get(), x, y), pattern(x, y)) << x << "," << y;
}

// BitBlt clips both sides; compare with a copy done pixel by pixel.
TEST_F(DisplayTest, BitBltClipsLikeAPixelByPixelCopy)
{
    struct Case {
        int x, y, width, height, source_x, source_y;
    };
    const Case cases[] = {
        { 0, 0, 8, 6, 0, 0 }, { 3, 2, 8, 6, 0, 0 }, { -3, -2, 8, 6, 0, 0 }, { 0, 0, 8, 6, -4, 3 },
        { 5, 1, 20, 20, 2, 2 }, { 0, 0, 0, 5, 0, 0 }, { 0, 0, 5, -5, 0, 0 }, { 7, 5, 1, 1, 7, 5 },
        { 2, 2, 8, 6, 1000000000, 5 }, { -2000000000, 0, 2000000000, 6, 0, 0 },
    };
    ScopedWindowDC screen(GetDC(0), 0);
    for (const auto& c : cases) {
        ScopedMemoryDC from_dc(CreateCompatibleDC(0));
        ScopedMemoryDC to_dc(CreateCompatibleDC(0));
        ScopedGdiObject from(CreateCompatibleBitmap(screen.get(), 8, 6));
        ScopedGdiObject to(CreateCompatibleBitmap(screen.get(), 8, 6));
        ScopedSelection s1(from_dc.get(), from.get());
        ScopedSelection s2(to_dc.get(), to.get());
        draw_pattern(from_dc.get(), 8, 6);
        ASSERT_TRUE(BitBlt(to_dc.get(), c.x, c.y, c.width, c.height, from_dc.get(), c.source_x, c.source_y, SRCCOPY));
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 8; ++x) {
                int64_t sx = int64_t(x) - c.x + c.source_x, sy = int64_t(y) - c.y + c.source_y;
                bool copied = x >= c.x && y >= c.y && int64_t(x) < int64_t(c.x) + c.width && y < c.y + c.height && sx >= 0 && sy >= 0 && sx < 8 && sy < 6;
                COLORREF expected = copied ? pattern(int(sx), int(sy)) : 0;
                ASSERT_EQ(GetPixel(to_dc.get(), x, y), expected) << "case " << c.x << "," << c.y << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(DisplayTest, BitBltWithinOneBitmapOverlapping)
{
    ScopedWindowDC screen(GetDC(0), 0);
    ScopedMemoryDC dc(CreateCompatibleDC(0));
    ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), 10, 10));
    ScopedSelection selected(dc.get(), bitmap.get());
    draw_pattern(dc.get(), 10, 10);
    ASSERT_TRUE(BitBlt(dc.get(), 2, 3, 8, 7, dc.get(), 0, 0, SRCCOPY));
    for (int y = 3; y < 10; ++y)
        for (int x = 2; x < 10; ++x)
            ASSERT_EQ(GetPixel(dc.get(), x, y), pattern(x - 2, y - 3));
}

TEST_F(DisplayTest, UnknownRasterOperationFailsAndChangesNothing)
{
    ScopedWindowDC screen(GetDC(0), 0);
    ScopedMemoryDC dc(CreateCompatibleDC(0));
    ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), 4, 4));
    ScopedSelection selected(dc.get(), bitmap.get());
    SetPixel(dc.get(), 1, 1, 0x445566);
    EXPECT_EQ(BitBlt(dc.get(), 0, 0, 4, 4, screen.get(), 0, 0, 0x00EE0086 /* SRCPAINT */), 0);
    EXPECT_EQ(GetPixel(dc.get(), 1, 1), 0x445566u);
    EXPECT_TRUE(BitBlt(dc.get(), 0, 0, 4, 4, 0, 0, 0, WHITENESS));
    EXPECT_EQ(GetPixel(dc.get(), 1, 1), 0xFFFFFFu);
}

TEST_F(DisplayTest, DrawingOnTheScreenLandsOnTheDesktop)
{
    HWND w = window({ 0, 0, 10, 10 }, WindowStyle::borderless(), { 0, 0, 0 });
    ScopedWindowDC screen(GetDC(0), 0);
    SetPixel(screen.get(), 5, 5, 0x00FF00);
    SetPixel(screen.get(), 15, 15, 0x00FF00);
    EXPECT_EQ(GetPixel(screen.get(), 5, 5), 0u) << "the window covers the desktop there";
    EXPECT_EQ(GetPixel(screen.get(), 15, 15), 0x00FF00u);
    DestroyWindow(w);
    EXPECT_EQ(GetPixel(screen.get(), 5, 5), 0x00FF00u);
}

TEST_F(DisplayTest, PaintsRunWhenPumpedOrUpdated)
{
    HWND w = window({ 0, 0, 10, 10 });
    int painted = 0;
    ASSERT_TRUE(set_paint_handler(w, [&] { ++painted; }));
    pump_messages();
    EXPECT_EQ(painted, 0);
    InvalidateRect(w, nullptr, 0);
    InvalidateRect(w, nullptr, 0);
    pump_messages();
    EXPECT_EQ(painted, 1) << "one paint for any number of invalidations";
    InvalidateRect(w, nullptr, 0);
    UpdateWindow(w);
    EXPECT_EQ(painted, 2);
    pump_messages();
    EXPECT_EQ(painted, 2);
    // A window destroyed before the pump is not painted.
    InvalidateRect(w, nullptr, 0);
    DestroyWindow(w);
    pump_messages();
    EXPECT_EQ(painted, 2);
}

TEST_F(DisplayTest, CursorStaysOnTheScreen)
{
    POINT p { -5, -5 };
    ASSERT_TRUE(SetCursorPos(500, 20));
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 199);
    EXPECT_EQ(p.y, 20);
}

}  // namespace
}  // namespace velmo::platform
