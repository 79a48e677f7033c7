// The handle table: stale and wrong handles fail the way the real calls do and change nothing;
// selection and deletion rules of bitmaps and memory contexts.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"

namespace velmo::platform {
namespace {

class HandleTest : public velmo::testing::MemoryDisplayTest {
protected:
    HandleTest()
        : MemoryDisplayTest({ { 100, 100 } })
    {
    }
};

// Handles that name nothing: deleted, destroyed, from a replaced display, or never issued.
struct Stale {
    HWND window;
    HDC dc;
    HDC memory_dc;
    HBITMAP bitmap;
    HRGN region;
};

Stale make_stale()
{
    Stale s {};
    WindowDesc desc;
    desc.rect = { 0, 0, 10, 10 };
    s.window = create_window(desc);
    s.dc = GetDC(s.window);
    ReleaseDC(s.window, s.dc);
    DestroyWindow(s.window);
    s.memory_dc = CreateCompatibleDC(0);
    DeleteDC(s.memory_dc);
    HDC screen = GetDC(0);
    s.bitmap = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(0, screen);
    DeleteObject(s.bitmap);
    s.region = CreateRectRgn(0, 0, 2, 2);
    DeleteObject(s.region);
    return s;
}

TEST_F(HandleTest, StaleHandlesFailCleanly)
{
    for (bool replaced : { false, true }) {
        Stale s = make_stale();
        if (replaced) {
            // Handles of a replaced display: made live there, dead here.
            reset_display({ { 100, 100 } });
            WindowDesc desc;
            desc.rect = { 0, 0, 10, 10 };
            s.window = create_window(desc);
            s.dc = GetDC(s.window);
            s.memory_dc = CreateCompatibleDC(0);
            s.bitmap = CreateCompatibleBitmap(s.dc, 2, 2);
            s.region = CreateRectRgn(0, 0, 1, 1);
            reset_display({ { 100, 100 } });
            // The new display issues fresh values, never the old ones.
            WindowDesc again;
            again.rect = { 0, 0, 10, 10 };
            EXPECT_NE(create_window(again), s.window);
        }
        ScopedWindowDC screen(GetDC(0), 0);
        RECT rect { 1, 2, 3, 4 };
        POINT point { 5, 6 };
        BITMAP record {};
        record.bmWidth = 77;
        BITMAPINFO info {};
        info.bmiHeader.biWidth = 1;
        info.bmiHeader.biHeight = 1;
        info.bmiHeader.biBitCount = 32;
        uint32_t bits = 0xDEADBEEF;

        struct Call {
            std::string what;
            std::function<int64_t()> run;
            int64_t failure;
        };
        const Call calls[] = {
            { "GetPixel", [&] { return int64_t(GetPixel(s.dc, 0, 0)); }, CLR_INVALID },
            { "SetPixel", [&] { return int64_t(SetPixel(s.memory_dc, 0, 0, 0)); }, CLR_INVALID },
            { "GetDC", [&] { return int64_t(GetDC(s.window)); }, 0 },
            { "GetWindowDC", [&] { return int64_t(GetWindowDC(s.window)); }, 0 },
            { "ReleaseDC", [&] { return int64_t(ReleaseDC(s.window, s.dc)); }, 0 },
            { "DeleteDC", [&] { return int64_t(DeleteDC(s.memory_dc)); }, 0 },
            { "CreateCompatibleDC", [&] { return int64_t(CreateCompatibleDC(s.memory_dc)); }, 0 },
            { "CreateCompatibleBitmap", [&] { return int64_t(CreateCompatibleBitmap(s.dc, 4, 4)); }, 0 },
            { "SelectObject", [&] { return int64_t(SelectObject(s.memory_dc, s.bitmap)); }, 0 },
            { "DeleteObject bitmap", [&] { return int64_t(DeleteObject(s.bitmap)); }, 0 },
            { "DeleteObject region", [&] { return int64_t(DeleteObject(s.region)); }, 0 },
            { "DeleteObject window", [&] { return int64_t(DeleteObject(s.window)); }, 0 },
            { "GetObjectA", [&] { return int64_t(GetObjectA(s.bitmap, sizeof record, &record)); }, 0 },
            { "BitBlt to", [&] { return int64_t(BitBlt(s.dc, 0, 0, 1, 1, screen.get(), 0, 0, SRCCOPY)); }, 0 },
            { "BitBlt from", [&] { return int64_t(BitBlt(screen.get(), 0, 0, 1, 1, s.memory_dc, 0, 0, SRCCOPY)); }, 0 },
            { "GetDIBits", [&] { return int64_t(GetDIBits(screen.get(), s.bitmap, 0, 1, &bits, &info, 0)); }, 0 },
            { "SetDIBits", [&] { return int64_t(SetDIBits(screen.get(), s.bitmap, 0, 1, &bits, &info, 0)); }, 0 },
            { "CombineRgn", [&] { return int64_t(CombineRgn(s.region, s.region, s.region, RGN_OR)); }, REGION_ERROR },
            { "SetWindowRgn", [&] { return int64_t(SetWindowRgn(s.window, 0, 1)); }, 0 },
            { "GetWindowRect", [&] { return int64_t(GetWindowRect(s.window, &rect)); }, 0 },
            { "GetClientRect", [&] { return int64_t(GetClientRect(s.window, &rect)); }, 0 },
            { "ClientToScreen", [&] { return int64_t(ClientToScreen(s.window, &point)); }, 0 },
            { "ShowWindow", [&] { return int64_t(ShowWindow(s.window, SW_SHOW)); }, 0 },
            { "MoveWindow", [&] { return int64_t(MoveWindow(s.window, 1, 1, 5, 5, 1)); }, 0 },
            { "DestroyWindow", [&] { return int64_t(DestroyWindow(s.window)); }, 0 },
            { "SetForegroundWindow", [&] { return int64_t(SetForegroundWindow(s.window)); }, 0 },
            { "IsWindow", [&] { return int64_t(IsWindow(s.window)); }, 0 },
            { "GetDeviceCaps", [&] { return int64_t(GetDeviceCaps(s.dc, HORZRES)); }, 0 },
        };
        for (const auto& call : calls)
            EXPECT_EQ(call.run(), call.failure) << call.what << (replaced ? " (replaced display)" : "");
        EXPECT_EQ(rect.left, 1);
        EXPECT_EQ(rect.bottom, 4);
        EXPECT_EQ(point.x, 5);
        EXPECT_EQ(record.bmWidth, 77);
        EXPECT_EQ(bits, 0xDEADBEEF);
    }
}

TEST_F(HandleTest, HandlesOfTheWrongKindAreRefused)
{
    ScopedWindowDC screen(GetDC(0), 0);
    ScopedMemoryDC memory(CreateCompatibleDC(0));
    ScopedGdiObject region(CreateRectRgn(0, 0, 2, 2));
    ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), 2, 2));
    EXPECT_EQ(SelectObject(memory.get(), region.get()), 0u) << "no clipping regions through SelectObject";
    EXPECT_EQ(SelectObject(screen.get(), bitmap.get()), 0u) << "bitmaps go into memory contexts only";
    EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), CLR_INVALID);
    EXPECT_EQ(DeleteDC(screen.get()), 0) << "a window's context is released, not deleted";
    EXPECT_EQ(ReleaseDC(0, memory.get()), 0) << "a memory context is deleted, not released";
    EXPECT_EQ(GetObjectA(region.get(), sizeof(BITMAP), nullptr), 0);
    EXPECT_EQ(SetWindowRgn(GetDesktopWindow(), region.get(), 1), 0);
    EXPECT_EQ(PtInRegion(bitmap.get(), 0, 0), 0);
}

