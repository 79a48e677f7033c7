// The presets and GradientFormNow on the recording surface: each family's primitives, every colour
// word, and the instance's iCounter after complete and failed calls.
#include <gtest/gtest.h>

#include "host/screen.h"
#include "painter_calls.h"
#include "support/velmo_error.h"

namespace velmo::gradients::testing {
namespace {

struct Preset {
    const char* name;
    PresetFamily family;
    int r, g, b;  // which channels carry the step value
};

// Every preset, in the type library's order.
const Preset presets[] = {
    { "MidBlueBlack", PresetFamily::MidBlack, 0, 0, 1 },
    { "MidRedBlack", PresetFamily::MidBlack, 1, 0, 0 },
    { "MidGreenBlack", PresetFamily::MidBlack, 0, 1, 0 },
    { "MidCyanBlack", PresetFamily::MidBlack, 0, 1, 1 },
    { "MidYellowBlack", PresetFamily::MidBlack, 1, 1, 0 },
    { "MidPurpleBlack", PresetFamily::MidBlack, 1, 0, 1 },
    { "MidGrayBlack", PresetFamily::MidBlack, 1, 1, 1 },
    { "RedBuild", PresetFamily::Build, 1, 0, 0 },
    { "GreenBuild", PresetFamily::Build, 0, 1, 0 },
    { "BlueBuild", PresetFamily::Build, 0, 0, 1 },
    { "YellowBuild", PresetFamily::Build, 1, 1, 0 },
    { "CyanBuild", PresetFamily::Build, 0, 1, 1 },
    { "PurpleBuild", PresetFamily::Build, 1, 0, 1 },
    { "GrayBuild", PresetFamily::Build, 1, 1, 1 },
    { "RedBlack", PresetFamily::Black, 1, 0, 0 },
    { "GreenBlack", PresetFamily::Black, 0, 1, 0 },
    { "BlueBlack", PresetFamily::Black, 0, 0, 1 },
    { "YellowBlack", PresetFamily::Black, 1, 1, 0 },
    { "CyanBlack", PresetFamily::Black, 0, 1, 1 },
    { "PurpleBlack", PresetFamily::Black, 1, 0, 1 },
    { "GrayBlack", PresetFamily::Black, 1, 1, 1 },
    { "HalfRedBlack", PresetFamily::HalfBlack, 1, 0, 0 },
    { "HalfGreenBlack", PresetFamily::HalfBlack, 0, 1, 0 },
    { "HalfBlueBlack", PresetFamily::HalfBlack, 0, 0, 1 },
    { "HalfYellowBlack", PresetFamily::HalfBlack, 1, 1, 0 },
    { "HalfCyanBlack", PresetFamily::HalfBlack, 0, 1, 1 },
    { "HalfPurpleBlack", PresetFamily::HalfBlack, 1, 0, 1 },
    { "HalfGrayBlack", PresetFamily::HalfBlack, 1, 1, 1 },
    { "RedBlackDown", PresetFamily::BlackDown, 1, 0, 0 },
    { "GreenBlackDown", PresetFamily::BlackDown, 0, 1, 0 },
    { "BlueBlackDown", PresetFamily::BlackDown, 0, 0, 1 },
    { "YellowBlackDown", PresetFamily::BlackDown, 1, 1, 0 },
    { "PurpleBlackDown", PresetFamily::BlackDown, 1, 0, 1 },
    { "CyanBlackDown", PresetFamily::BlackDown, 0, 1, 1 },
    { "GrayBlackDown", PresetFamily::BlackDown, 1, 1, 1 },
};

// The flag word and points of step n for a surface whose outer width is `width`.
Primitive expected_step(PresetFamily family, int n, double width, int32_t color)
{
    double screen_width = late::get(host::screen(), "Width").to_double();
    switch (family) {
    case PresetFamily::MidBlack: return { 22, { 0, double(n), screen_width, 255.0 - n }, color };
    case PresetFamily::Build: return { 38, { n - 255.0, 255, double(n), 255.0 - n }, color };
    case PresetFamily::Black: return { 22, { n - 255.0, 255, width + n, double(n) }, color };
    case PresetFamily::HalfBlack: return { 22, { 255, n - 255.0, double(n), width + n }, color };
    case PresetFamily::BlackDown: return { 22, { double(n), 255, width + n, double(n) }, color };
    }
    return {};
}

void expect_same(const Primitive& actual, const Primitive& expected)
{
    EXPECT_EQ(actual.flags, expected.flags);
    EXPECT_EQ(actual.numbers, expected.numbers);
    EXPECT_EQ(actual.color, expected.color);
}

TEST(Presets, EveryPresetDrawsItsFamilysStepsInItsColor)
{
    for (const auto& preset : presets) {
        SCOPED_TRACE(preset.name);
        auto painter = make_painter();
        auto form = make_surface(Kind::Form, 300, 200);  // 4500 twips wide
        std::vector<Variant> vars { surface_var(form) };
        paint(painter, preset.name, vars);

        auto texts = op_texts(*form);
        ASSERT_EQ(texts.size(), 5u + 256u);
        EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 5),
            (std::vector<std::string> { "DrawStyle=6", "DrawMode=13", "ScaleMode=3", "DrawWidth=2", "ScaleHeight=256" }));
        auto lines = primitives(*form);
        ASSERT_EQ(lines.size(), 256u);
        for (int n = 0; n <= 255; ++n) {
            int v = 255 - n;
            expect_same(lines[n], expected_step(preset.family, n, 4500, rgb(v * preset.r, v * preset.g, v * preset.b)));
        }
        EXPECT_EQ(painter->counter(), Integer(256));
    }
}

