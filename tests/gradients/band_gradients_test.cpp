// Gradient, Gradient01 and Gradient02 on the recording surface: exact primitive sequences, the
// caller's variables after complete and failed calls, and the 16/32-bit limits.
#include <gtest/gtest.h>

#include <algorithm>

#include "painter_calls.h"
#include "support/velmo_error.h"

namespace velmo::gradients::testing {
namespace {

// ---- Gradient -------------------------------------------------------------------------------

TEST(Gradient, TopToBottomBandsOnAForm3000TwipsHigh)
{
    auto painter = make_painter();
    auto form = make_surface(Kind::Form, 200, 200);  // 3000 x 3000 twips
    std::vector<Variant> vars { surface_var(form), Long(255), Long(255), Long(255), True };
    paint(painter, "Gradient", vars);

    auto bands = primitives(*form);
    ASSERT_EQ(bands.size(), 63u);
    for (int k = 1; k <= 63; ++k) {
        SCOPED_TRACE(k);
        const auto& band = bands[k - 1];
        int level = 255 - 4 * (k - 1);
        EXPECT_EQ(band.flags, 38);
        EXPECT_EQ(band.numbers, (std::vector<double> { 0, 48.0 * (k - 1), 3000, 48.0 * k }));
        EXPECT_EQ(band.color, rgb(level, level, level));
    }
    EXPECT_EQ(bands.back().color, rgb(7, 7, 7));
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(vars[i], Variant(Long(3)));
    // Nothing but the bands: no scale, pen or redraw property is put.
    EXPECT_EQ(form->ops().size(), 63u);
}

TEST(Gradient, ChannelsFallByFourAndStopAtZero)
{
    struct Case {
        int red, green, blue;
    };
    const Case cases[] = { { 100, 0, 0 }, { 300, 7, 1 }, { 0, 252, 253 }, { 32767, 3, 4 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.red << " " << c.green << " " << c.blue);
        auto form = make_surface(Kind::Form, 200, 200);
        std::vector<Variant> vars { surface_var(form), Long(c.red), Long(c.green), Long(c.blue), True };
        paint(make_painter(), "Gradient", vars);

        auto bands = primitives(*form);
        ASSERT_EQ(bands.size(), 63u);
        auto drawn = [](int start, int k) { return std::min(255, std::max(0, start - 4 * (k - 1))); };
        for (int k = 1; k <= 63; ++k)
            EXPECT_EQ(bands[k - 1].color, rgb(drawn(c.red, k), drawn(c.green, k), drawn(c.blue, k))) << "band " << k;
        EXPECT_EQ(vars[1], Variant(Long(std::max(0, c.red - 252))));
        EXPECT_EQ(vars[2], Variant(Long(std::max(0, c.green - 252))));
        EXPECT_EQ(vars[3], Variant(Long(std::max(0, c.blue - 252))));
    }
}

TEST(Gradient, AnythingButTrueDrawsBottomToTop)
{
    for (Boolean flag : { Boolean { 1 }, False, Boolean { -2 } }) {
        auto form = make_surface(Kind::Form, 200, 200);
        std::vector<Variant> vars { surface_var(form), Long(10), Long(20), Long(30), flag };
        paint(make_painter(), "Gradient", vars);

        auto bands = primitives(*form);
        ASSERT_EQ(bands.size(), 63u);
        for (int k = 1; k <= 63; ++k) {
            double top = 2952.0 - 48.0 * (k - 1);  // Height - bandH, then one band up per step
            EXPECT_EQ(bands[k - 1].numbers, (std::vector<double> { 0, top, 3000, top + 48 })) << "band " << k;
        }
        EXPECT_EQ(bands.back().numbers[1], -24);
    }
}

TEST(Gradient, UsesTheObjectsOwnUnitsAndRoundsHalfToEven)
{
    // A picture box measures in pixels: Height 157.5 / 63 = 2.5 rounds to 2, Width 99.5 to 100.
    auto box = make_surface(Kind::PictureBox, 100, 100);
    box->set_property("Height", Variant(157.5));
    box->set_property("Width", Variant(99.5));
    std::vector<Variant> vars { surface_var(box), Long(0), Long(0), Long(0), False };
    paint(make_painter(), "Gradient", vars);
    auto bands = primitives(*box);
    ASSERT_EQ(bands.size(), 63u);
    // Bottom to top: y1 = Height - bandH = 155.5, which rounds to 156.
    EXPECT_EQ(bands[0].numbers, (std::vector<double> { 0, 156, 100, 158 }));
}

TEST(Gradient, RefusedChannelFailsBeforeDrawingAndChangesNothing)
{
    struct Case {
        Long red, green, blue;
        int32_t error;
    };
    const Case cases[] = {
        { -1, 0, 0, err::InvalidArgument },
        { 0, 0, -4, err::InvalidArgument },
        { 40000, 0, 0, err::Overflow },
        { 0, -32769, 0, err::Overflow },
    };
    for (const auto& c : cases) {
        auto form = make_surface(Kind::Form, 200, 200);
        std::vector<Variant> vars { surface_var(form), c.red, c.green, c.blue, True };
        EXPECT_VELMO_ERROR(paint(make_painter(), "Gradient", vars), c.error, "Velmo10");
        EXPECT_TRUE(form->ops().empty());
        EXPECT_EQ(vars[1], Variant(c.red));
        EXPECT_EQ(vars[2], Variant(c.green));
        EXPECT_EQ(vars[3], Variant(c.blue));
    }
}

TEST(Gradient, ObjectWiderThan16BitsFailsBeforeDrawing)
{
    auto form = make_surface(Kind::Form, 2200, 100);  // 33000 twips wide
    std::vector<Variant> vars { surface_var(form), Long(255), Long(0), Long(0), True };
    EXPECT_VELMO_ERROR(paint(make_painter(), "Gradient", vars), err::Overflow, "Velmo10");
    EXPECT_TRUE(form->ops().empty());
    EXPECT_EQ(vars[1], Variant(Long(255)));
}

TEST(Gradient, OverflowMidwayKeepsBandsAndStoredValues)
{
    // 33000 twips high: bandH 524; after band 62 the next band's bottom, 63 * 524, leaves 16 bits.
    auto form = make_surface(Kind::Form, 100, 2200);
    std::vector<Variant> vars { surface_var(form), Long(255), Long(100), Long(0), True };
    EXPECT_VELMO_ERROR(paint(make_painter(), "Gradient", vars), err::Overflow, "Velmo10");
    EXPECT_EQ(form->calls("Line").size(), 62u);
    EXPECT_EQ(vars[1], Variant(Long(255 - 4 * 62)));
    EXPECT_EQ(vars[2], Variant(Long(0)));
    EXPECT_EQ(vars[3], Variant(Long(0)));
}

TEST(Gradient, ObjectWithoutLineOrHeightFails)
{
    for (std::string_view missing : { "Line", "Height", "Width" }) {
        auto form = make_surface(Kind::Form, 200, 200);
        form->remove_member(missing);
        std::vector<Variant> vars { surface_var(form), Long(9), Long(9), Long(9), True };
        EXPECT_VELMO_ERROR(paint(make_painter(), "Gradient", vars), err::MemberNotSupported, "RecordingForm");
        EXPECT_EQ(vars[1], Variant(Long(9))) << missing;
    }
    std::vector<Variant> nothing { Variant(ObjectRef()), Long(9), Long(9), Long(9), True };
    EXPECT_VELMO_ERROR(paint(make_painter(), "Gradient", nothing), err::ObjectNotSet, "Velmo10");
}

// ---- Gradient01 -----------------------------------------------------------------------------

// Level of band position i: rising 0..127, then 127 again at position 127, falling to 0 at 254.
std::vector<std::pair<int, int>> gradient01_positions()
{
    std::vector<std::pair<int, int>> out;  // (position, level)
    for (int i = 0; i <= 127; ++i)
        out.emplace_back(i, i);
    for (int i = 127; i <= 254; ++i)
        out.emplace_back(i, 254 - i);
    return out;
}

TEST(Gradient01, VerticalGreenBandsOnA510PixelBox)
{
    auto box = make_surface(Kind::PictureBox, 510, 300);
    std::vector<Variant> vars { surface_var(box), Long(1), Long(1) };
    paint(make_painter(), "Gradient01", vars);

    auto texts = op_texts(*box);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 3),
        (std::vector<std::string> { "ScaleMode=3", "AutoRedraw=True", "ScaleWidth=510" }));
    EXPECT_EQ(texts[3], "CurrentX=0");
    EXPECT_EQ(texts[4], "CurrentY=0");