TEST_F(HandleTest, SelectObjectReturnsThePreviousBitmap)
{
    ScopedWindowDC screen(GetDC(0), 0);
    ScopedMemoryDC a(CreateCompatibleDC(screen.get()));
    ScopedMemoryDC b(CreateCompatibleDC(screen.get()));
    ScopedGdiObject first(CreateCompatibleBitmap(screen.get(), 3, 2));
    ScopedGdiObject second(CreateCompatibleBitmap(screen.get(), 5, 4));

    HGDIOBJ stock = SelectObject(a.get(), first.get());
    ASSERT_NE(stock, 0u);
    BITMAP record {};
    ASSERT_EQ(GetObjectA(stock, sizeof record, &record), 24);
    EXPECT_EQ(record.bmWidth, 1);
    EXPECT_EQ(record.bmBitsPixel, 1) << "a new memory context holds a one-pixel monochrome bitmap";

    EXPECT_EQ(SelectObject(b.get(), first.get()), 0u) << "a bitmap is selected into one context at a time";
    EXPECT_EQ(DeleteObject(first.get()), 0) << "a selected bitmap cannot be deleted";
    EXPECT_EQ(GetCurrentObject(a.get(), OBJ_BITMAP), first.get());
    EXPECT_EQ(SelectObject(a.get(), second.get()), first.get());
    EXPECT_EQ(SelectObject(b.get(), first.get()), stock) << "free again once replaced";
    EXPECT_EQ(SelectObject(b.get(), stock), first.get());
    EXPECT_EQ(SelectObject(a.get(), stock), second.get());
    EXPECT_EQ(DeleteObject(stock), 1) << "deleting the stock bitmap is harmless";
    EXPECT_EQ(SelectObject(a.get(), stock), stock);

    // Deleting a context frees the bitmap it held.
    HDC c = CreateCompatibleDC(0);
    HBITMAP third = CreateCompatibleBitmap(screen.get(), 2, 2);
    SelectObject(c, third);
    EXPECT_EQ(DeleteObject(third), 0);
    EXPECT_EQ(DeleteDC(c), 1);
    EXPECT_EQ(DeleteObject(third), 1);
}