TEST(Presets, MidRedBlackRowsEndWithTheirDistanceFromTheEdge)
{
    auto form = make_surface(Kind::Form, 300, 200);
    std::vector<Variant> vars { surface_var(form) };
    paint(make_painter(), "MidRedBlack", vars);
    // The last colour drawn on each row by a horizontal edge (y1 or y2 of the outline).
    std::vector<int32_t> last(256, -1);
    for (const auto& line : primitives(*form)) {
        last.at(static_cast<size_t>(line.numbers[1])) = line.color;
        last.at(static_cast<size_t>(line.numbers[3])) = line.color;
    }
    for (int k = 0; k <= 127; ++k) {
        EXPECT_EQ(last[k], rgb(k, 0, 0)) << "row " << k;
        EXPECT_EQ(last[255 - k], rgb(k, 0, 0)) << "row " << 255 - k;
    }
}

TEST(Presets, APictureBoxIsAValidSurface)
{
    for (const auto& preset : presets) {
        auto box = make_surface(Kind::PictureBox, 300, 200);
        std::vector<Variant> vars { surface_var(box) };
        EXPECT_NO_THROW(paint(make_painter(), preset.name, vars)) << preset.name;
        EXPECT_EQ(box->calls("Line").size(), 256u) << preset.name;
    }
}

TEST(Presets, CounterRestartsOnEveryCallAndBelongsToTheInstance)
{
    auto painter = make_painter();
    auto other = make_painter();
    auto form = make_surface(Kind::Form, 300, 200);
    std::vector<Variant> vars { surface_var(form) };
    paint(painter, "GrayBlack", vars);
    EXPECT_EQ(painter->counter(), Integer(256));
    form->clear_ops();
    paint(painter, "RedBuild", vars);
    EXPECT_EQ(painter->counter(), Integer(256));
    EXPECT_EQ(form->calls("Line").size(), 256u);
    EXPECT_EQ(other->counter(), Integer(0));

    // The band and shaped members neither read nor change it.
    std::vector<Variant> band { surface_var(form), Long(1), Long(1) };
    paint(painter, "Gradient01", band);
    std::vector<Variant> shaped { surface_var(form), Integer(0), Integer(0), Integer(0), Integer(9), Integer(9), Integer(9), False };
    paint(painter, "HorizGradient", shaped);
    EXPECT_EQ(painter->counter(), Integer(256));
}

TEST(Presets, FailureInsideTheLoopLeavesTheCounterAtTheFailingStep)
{
    auto painter = make_painter();
    auto form = std::make_shared<LineFailingSurface>(Kind::Form, 300, 200, std::vector<int> { 10 });
    std::vector<Variant> vars { Variant(ObjectRef(form)) };
    EXPECT_VELMO_ERROR(paint(painter, "HalfGreenBlack", vars), err::InvalidArgument, "Velmo10");
    EXPECT_EQ(painter->counter(), Integer(9));
    EXPECT_EQ(form->calls("Line").size(), 9u);
}