    auto positions = gradient01_positions();
    auto bands = primitives(*box);
    auto xs = box->puts("CurrentX");
    auto ys = box->puts("CurrentY");
    ASSERT_EQ(bands.size(), 256u);
    ASSERT_EQ(xs.size(), 256u);
    for (size_t n = 0; n < positions.size(); ++n) {
        auto [position, level] = positions[n];
        EXPECT_EQ(xs[n].args[0].to_long().value(), 2 * position);
        EXPECT_EQ(ys[n].args[0].to_long().value(), 0);
        EXPECT_EQ(bands[n].flags, 42);
        EXPECT_EQ(bands[n].numbers, (std::vector<double> { 0, 0, 2, 300 }));
        EXPECT_EQ(bands[n].color, rgb(0, level, 0)) << "band " << n;
    }
}

TEST(Gradient01, HorizontalBandsStepDown)
{
    auto box = make_surface(Kind::PictureBox, 200, 765);  // bh = 3
    std::vector<Variant> vars { surface_var(box), Long(6), Long(0) };
    paint(make_painter(), "Gradient01", vars);

    EXPECT_EQ(box->puts("ScaleHeight").at(0).text(), "ScaleHeight=765");
    auto positions = gradient01_positions();
    auto bands = primitives(*box);
    auto ys = box->puts("CurrentY");
    ASSERT_EQ(bands.size(), 256u);
    for (size_t n = 0; n < positions.size(); ++n) {
        auto [position, level] = positions[n];
        EXPECT_EQ(ys[n].args[0].to_long().value(), 3 * position);
        EXPECT_EQ(bands[n].numbers, (std::vector<double> { 0, 0, 200, 3 }));
        EXPECT_EQ(bands[n].color, rgb(level, level, level));
    }
}

