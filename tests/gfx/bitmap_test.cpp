// Bitmap copies and fills against a pixel-by-pixel reference, pixels in outside storage, and the
// two colour encodings.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/bitmap.h"

namespace velmo::gfx {
namespace {

uint32_t marker(int x, int y) { return uint32_t(x * 0x010203 + y * 0x300000 + 1) & 0xFFFFFF; }

Bitmap marked(Size size)
{
    Bitmap b(size);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            b.set_word(x, y, marker(x, y));
    return b;
}

// What copy_from must do, one pixel at a time, reading from a snapshot of the source.
Bitmap reference_copy(const Bitmap& before, const Bitmap& source, Rect area, Point to)
{
    Bitmap out = before;
    for (int dy = 0; dy < area.height; ++dy) {
        for (int dx = 0; dx < area.width; ++dx) {
            int sx = area.x + dx, sy = area.y + dy, tx = to.x + dx, ty = to.y + dy;
            if (source.rect().contains(sx, sy) && out.rect().contains(tx, ty))
                out.set_word(tx, ty, source.word(sx, sy));
        }
    }
    return out;
}

TEST(Bitmap, CopyFromMatchesThePixelByPixelCopy)
{
    struct Case {
        Rect area;
        Point to;
    };
    const Case cases[] = {
        { { 0, 0, 7, 5 }, { 0, 0 } }, { { 2, 1, 3, 3 }, { 4, 2 } }, { { -3, -2, 6, 6 }, { 1, 1 } },
        { { 5, 3, 10, 10 }, { -2, -1 } }, { { 0, 0, 7, 5 }, { 6, 4 } }, { { 0, 0, 7, 5 }, { 7, 0 } },
        { { 1, 1, 0, 3 }, { 0, 0 } }, { { 1, 1, 3, -1 }, { 0, 0 } },
    };
    for (const auto& c : cases) {
        Bitmap source = marked({ 7, 5 });
        Bitmap target({ 8, 6 }, Color { 9, 9, 9 });
        Bitmap expected = reference_copy(target, source, c.area, c.to);
        target.copy_from(source, c.area, c.to);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(target.word(x, y), expected.word(x, y)) << c.area.x << "," << c.area.y << " -> " << x << "," << y;
    }
}

TEST(Bitmap, OverlappingCopiesWithinOneBitmap)
{
    for (Point shift : { Point { 1, 1 }, Point { -1, -1 }, Point { 2, -1 }, Point { -2, 1 }, Point { 0, 3 }, Point { 0, -3 } }) {
        Bitmap b = marked({ 9, 7 });
        Bitmap snapshot = b;
        Rect area { 1, 1, 6, 5 };
        Bitmap expected = reference_copy(snapshot, snapshot, area, area.location().translated(shift));
        b.copy_from(b, area, area.location().translated(shift));
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x)
                ASSERT_EQ(b.word(x, y), expected.word(x, y)) << shift.x << "," << shift.y << " at " << x << "," << y;
    }
}

TEST(Bitmap, FillIsClipped)
{
    Bitmap b({ 4, 3 });
    b.fill({ -2, 1, 4, 10 }, Color { 1, 2, 3 });
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b.pixel(x, y), (x < 2 && y >= 1) ? Color(1, 2, 3) : Color()) << x << "," << y;
    Bitmap empty({ 0, 5 });
    EXPECT_TRUE(empty.size().is_empty());
    empty.fill(Color { 1, 1, 1 });
}

// Memory owned by someone else (a segment shared with a display server) is used in place and
// handed back exactly once, by whichever bitmap holds it last.
TEST(Bitmap, OutsideStorageIsUsedInPlaceAndReleasedOnce)
{
    struct Counted final : PixelStorage {
        std::vector<uint32_t> words;
        int* released;
        Counted(size_t count, int* released_count) : words(count, 0x00ABCDEF), released(released_count) { }
        ~Counted() override { ++*released; }
        uint32_t* data() override { return words.data(); }
    };
    int released = 0;
    auto storage = std::make_unique<Counted>(12, &released);
    uint32_t* memory = storage->data();
    {
        Bitmap b({ 4, 3 }, std::move(storage));
        EXPECT_EQ(b.scanline(0), memory);
        EXPECT_EQ(b.word(3, 2), 0x00ABCDEFu) << "its values are kept";
        b.set_word(1, 1, 0x123456);
        EXPECT_EQ(memory[5], 0x123456u);

        Bitmap copy = b;
        EXPECT_NE(copy.scanline(0), memory);
        EXPECT_EQ(copy.word(1, 1), 0x123456u);

        Bitmap moved = std::move(b);
        EXPECT_EQ(moved.scanline(0), memory);
        Bitmap replaced({ 1, 1 });
        replaced = std::move(moved);
        EXPECT_EQ(released, 0);
    }
    EXPECT_EQ(released, 1);
}

TEST(Color, EncodingsRoundTrip)
{
    Color c(0x12, 0x34, 0x56);
    EXPECT_EQ(c.to_colorref(), 0x563412u);
    EXPECT_EQ(c.to_pixel(), 0x123456u);
    EXPECT_EQ(Color::from_colorref(0xFF563412), c) << "the top byte is not a channel";
    EXPECT_EQ(Color::from_pixel(c.to_pixel()), c);
    Bitmap b({ 1, 1 });
    b.set_pixel(0, 0, c);
    const auto* bytes = reinterpret_cast<const uint8_t*>(b.pixels().data());
    EXPECT_EQ(bytes[0], 0x56) << "blue first in memory";
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x12);
    EXPECT_EQ(bytes[3], 0) << "reserved";
}

}  // namespace
}  // namespace velmo::gfx
