// Regions: every combining mode against a per-pixel reference, the kinds the calls report, and a
// region built run by run the way a skin is.
#include <gtest/gtest.h>

#include <functional>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/scoped.h"
#include "support/memory_display.h"

namespace velmo::platform {
namespace {

class RegionTest : public velmo::testing::MemoryDisplayTest {
protected:
    RegionTest()
        : MemoryDisplayTest({ { 64, 64 } })
    {
    }
};

TEST_F(RegionTest, CombiningModesMatchSetOperationsPixelByPixel)
{
    auto in_a = [](int x, int y) { return x >= 2 && x < 10 && y >= 1 && y < 7; };
    auto in_b = [](int x, int y) { return x >= 6 && x < 14 && y >= 4 && y < 12; };
    struct Case {
        int mode;
        std::function<bool(bool, bool)> rule;
        int kind;
    };
    const Case cases[] = {
        { RGN_AND, [](bool a, bool b) { return a && b; }, SIMPLEREGION },
        { RGN_OR, [](bool a, bool b) { return a || b; }, COMPLEXREGION },
        { RGN_XOR, [](bool a, bool b) { return a != b; }, COMPLEXREGION },
        { RGN_DIFF, [](bool a, bool b) { return a && !b; }, COMPLEXREGION },
        { RGN_COPY, [](bool a, bool) { return a; }, SIMPLEREGION },
    };
    for (const auto& c : cases) {
        ScopedGdiObject a(CreateRectRgn(2, 1, 10, 7));
        ScopedGdiObject b(CreateRectRgn(14, 12, 6, 4));  // edges given the other way round
        ScopedGdiObject out(CreateRectRgn(0, 0, 0, 0));
        ASSERT_EQ(CombineRgn(out.get(), a.get(), b.get(), c.mode), c.kind) << c.mode;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(PtInRegion(out.get(), x, y) != 0, c.rule(in_a(x, y), in_b(x, y))) << c.mode << " at " << x << "," << y;
    }
}

TEST_F(RegionTest, KindsAndBoxes)
{
    ScopedGdiObject empty(CreateRectRgn(3, 3, 3, 9));
    RECT box { -1, -1, -1, -1 };
    EXPECT_EQ(GetRgnBox(empty.get(), &box), NULLREGION);
    ScopedGdiObject a(CreateRectRgn(0, 0, 4, 4));
    ScopedGdiObject b(CreateRectRgn(4, 0, 8, 4));
    EXPECT_EQ(CombineRgn(a.get(), a.get(), b.get(), RGN_OR), SIMPLEREGION) << "two touching squares make one rectangle";
    EXPECT_EQ(GetRgnBox(a.get(), &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 8);
    EXPECT_EQ(CombineRgn(a.get(), a.get(), a.get(), RGN_DIFF), NULLREGION);
}

TEST_F(RegionTest, BadHandlesFailAndLeaveTheDestination)
{
    ScopedGdiObject a(CreateRectRgn(0, 0, 4, 4));
    ScopedGdiObject b(CreateRectRgn(2, 2, 6, 6));
    ScopedGdiObject out(CreateRectRgn(10, 10, 12, 12));
    HRGN stale = CreateRectRgn(0, 0, 1, 1);
    DeleteObject(stale);
    EXPECT_EQ(CombineRgn(out.get(), a.get(), stale, RGN_OR), REGION_ERROR);
    EXPECT_EQ(CombineRgn(out.get(), a.get(), b.get(), 9), REGION_ERROR);
    EXPECT_EQ(CombineRgn(stale, a.get(), b.get(), RGN_OR), REGION_ERROR);
    EXPECT_TRUE(PtInRegion(out.get(), 11, 11));
    EXPECT_FALSE(PtInRegion(out.get(), 0, 0));
    RECT box { 7, 7, 7, 7 };
    EXPECT_EQ(GetRgnBox(stale, &box), REGION_ERROR);
    EXPECT_EQ(box.left, 7);
}

TEST_F(RegionTest, RunByRunUnionKeepsOneRectanglePerBand)
{
    // A diamond 41 rows high: one run per row, merged the way a skin region is built.
    HRGN result = 0;
    for (int y = 0; y <= 40; ++y) {
        int half = 20 - std::abs(y - 20);
        HRGN run = CreateRectRgn(20 - half, y, 21 + half, y + 1);
        if (!result) {
            result = run;
        } else {
            CombineRgn(result, result, run, RGN_OR);
            DeleteObject(run);
        }
    }
    ScopedGdiObject owned(result);
    for (int y = 0; y <= 40; ++y) {
        int half = 20 - std::abs(y - 20);
        for (int x = -1; x <= 42; ++x)
            ASSERT_EQ(PtInRegion(result, x, y) != 0, x >= 20 - half && x <= 20 + half) << x << "," << y;
    }
}

}  // namespace
}  // namespace velmo::platform