TEST(Gradient01, EveryColorScheme)
{
    struct Case {
        int32_t color;
        int r, g, b;  // which channels carry the level
    };
    const Case cases[] = { { 0, 1, 0, 0 }, { 1, 0, 1, 0 }, { 2, 0, 0, 1 }, { 3, 1, 1, 0 }, { 4, 1, 0, 1 },
        { 5, 0, 1, 1 }, { 6, 1, 1, 1 }, { 7, 0, 0, 0 } };
    for (const auto& c : cases) {
        auto box = make_surface(Kind::PictureBox, 510, 100);
        std::vector<Variant> vars { surface_var(box), Long(c.color), Long(1) };
        paint(make_painter(), "Gradient01", vars);
        auto bands = primitives(*box);
        ASSERT_EQ(bands.size(), 256u);
        EXPECT_EQ(bands[100].color, rgb(100 * c.r, 100 * c.g, 100 * c.b)) << c.color;
    }
}

TEST(Gradient01, UnknownColorSetsTheScaleAndDrawsNothing)
{
    for (int32_t color : { 8, -1 }) {
        auto box = make_surface(Kind::PictureBox, 510, 100);
        std::vector<Variant> vars { surface_var(box), Long(color), Long(1) };
        paint(make_painter(), "Gradient01", vars);
        EXPECT_TRUE(box->calls("Line").empty());
        EXPECT_EQ(box->property("ScaleWidth").to_long().value(), 510);
        EXPECT_EQ(box->property("AutoRedraw"), Variant(True));
    }
}

TEST(Gradient01, UnknownOrientationSetsOnlyModeAndRedraw)
{
    auto box = make_surface(Kind::PictureBox, 510, 100);
    std::vector<Variant> vars { surface_var(box), Long(2), Long(2) };
    paint(make_painter(), "Gradient01", vars);
    EXPECT_TRUE(box->puts("ScaleWidth").empty());
    EXPECT_TRUE(box->puts("ScaleHeight").empty());
    auto bands = primitives(*box);
    ASSERT_EQ(bands.size(), 256u);
    for (const auto& band : bands)
        EXPECT_EQ(band.numbers, (std::vector<double> { 0, 0, 0, 0 }));
    for (const auto& put : box->puts("CurrentX"))
        EXPECT_EQ(put.args[0].to_long().value(), 0);
}

TEST(Gradient01, NarrowSurfaceGivesZeroSizedBands)
{
    auto box = make_surface(Kind::PictureBox, 127, 100);  // 127 / 255 rounds to 0
    std::vector<Variant> vars { surface_var(box), Long(0), Long(1) };
    paint(make_painter(), "Gradient01", vars);
    EXPECT_EQ(box->puts("ScaleWidth").at(0).text(), "ScaleWidth=0");
    for (const auto& band : primitives(*box))
        EXPECT_EQ(band.numbers[2], 0);
}