TEST_F(HandleTest, BitmapSizesAndRecords)
{
    ScopedWindowDC screen(GetDC(0), 0);
    struct Case {
        int width, height;
        bool made;
        int record_width, record_height, bits, width_bytes;
    };
    const Case cases[] = {
        { 7, 3, true, 7, 3, 32, 28 },
        { 0, 5, true, 1, 1, 1, 2 },
        { 5, 0, true, 1, 1, 1, 2 },
        { -1, 5, false, 0, 0, 0, 0 },
        { 100000, 2, false, 0, 0, 0, 0 },
        { 30000, 30000, false, 0, 0, 0, 0 },
    };
    for (const auto& c : cases) {
        ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), c.width, c.height));
        ASSERT_EQ(bool(bitmap), c.made) << c.width << "x" << c.height;
        if (!c.made)
            continue;
        EXPECT_EQ(GetObjectA(bitmap.get(), 0, nullptr), 24);
        BITMAP record {};
        EXPECT_EQ(GetObjectA(bitmap.get(), 23, &record), 0) << "too small a buffer";
        ASSERT_EQ(GetObjectA(bitmap.get(), 24, &record), 24);
        EXPECT_EQ(record.bmWidth, c.record_width);
        EXPECT_EQ(record.bmHeight, c.record_height);
        EXPECT_EQ(record.bmBitsPixel, c.bits);
        EXPECT_EQ(record.bmWidthBytes, c.width_bytes);
        EXPECT_EQ(record.bmPlanes, 1);
    }
    EXPECT_EQ(CreateCompatibleBitmap(0, 4, 4), 0u) << "no context, no bitmap";
}

TEST_F(HandleTest, OwnContextsSurviveRelease)
{
    WindowDesc desc;
    desc.rect = { 0, 0, 10, 10 };
    desc.style.own_dc = true;
    HWND w = create_window(desc);
    HDC dc = GetDC(w);
    EXPECT_EQ(GetDC(w), dc);
    EXPECT_EQ(ReleaseDC(w, dc), 1);
    EXPECT_NE(GetPixel(dc, 0, 0), CLR_INVALID);
    DestroyWindow(w);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
}

}  // namespace
}  // namespace velmo::platform