TEST(Presets, SurfaceWithoutDrawModeFailsAfterDrawStyleBeforeDrawing)
{
    auto painter = make_painter();
    auto form = make_surface(Kind::Form, 300, 200);
    std::vector<Variant> vars { surface_var(form) };
    paint(painter, "BlueBlack", vars);  // leaves the counter at 256
    auto lacking = make_surface(Kind::Form, 300, 200);
    lacking->remove_member("DrawMode");
    std::vector<Variant> lacking_vars { surface_var(lacking) };
    EXPECT_VELMO_ERROR(paint(painter, "MidRedBlack", lacking_vars), err::MemberNotSupported, "RecordingForm");
    EXPECT_EQ(op_texts(*lacking), (std::vector<std::string> { "DrawStyle=6" }));
    EXPECT_EQ(painter->counter(), Integer(256));
}

TEST(Presets, SurfaceWithoutWidthFailsOnlyTheFamiliesThatReadIt)
{
    struct Case {
        const char* name;
        bool fails;
    };
    const Case cases[] = { { "RedBlack", true }, { "HalfRedBlack", true }, { "RedBlackDown", true },
        { "RedBuild", false }, { "MidRedBlack", false } };
    for (const auto& c : cases) {
        auto painter = make_painter();
        auto form = make_surface(Kind::Form, 300, 200);
        form->remove_member("Width");
        std::vector<Variant> vars { surface_var(form) };
        if (c.fails) {
            EXPECT_VELMO_ERROR(paint(painter, c.name, vars), err::MemberNotSupported, "RecordingForm");
            EXPECT_TRUE(form->calls("Line").empty()) << c.name;
            EXPECT_EQ(painter->counter(), Integer(0)) << c.name;
        } else {
            EXPECT_NO_THROW(paint(painter, c.name, vars)) << c.name;
            EXPECT_EQ(painter->counter(), Integer(256)) << c.name;
        }
    }
}

TEST(Presets, NothingFailsAndDrawsNothing)
{
    auto painter = make_painter();
    std::vector<Variant> vars { Variant(ObjectRef()) };
    EXPECT_VELMO_ERROR(paint(painter, "GrayBlackDown", vars), err::ObjectNotSet, "Velmo10");
    EXPECT_EQ(painter->counter(), Integer(0));
}

TEST(GradientFormNow, OneHundredIsBlueBlackDown)
{
    auto painter = make_painter();
    auto form = make_surface(Kind::Form, 300, 200);
    std::vector<Variant> vars { surface_var(form), Integer(100) };
    paint(painter, "GradientFormNow", vars);
    EXPECT_EQ(painter->counter(), Integer(256));

    auto twin = make_surface(Kind::Form, 300, 200);
    std::vector<Variant> twin_vars { surface_var(twin) };
    paint(make_painter(), "BlueBlackDown", twin_vars);
    EXPECT_EQ(op_texts(*form), op_texts(*twin));
    EXPECT_EQ(vars[1], Variant(Integer(100)));
}

TEST(GradientFormNow, AnyOtherCodeDoesNothing)
{
    for (int code : { 0, 99, 101, -100 }) {
        auto painter = make_painter();
        auto form = make_surface(Kind::Form, 300, 200);
        std::vector<Variant> vars { surface_var(form), Integer(code) };
        EXPECT_NO_THROW(paint(painter, "GradientFormNow", vars));
        EXPECT_TRUE(form->ops().empty());
        EXPECT_EQ(painter->counter(), Integer(0));
    }
}

TEST(GradientFormNow, PassesTheFailureOn)
{
    auto painter = make_painter();
    std::vector<Variant> vars { Variant(ObjectRef()), Integer(100) };
    EXPECT_VELMO_ERROR(paint(painter, "GradientFormNow", vars), err::ObjectNotSet, "Velmo10");
    auto form = std::make_shared<LineFailingSurface>(Kind::Form, 300, 200, std::vector<int> { 3 });
    std::vector<Variant> failing { Variant(ObjectRef(form)), Integer(100) };
    EXPECT_VELMO_ERROR(paint(painter, "GradientFormNow", failing), err::InvalidArgument, "Velmo10");
    EXPECT_EQ(painter->counter(), Integer(2));
}

}  // namespace
}  // namespace velmo::gradients::testing