TEST(Gradient01, SkippedLinesDoNotShiftTheFallingLevels)
{
    // Calls 130 and 131 are falling-half steps k = 1 and 2; k still counts past them.
    auto box = std::make_shared<LineFailingSurface>(Kind::PictureBox, 510, 100, std::vector<int> { 1, 130, 131 });
    std::vector<Variant> vars { Variant(ObjectRef(box)), Long(0), Long(1) };
    paint(make_painter(), "Gradient01", vars);
    auto bands = primitives(*box);
    ASSERT_EQ(bands.size(), 253u);
    EXPECT_EQ(bands[0].color, rgb(1, 0, 0));
    EXPECT_EQ(bands[127].color, rgb(127, 0, 0));  // call 129: the falling half's first band
    EXPECT_EQ(bands[128].color, rgb(124, 0, 0));  // call 132
    EXPECT_EQ(bands.back().color, rgb(0, 0, 0));
}

TEST(Gradient01, SurfaceLackingMembersIsSkippedStatementByStatement)
{
    auto box = make_surface(Kind::PictureBox, 510, 100);
    box->remove_member("ScaleMode");
    box->remove_member("CurrentY");
    std::vector<Variant> vars { surface_var(box), Long(2), Long(1) };
    paint(make_painter(), "Gradient01", vars);
    EXPECT_EQ(box->calls("Line").size(), 256u);
    EXPECT_EQ(box->puts("CurrentX").size(), 256u);
    EXPECT_TRUE(box->puts("CurrentY").empty());

    std::vector<Variant> nothing { Variant(ObjectRef()), Long(2), Long(1) };
    EXPECT_NO_THROW(paint(make_painter(), "Gradient01", nothing));
}

// ---- Gradient02 -----------------------------------------------------------------------------

TEST(Gradient02, OneUnitBandsOnA300PixelSurface)
{
    auto box = make_surface(Kind::PictureBox, 300, 80);
    std::vector<Variant> vars { surface_var(box), Long(2) };
    paint(make_painter(), "Gradient02", vars);

    auto texts = op_texts(*box);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 3),
        (std::vector<std::string> { "ScaleMode=3", "AutoRedraw=True", "ScaleWidth=255" }));
    EXPECT_EQ(box->puts("ScaleWidth").at(0).args[0].type(), VarType::Integer);
    auto bands = primitives(*box);
    auto xs = box->puts("CurrentX");
    ASSERT_EQ(bands.size(), 255u);
    for (int i = 0; i <= 254; ++i) {
        EXPECT_EQ(xs[i].args[0], Variant(Integer(i)));
        EXPECT_EQ(bands[i].numbers, (std::vector<double> { 0, 0, 1, 80 }));
        EXPECT_EQ(bands[i].color, rgb(0, 0, i));
    }
}

TEST(Gradient02, SixteenBitBandWidthAndPositions)
{
    // 40000 pixels: bw = 157, 157 * 255 overflows (the scale is left), and positions past
    // 208 * 157 overflow too (CurrentX is skipped; the band is still drawn).
    auto box = make_surface(Kind::PictureBox, 40000, 10);
    std::vector<Variant> vars { surface_var(box), Long(0) };
    paint(make_painter(), "Gradient02", vars);
    EXPECT_TRUE(box->puts("ScaleWidth").empty());
    EXPECT_EQ(box->puts("CurrentX").size(), 209u);
    EXPECT_EQ(box->puts("CurrentX").back().args[0], Variant(Integer(208 * 157)));
    EXPECT_EQ(box->calls("Line").size(), 255u);
}

TEST(Gradient02, ReadsScaleHeightForEveryBand)
{
    // A surface that grows by one unit of height after every band.
    class GrowingSurface : public RecordingSurface {
    public:
        GrowingSurface() : RecordingSurface(Kind::PictureBox, 300, 10) { }
        Variant invoke(std::string_view name, Invoke how, Args args) override
        {
            Variant result = RecordingSurface::invoke(name, how, args);
            if (name == "Line")
                set_property("ScaleHeight", Variant(property("ScaleHeight").to_double() + 1));
            return result;
        }
    };
    auto box = std::make_shared<GrowingSurface>();
    std::vector<Variant> vars { Variant(ObjectRef(box)), Long(0) };
    paint(make_painter(), "Gradient02", vars);
    auto bands = primitives(*box);
    ASSERT_EQ(bands.size(), 255u);
    EXPECT_EQ(bands[0].numbers[3], 10);
    EXPECT_EQ(bands[254].numbers[3], 264);
}

}  // namespace
}  // namespace velmo::gradients::testing
