// A new bitmap is black by every way of reading it, although its storage is blackened only on
// first use; a copy that covers it completely is all it then holds, and one that does not leaves
// the rest black.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"

namespace velmo::platform {
namespace {

// A screen with a window whose client area is white at 10..100 x 10..80.
class BlankBitmap : public velmo::testing::MemoryDisplayTest {
protected:
    BlankBitmap()
        : MemoryDisplayTest({ { 160, 120 }, 32 })
    {
    }
    void SetUp() override
    {
        MemoryDisplayTest::SetUp();
        WindowDesc desc;
        desc.rect = { 10, 10, 90, 70 };
        desc.visible = true;
        create_window(desc);
    }
};

TEST_F(BlankBitmap, ReadsBlackEveryWay)
{
    using Read = std::function<COLORREF(HDC, HBITMAP)>;
    const std::pair<const char*, Read> reads[] = {
        { "GetPixel", [](HDC dc, HBITMAP) { return GetPixel(dc, 3, 2); } },
        { "bitmap_pixels", [](HDC, HBITMAP b) { return bitmap_pixels(b)->pixel(3, 2).to_colorref(); } },
        { "GetDIBits", [](HDC dc, HBITMAP b) {
             BITMAPINFO info {};
             info.bmiHeader.biWidth = 4;
             info.bmiHeader.biHeight = -3;
             info.bmiHeader.biBitCount = 32;
             std::array<uint32_t, 12> bits;
             bits.fill(0xFFFFFFFF);
             GetDIBits(dc, b, 0, 3, bits.data(), &info, DIB_RGB_COLORS);
             return COLORREF(bits[2 * 4 + 3]);
         } },
        { "BitBlt out of it", [](HDC dc, HBITMAP) {
             ScopedMemoryDC other(CreateCompatibleDC(0));
             ScopedGdiObject into(CreateCompatibleBitmap(other.get(), 4, 3));
             ScopedSelection selected(other.get(), into.get());
             SetPixel(other.get(), 3, 2, 0xFFFFFF);
             BitBlt(other.get(), 0, 0, 4, 3, dc, 0, 0, SRCCOPY);
             return GetPixel(other.get(), 3, 2);
         } },
    };
    for (const auto& [name, read] : reads) {
        ScopedMemoryDC dc(CreateCompatibleDC(0));
        ScopedGdiObject bitmap(CreateCompatibleBitmap(dc.get(), 4, 3));
        ScopedSelection selected(dc.get(), bitmap.get());
        EXPECT_EQ(read(dc.get(), bitmap.get()), 0u) << name;
    }
}

TEST_F(BlankBitmap, CopiesCoveringAllOrPart)
{
    struct Case {
        const char* name;
        int x, y, source_x, source_y;
        COLORREF corner;  // pixel (0, 0) of the 20 x 20 bitmap afterwards
        COLORREF far;     // pixel (19, 19)
    };
    const Case cases[] = {
        { "covered by the white client area", 0, 0, 40, 40, 0xFFFFFF, 0xFFFFFF },
        { "placed one pixel in", 1, 1, 40, 40, 0, 0xFFFFFF },
        { "reaching past the screen's edge", 0, 0, 150, 110, 0xA56E3A, 0 },
    };
    ScopedWindowDC screen(GetDC(0), 0);
    for (const auto& c : cases) {
        ScopedMemoryDC dc(CreateCompatibleDC(screen.get()));
        ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), 20, 20));
        ScopedSelection selected(dc.get(), bitmap.get());
        ASSERT_EQ(BitBlt(dc.get(), c.x, c.y, 20, 20, screen.get(), c.source_x, c.source_y, SRCCOPY), 1);
        EXPECT_EQ(GetPixel(dc.get(), 0, 0), c.corner) << c.name;
        EXPECT_EQ(GetPixel(dc.get(), 19, 19), c.far) << c.name;
    }
}

}  // namespace
}  // namespace velmo::platform
