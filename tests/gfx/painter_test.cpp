// The painter: coverage without anti-aliasing, corners included, continuous thin lines, the clip,
// and the sixteen raster operations against a bit-by-bit reference.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "gfx/painter.h"

namespace velmo::gfx {
namespace {

constexpr Color paper { 255, 255, 255 };
constexpr Color ink { 200, 0, 0 };

TEST(Painter, FilledBoxIncludesBothCorners)
{
    Bitmap b({ 10, 8 }, paper);
    Painter p(b);
    p.fill_box({ 6, 5 }, { 2, 1 }, ink);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(b.pixel(x, y), (x >= 2 && x <= 6 && y >= 1 && y <= 5) ? ink : paper) << x << "," << y;
}

// A one-pixel line covers both end pixels and every step moves to a neighbouring pixel, at any
// angle, with no pixel of another colour than the pen's.
TEST(Painter, ThinLinesAreUnbrokenAndHardEdged)
{
    for (int angle = 0; angle < 360; angle += 7) {
        Bitmap b({ 41, 41 }, paper);
        Painter p(b);
        Point a { 20, 20 };
        Point e { 20 + int(std::lround(18 * std::cos(angle * M_PI / 180))), 20 + int(std::lround(18 * std::sin(angle * M_PI / 180))) };
        p.draw_line(a, e, Pen { ink });
        ASSERT_EQ(b.pixel(a.x, a.y), ink) << angle;
        ASSERT_EQ(b.pixel(e.x, e.y), ink) << angle;
        // Walk from the start: every covered pixel is reachable through 8-neighbours.
        std::vector<bool> seen(41 * 41);
        std::vector<Point> todo { a };
        seen[a.y * 41 + a.x] = true;
        int reached = 0;
        while (!todo.empty()) {
            Point at = todo.back();
            todo.pop_back();
            ++reached;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    Point n { at.x + dx, at.y + dy };
                    if (b.rect().contains(n) && !seen[n.y * 41 + n.x] && b.pixel(n.x, n.y) == ink) {
                        seen[n.y * 41 + n.x] = true;
                        todo.push_back(n);
                    }
                }
            }
        }
        int covered = 0;
        for (int y = 0; y < 41; ++y) {
            for (int x = 0; x < 41; ++x) {
                Color c = b.pixel(x, y);
                ASSERT_TRUE(c == ink || c == paper) << angle;
                covered += c == ink;
            }
        }
        EXPECT_EQ(reached, covered) << "angle " << angle << ": the line is broken";
        EXPECT_LE(covered, 2 * 19 + 2) << "angle " << angle << ": too thick for one pixel";
    }
}

TEST(Painter, ViewportMovesAndClips)
{
    Bitmap b({ 10, 10 }, paper);
    Painter p(b);
    p.set_viewport({ 3, 2 }, { 3, 2, 4, 4 });
    p.fill_box({ -5, -5 }, { 20, 20 }, ink);
    p.draw_line({ -10, 0 }, { 30, 0 }, Pen { ink, 3 });
    p.set_pixel({ 5, 0 }, ink);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(b.pixel(x, y), (x >= 3 && x < 7 && y >= 2 && y < 6) ? ink : paper) << x << "," << y;
}

TEST(Painter, TransparentPenDrawsNothing)
{
    Bitmap b({ 6, 6 }, paper);
    Painter p(b);
    Pen none { ink, 1, LineStyle::Transparent };
    p.draw_line({ 0, 0 }, { 5, 5 }, none);
    p.draw_box({ 0, 0 }, { 5, 5 }, none);
    p.draw_ellipse({ 3, 3 }, 2, 2, none);
    for (uint32_t word : b.pixels())
        ASSERT_EQ(word, paper.to_pixel());
}

TEST(RasterOp, EveryOperationMatchesItsTruthTable)
{
    std::mt19937 random(7);
    for (int code = 1; code <= 16; ++code) {
        auto op = static_cast<RasterOp>(code);
        for (int i = 0; i < 50; ++i) {
            uint32_t pen = random(), dest = random();
            uint32_t result = apply(op, pen, dest);
            for (int bit = 0; bit < 32; ++bit) {
                int p = (pen >> bit) & 1, d = (dest >> bit) & 1;
                int expected = ((code - 1) >> (p * 2 + d)) & 1;
                ASSERT_EQ(int((result >> bit) & 1), expected) << "code " << code << " bit " << bit;
            }
        }
    }
    EXPECT_EQ(apply(RasterOp::CopyPen, 0x123456, 0xABCDEF), 0x123456u);
    EXPECT_EQ(apply(RasterOp::XorPen, 0x00FF00, 0x00F0F0) & 0xFFFFFF, 0x000FF0u);
}

TEST(RasterOp, AppliesOnlyWhereTheShapeCovers)
{
    Bitmap b({ 6, 6 }, Color { 0x0F, 0xF0, 0x55 });
    Painter p(b);
    p.fill_box({ 1, 1 }, { 2, 4 }, Color { 0xFF, 0xFF, 0xFF }, RasterOp::XorPen);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            bool covered = x >= 1 && x <= 2 && y >= 1 && y <= 4;
            ASSERT_EQ(b.pixel(x, y), covered ? Color(0xF0, 0x0F, 0xAA) : Color(0x0F, 0xF0, 0x55)) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace velmo::gfx
