// GetDIBits and SetDIBits with 32-bit DIBs: both row orders, partial scan ranges, header queries,
// and refusals that leave the caller's buffer alone.
#include <gtest/gtest.h>

#include <vector>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"

namespace velmo::platform {
namespace {

constexpr int W = 5, H = 4;
constexpr uint32_t sentinel = 0xDEADBEEF;

BITMAPINFO header(int width, int height)
{
    BITMAPINFO info {};
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Pixel word (0x00RRGGBB) for image position (x, y), y from the top.
uint32_t word(int x, int y) { return uint32_t((x + 1) * 0x10 + (y + 1) * 0x1000 + 0x50000); }

class DibTest : public velmo::testing::MemoryDisplayTest {
protected:
    DibTest()
        : MemoryDisplayTest({ { 64, 64 } })
    {
    }
    void SetUp() override
    {
        MemoryDisplayTest::SetUp();
        screen_ = ScopedWindowDC(GetDC(0), 0);
        bitmap_ = ScopedGdiObject(CreateCompatibleBitmap(screen_.get(), W, H));
        ASSERT_TRUE(bitmap_);
    }
    ScopedWindowDC screen_;
    ScopedGdiObject bitmap_;
};

TEST_F(DibTest, TopDownWriteBottomUpReadReversesTheRows)
{
    std::vector<uint32_t> top_down(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            top_down[y * W + x] = word(x, y) | 0xFF000000;  // the reserved byte is not kept
    BITMAPINFO down = header(W, -H);
    ASSERT_EQ(SetDIBits(screen_.get(), bitmap_.get(), 0, H, top_down.data(), &down, DIB_RGB_COLORS), H);

    std::vector<uint32_t> bottom_up(W * H, sentinel);
    BITMAPINFO up = header(W, H);
    ASSERT_EQ(GetDIBits(screen_.get(), bitmap_.get(), 0, H, bottom_up.data(), &up, DIB_RGB_COLORS), H);
    for (int row = 0; row < H; ++row)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(bottom_up[row * W + x], word(x, H - 1 - row)) << x << "," << row;

    // And back: what was read bottom-up writes the same image bottom-up.
    ScopedGdiObject second(CreateCompatibleBitmap(screen_.get(), W, H));
    ASSERT_EQ(SetDIBits(screen_.get(), second.get(), 0, H, bottom_up.data(), &up, DIB_RGB_COLORS), H);
    std::vector<uint32_t> again(W * H, sentinel);
    ASSERT_EQ(GetDIBits(screen_.get(), second.get(), 0, H, again.data(), &down, DIB_RGB_COLORS), H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(again[y * W + x], word(x, y));
}

TEST_F(DibTest, PixelsAgreeWithGetPixel)
{
    std::vector<uint32_t> top_down(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            top_down[y * W + x] = word(x, y);
    BITMAPINFO down = header(W, -H);
    SetDIBits(screen_.get(), bitmap_.get(), 0, H, top_down.data(), &down, DIB_RGB_COLORS);
    ScopedMemoryDC dc(CreateCompatibleDC(0));
    ScopedSelection selected(dc.get(), bitmap_.get());
    // Blue, green, red bytes in memory; red is the low byte of the colour value.
    uint32_t w = word(2, 1);
    COLORREF expected = ((w >> 16) & 0xFF) | (w & 0xFF00) | ((w & 0xFF) << 16);
    EXPECT_EQ(GetPixel(dc.get(), 2, 1), expected);
}

TEST_F(DibTest, ScanRangesSelectRowsFromTheBottom)
{
    std::vector<uint32_t> top_down(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            top_down[y * W + x] = word(x, y);
    BITMAPINFO down = header(W, -H);
    SetDIBits(screen_.get(), bitmap_.get(), 0, H, top_down.data(), &down, DIB_RGB_COLORS);

    struct Case {
        UINT start, lines;
        int copied;
    };
    for (Case c : { Case { 1, 2, 2 }, Case { 3, 5, 1 }, Case { 4, 1, 0 }, Case { 0, 0, 0 }, Case { 2, 0xFFFFFFFF, 2 } }) {
        std::vector<uint32_t> rows(W * H, sentinel);
        BITMAPINFO up = header(W, H);
        ASSERT_EQ(GetDIBits(screen_.get(), bitmap_.get(), c.start, c.lines, rows.data(), &up, DIB_RGB_COLORS), c.copied);
        for (int i = 0; i < H; ++i) {
            bool filled = i < c.copied;
            int y = H - 1 - int(c.start) - i;  // scan line start + i of a bottom-up DIB
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(rows[i * W + x], filled ? word(x, y) : sentinel) << c.start << "+" << i;
        }
    }
}

TEST_F(DibTest, NarrowerAndWiderDibsCopyTheCommonColumns)
{
    std::vector<uint32_t> wide((W + 2) * H, sentinel);
    BITMAPINFO up = header(W + 2, -H);
    ASSERT_EQ(GetDIBits(screen_.get(), bitmap_.get(), 0, H, wide.data(), &up, DIB_RGB_COLORS), H);
    EXPECT_EQ(wide[0], 0u);
    EXPECT_EQ(wide[W], sentinel) << "columns past the bitmap are left alone";

    std::vector<uint32_t> narrow(2 * H, 0x00ABCDEF);
    BITMAPINFO n = header(2, -H);
    ASSERT_EQ(SetDIBits(screen_.get(), bitmap_.get(), 0, H, narrow.data(), &n, DIB_RGB_COLORS), H);
    std::vector<uint32_t> back(W * H, sentinel);
    BITMAPINFO full = header(W, -H);
    GetDIBits(screen_.get(), bitmap_.get(), 0, H, back.data(), &full, DIB_RGB_COLORS);
    EXPECT_EQ(back[1], 0x00ABCDEFu);
    EXPECT_EQ(back[2], 0u);
}

TEST_F(DibTest, NoBitsFillsInTheHeader)
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_EQ(GetDIBits(screen_.get(), bitmap_.get(), 0, H, nullptr, &info, DIB_RGB_COLORS), H);
    EXPECT_EQ(info.bmiHeader.biWidth, W);
    EXPECT_EQ(info.bmiHeader.biHeight, H);
    EXPECT_EQ(info.bmiHeader.biBitCount, 32);
    EXPECT_EQ(info.bmiHeader.biSizeImage, DWORD(W * H * 4));
}

TEST_F(DibTest, RefusalsLeaveTheBufferAlone)
{
    ScopedGdiObject region(CreateRectRgn(0, 0, 1, 1));
    struct Case {
        const char* what;
        HDC dc;
        HBITMAP bitmap;
        BITMAPINFO info;
        UINT usage;
    };
    BITMAPINFO palette_bits = header(W, H);
    palette_bits.bmiHeader.biBitCount = 8;
    BITMAPINFO compressed = header(W, H);
    compressed.bmiHeader.biCompression = 1;
    BITMAPINFO small_header = header(W, H);
    small_header.bmiHeader.biSize = 12;
    const Case cases[] = {
        { "stale context", 0x7FFF0000, bitmap_.get(), header(W, H), 0 },
        { "no context", 0, bitmap_.get(), header(W, H), 0 },
        { "not a bitmap", screen_.get(), region.get(), header(W, H), 0 },
        { "8 bits", screen_.get(), bitmap_.get(), palette_bits, 0 },
        { "compressed", screen_.get(), bitmap_.get(), compressed, 0 },
        { "zero height", screen_.get(), bitmap_.get(), header(W, 0), 0 },
        { "negative width", screen_.get(), bitmap_.get(), header(-W, H), 0 },
        { "old header", screen_.get(), bitmap_.get(), small_header, 0 },
        { "usage", screen_.get(), bitmap_.get(), header(W, H), 7 },
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> rows(W * H, sentinel);
        BITMAPINFO info = c.info;
        EXPECT_EQ(GetDIBits(c.dc, c.bitmap, 0, H, rows.data(), &info, c.usage), 0) << c.what;
        EXPECT_EQ(SetDIBits(c.dc, c.bitmap, 0, H, rows.data(), &info, c.usage), 0) << c.what;
        for (uint32_t v : rows)
            ASSERT_EQ(v, sentinel) << c.what;
    }
    std::vector<uint32_t> rows(W * H, 0x00FFFFFF);
    BITMAPINFO info = header(W, H);
    EXPECT_EQ(GetDIBits(screen_.get(), bitmap_.get(), 0, H, rows.data(), nullptr, 0), 0);
    EXPECT_EQ(SetDIBits(screen_.get(), bitmap_.get(), 0, H, nullptr, &info, 0), 0);
    // The bitmap was never written.
    GetDIBits(screen_.get(), bitmap_.get(), 0, H, rows.data(), &info, 0);
    for (uint32_t v : rows)
        ASSERT_EQ(v, 0u);
}

}  // namespace
}  // namespace velmo::platform
