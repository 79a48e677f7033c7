// The shaped gradients on the recording surface: set-up order, colour ramps with ties to even,
// geometry, message pumping and the caller's Size variable.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "host/do_events.h"
#include "runtime/random.h"
#include "painter_calls.h"

namespace velmo::gradients::testing {
namespace {

const char* const two_color_members[] = { "BoxGradient", "CircleGradient", "DiagGradient", "HorizGradient",
    "SpinGradient", "RectGradient" };

// Arguments of a two-colour member: surface, start, end, (Size for BoxGradient), smooth.
std::vector<Variant> two_color_args(std::string_view member, Variant surface, std::array<int, 3> start,
    std::array<int, 3> end, Boolean smooth = False, int size = 0)
{
    std::vector<Variant> vars { std::move(surface) };
    for (int c : start)
        vars.emplace_back(Integer(c));
    for (int c : end)
        vars.emplace_back(Integer(c));
    if (member == "BoxGradient")
        vars.emplace_back(Integer(size));
    vars.emplace_back(smooth);
    return vars;
}

std::vector<Variant> args_for(std::string_view member, Variant surface)
{
    if (member == "GrafittiZigZag")
        return { std::move(surface) };
    return two_color_args(member, std::move(surface), { 10, 20, 30 }, { 200, 100, 0 });
}

std::string_view primitive_of(std::string_view member) { return member == "CircleGradient" ? "Circle" : "Line"; }

// Counts DoEvents calls while it lives: a handler that re-posts itself for the next pump.
class PumpCounter {
public:
    PumpCounter() { arm(); }
    ~PumpCounter() { *alive_ = false; }
    int count() const { return *count_; }

private:
    void arm()
    {
        host::post_message([count = count_, alive = alive_, this] {
            if (!*alive)
                return;
            ++*count;
            arm();
        });
    }
    std::shared_ptr<int> count_ = std::make_shared<int>(0);
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

TEST(ShapedGradients, MinimisedFormPictureBoxAndNothingAreLeftUntouched)
{
    const char* const members[] = { "BoxGradient", "CircleGradient", "DiagGradient", "GrafittiZigZag", "HorizGradient",
        "SpinGradient", "RectGradient" };
    for (std::string_view member : members) {
        SCOPED_TRACE(member);
        auto minimised = make_surface(Kind::Form, 100, 100);
        minimised->set_property("WindowState", Variant(Integer(1)));
        auto box = make_surface(Kind::PictureBox, 100, 100);
        for (const auto& surface : { minimised, box }) {
            auto vars = args_for(member, surface_var(surface));
            auto before = vars;
            EXPECT_NO_THROW(paint(make_painter(), member, vars));
            EXPECT_TRUE(surface->ops().empty());
            EXPECT_EQ(vars, before);
        }
        auto vars = args_for(member, Variant(ObjectRef()));
        EXPECT_NO_THROW(paint(make_painter(), member, vars));
    }
}

TEST(ShapedGradients, SetUpInOrder)
{
    struct Case {
        const char* member;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { "HorizGradient", { "BackColor=200", "DrawStyle=0", "ScaleWidth=255", "ScaleHeight=255", "DrawWidth=5", "Refresh" } },
        { "SpinGradient", { "BackColor=5130", "DrawStyle=0", "ScaleWidth=255", "ScaleHeight=255", "DrawWidth=5", "Refresh" } },
        { "BoxGradient", { "Size", "DrawStyle=0", "ScaleWidth=255", "ScaleHeight=255", "DrawWidth=5", "Refresh" } },
    };
    for (const auto& c : cases) {
        auto form = make_surface(Kind::Form, 100, 100);
        auto vars = two_color_args(c.member, surface_var(form), { 10, 20, 0 }, { 200, 0, 0 });
        paint(make_painter(), c.member, vars);
        auto texts = op_texts(*form);
        auto expected = c.expected;
        if (expected.front() == "Size")
            expected.erase(expected.begin());  // BoxGradient leaves the back colour alone
        ASSERT_GE(texts.size(), expected.size());
        EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + expected.size()), expected) << c.member;
    }
}

TEST(ShapedGradients, OnlyTrueSelectsInsideSolid)
{
    struct Case {
        Boolean smooth;
        int draw_style;
    };
    const Case cases[] = { { True, 6 }, { Boolean { 1 }, 0 }, { False, 0 } };
    for (std::string_view member : two_color_members) {
        for (const auto& c : cases) {
            auto form = make_surface(Kind::Form, 100, 100);
            auto vars = two_color_args(member, surface_var(form), { 0, 0, 0 }, { 1, 1, 1 }, c.smooth);
            paint(make_painter(), member, vars);
            EXPECT_EQ(form->puts("DrawStyle").at(0).args[0].to_long().value(), c.draw_style) << member;
        }
    }
}

TEST(ShapedGradients, ScaleAlreadyAt255IsNotWritten)
{
    for (std::string_view member : two_color_members) {
        auto form = make_surface(Kind::Form, 100, 100);
        form->set_property("ScaleWidth", Variant(255.0));
        form->set_property("ScaleHeight", Variant("255"));  // compared as a number
        auto vars = args_for(member, surface_var(form));
        paint(make_painter(), member, vars);
        EXPECT_TRUE(form->puts("ScaleWidth").empty()) << member;
        EXPECT_TRUE(form->puts("ScaleHeight").empty()) << member;
    }
    // Only the side that differs is written.
    auto form = make_surface(Kind::Form, 100, 100);
    form->set_property("ScaleWidth", Variant(255.0));
    auto vars = args_for("HorizGradient", surface_var(form));
    paint(make_painter(), "HorizGradient", vars);
    EXPECT_TRUE(form->puts("ScaleWidth").empty());
    EXPECT_EQ(form->puts("ScaleHeight").size(), 1u);
}

TEST(ShapedGradients, UnreadableScaleIsWrittenAnyway)
{
    // A failing comparison in this error mode still enters its branch, as with WindowState.
    auto form = make_surface(Kind::Form, 100, 100);
    form->set_property("ScaleWidth", Variant("wide"));
    auto vars = args_for("CircleGradient", surface_var(form));
    paint(make_painter(), "CircleGradient", vars);
    EXPECT_EQ(form->puts("ScaleWidth").size(), 1u);
    EXPECT_EQ(form->property("ScaleWidth").to_double(), 255);
}

TEST(ShapedGradients, FailingHandlerCostsNothingButItself)
{
    auto form = make_surface(Kind::Form, 100, 100);
    host::post_message([] { raise(err::InvalidArgument); });
    auto vars = args_for("RectGradient", surface_var(form));
    paint(make_painter(), "RectGradient", vars);
    EXPECT_EQ(form->calls("Line").size(), 256u);
}

TEST(ShapedGradients, EqualColorsGiveOneColorEverywhere)
{
    for (std::string_view member : two_color_members) {
        auto form = make_surface(Kind::Form, 100, 100);
        auto vars = two_color_args(member, surface_var(form), { 12, 200, 77 }, { 12, 200, 77 }, False, 2);
        paint(make_painter(), member, vars);
        auto drawn = primitives(*form, primitive_of(member));
        ASSERT_FALSE(drawn.empty()) << member;
        for (const auto& p : drawn)
            ASSERT_EQ(p.color, rgb(12, 200, 77)) << member;
    }
}

TEST(ShapedGradients, PumpMessagesOncePerStep)
{
    struct Case {
        const char* member;
        int pumps;
    };
    const Case cases[] = { { "BoxGradient", 256 }, { "RectGradient", 256 }, { "DiagGradient", 512 },
        { "SpinGradient", 512 }, { "GrafittiZigZag", 301 }, { "CircleGradient", 0 }, { "HorizGradient", 0 } };
    for (const auto& c : cases) {
        auto form = make_surface(Kind::Form, 100, 100);
        auto vars = args_for(c.member, surface_var(form));
        PumpCounter counter;
        paint(make_painter(), c.member, vars);
        EXPECT_EQ(counter.count(), c.pumps) << c.member;
    }
    host::DoEvents();  // drain the last re-posted counter
}

TEST(HorizGradient, BlackToWhiteStepsByExactlyOne)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = two_color_args("HorizGradient", surface_var(form), { 0, 0, 0 }, { 255, 255, 255 });
    paint(make_painter(), "HorizGradient", vars);
    auto lines = primitives(*form);
    ASSERT_EQ(lines.size(), 256u);
    for (int i = 0; i <= 255; ++i) {
        EXPECT_EQ(lines[i].flags, 6);
        EXPECT_EQ(lines[i].numbers, (std::vector<double> { double(i), 0, double(i), 255 }));
        EXPECT_EQ(lines[i].color, rgb(i, i, i));
    }
}

TEST(HorizGradient, NegativeChannelsSkipTheirLinesAndTheRampGoesOn)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = two_color_args("HorizGradient", surface_var(form), { -10, 0, 0 }, { 245, 0, 0 });
    paint(make_painter(), "HorizGradient", vars);
    EXPECT_TRUE(form->puts("BackColor").size() == 1u);
    auto lines = primitives(*form);
    ASSERT_EQ(lines.size(), 246u);
    EXPECT_EQ(lines.front().numbers[0], 10);
    EXPECT_EQ(lines.front().color, rgb(0, 0, 0));
    EXPECT_EQ(lines.back().color, rgb(245, 0, 0));
}

TEST(HorizGradient, OverflowingDifferenceKeepsTheStartChannel)
{
    // 32767 - (-32768) leaves 16 bits: red keeps 32767 (drawn as 255) while green ramps. The end
    // colour is refused by RGB, so the back colour is not set.
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = two_color_args("HorizGradient", surface_var(form), { 32767, 0, 0 }, { -32768, 255, 0 });
    paint(make_painter(), "HorizGradient", vars);
    EXPECT_TRUE(form->puts("BackColor").empty());
    auto lines = primitives(*form);
    ASSERT_EQ(lines.size(), 256u);
    for (int i = 0; i <= 255; ++i)
        EXPECT_EQ(lines[i].color, rgb(255, i, 0));
}

TEST(SpinGradient, HalfStepsResolveTiesToEven)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = two_color_args("SpinGradient", surface_var(form), { 255, 0, 0 }, { 0, 0, 0 });
    paint(make_painter(), "SpinGradient", vars);
    EXPECT_EQ(form->puts("BackColor").at(0).text(), "BackColor=255");
    auto lines = primitives(*form);
    ASSERT_EQ(lines.size(), 512u);
    auto red = [&](int k) { return lines[k].color & 0xFF; };
    EXPECT_EQ(red(0), 255);
    EXPECT_EQ(red(1), 254);  // 254.5
    EXPECT_EQ(red(2), 254);
    EXPECT_EQ(red(3), 254);  // 253.5
    EXPECT_EQ(red(5), 252);  // 252.5
    EXPECT_EQ(red(510), 0);
    EXPECT_EQ(red(511), 0);  // -0.5
    for (int k = 0; k < 512; ++k)
        ASSERT_EQ(red(k), std::nearbyint(255 - 0.5 * k)) << k;
}

TEST(SpinGradient, RisingRampOvershootsTo256AndDrawsIt255)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = two_color_args("SpinGradient", surface_var(form), { 0, 0, 0 }, { 255, 0, 0 });
    paint(make_painter(), "SpinGradient", vars);
    auto lines = primitives(*form);
    ASSERT_EQ(lines.size(), 512u);
    EXPECT_EQ(lines[510].color, rgb(255, 0, 0));
    EXPECT_EQ(lines[511].color, rgb(255, 0, 0));  // 255.5 -> 256 -> capped
}

TEST(SpinGradient, LinesTurnHalfATurnThroughTheCentre)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = args_for("SpinGradient", surface_var(form));
    paint(make_painter(), "SpinGradient", vars);
    auto lines = primitives(*form);
    ASSERT_EQ(lines.size(), 512u);
    for (int i = 0; i <= 255; ++i) {
        EXPECT_EQ(lines[i].numbers, (std::vector<double> { double(i), 0, 255.0 - i, 255 }));
        EXPECT_EQ(lines[256 + i].numbers, (std::vector<double> { 255, double(i), 0, 255.0 - i }));
    }
}

TEST(DiagGradient, TwoTrianglesWithTheRampReversed)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = two_color_args("DiagGradient", surface_var(form), { 0, 0, 0 }, { 255, 51, 0 });
    paint(make_painter(), "DiagGradient", vars);
    auto lines = primitives(*form);
    ASSERT_EQ(lines.size(), 512u);
    for (int i = 0; i <= 255; ++i) {
        EXPECT_EQ(lines[i].numbers, (std::vector<double> { 0, double(i), double(i), 0 }));
        EXPECT_EQ(lines[i].color, rgb(i, int(std::nearbyint(i * 0.2)), 0));
        int j = 255 - i;  // second loop counts down
        EXPECT_EQ(lines[256 + i].numbers, (std::vector<double> { 255.0 - j, 255, 255, 255.0 - j }));
        EXPECT_EQ(lines[256 + i].color, rgb(j, int(std::nearbyint(j * 0.2)), 0));
    }
}

TEST(DiagGradient, TextPutIntoTheEndColorByAHandlerSkipsOnlyItsStatements)
{
    // On the 256th pump, before the first triangle's last line, the caller's end red becomes text.
    // Reversing the ramp then fails at the red step and at r = re: both statements are skipped, so
    // red keeps the first triangle's step (+1 a line) and its last value, 256, drawn as 255.
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = two_color_args("DiagGradient", surface_var(form), { 0, 0, 0 }, { 255, 51, 0 });
    auto pumps = std::make_shared<int>(0);
    std::function<void()> handler = [&, pumps] {
        if (++*pumps == 256)
            vars[4] = Variant("not a number");
        else
            host::post_message(handler);
    };
    host::post_message(handler);
    EXPECT_NO_THROW(paint(make_painter(), "DiagGradient", vars));

    auto lines = primitives(*form);
    ASSERT_EQ(lines.size(), 512u);
    for (int i = 0; i <= 255; ++i) {
        int j = 255 - i;
        EXPECT_EQ(lines[256 + i].color, rgb(255, int(std::nearbyint(j * 0.2)), 0)) << "second triangle, line " << i;
    }
}

TEST(CircleGradient, ConcentricCirclesAboutTheCentre)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = two_color_args("CircleGradient", surface_var(form), { 255, 255, 255 }, { 0, 0, 0 });
    paint(make_painter(), "CircleGradient", vars);
    auto circles = form->calls("Circle");
    ASSERT_EQ(circles.size(), 256u);
    EXPECT_EQ(circles[0].text(), "Circle 2 127.5 127.5 0 16777215 0 0 0");
    EXPECT_EQ(circles[255].text(), "Circle 2 127.5 127.5 255 0 0 0 0");
    for (int i = 0; i <= 255; ++i)
        EXPECT_EQ(primitive(circles[i]).color, rgb(255 - i, 255 - i, 255 - i));
}

TEST(RectGradient, BoxesFromTheCentreOut)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = two_color_args("RectGradient", surface_var(form), { 0, 0, 255 }, { 255, 0, 0 });
    paint(make_painter(), "RectGradient", vars);
    EXPECT_EQ(form->puts("BackColor").at(0).text(), "BackColor=255");
    auto boxes = primitives(*form);
    ASSERT_EQ(boxes.size(), 256u);
    EXPECT_EQ(boxes.front().numbers, (std::vector<double> { 127.5, 127.5, 127.5, 127.5 }));
    EXPECT_EQ(boxes.front().color, rgb(0, 0, 255));
    EXPECT_EQ(boxes.back().numbers, (std::vector<double> { 0, 0, 255, 255 }));
    EXPECT_EQ(boxes.back().color, rgb(255, 0, 0));
    EXPECT_EQ(boxes.back().flags, 22);
}

// ---- BoxGradient and the caller's Size -------------------------------------------------------

std::vector<Variant> box_args(const std::shared_ptr<RecordingSurface>& form, Variant size)
{
    auto vars = two_color_args("BoxGradient", surface_var(form), { 0, 0, 0 }, { 255, 255, 255 });
    vars[7] = std::move(size);
    return vars;
}

TEST(BoxGradient, SizeGrowsByTwoOnEveryCall)
{
    auto painter = make_painter();
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = box_args(form, Integer(2));
    struct Step {
        double inset;
        int size_after;
    };
    for (Step step : { Step { 255.0 / 4, 4 }, Step { 255.0 / 6, 6 } }) {
        form->clear_ops();
        paint(painter, "BoxGradient", vars);
        EXPECT_EQ(vars[7], Variant(Integer(step.size_after)));
        auto boxes = primitives(*form);
        ASSERT_EQ(boxes.size(), 256u);
        EXPECT_EQ(boxes.front().numbers, (std::vector<double> { step.inset, step.inset, 255 - step.inset, 255 - step.inset }));
        EXPECT_EQ(boxes.back().numbers, (std::vector<double> { 0, 0, 255, 255 }));
        EXPECT_EQ(boxes.front().color, rgb(0, 0, 0));
        EXPECT_EQ(boxes.back().color, rgb(255, 255, 255));
        EXPECT_TRUE(form->puts("BackColor").empty());
    }
}

TEST(BoxGradient, SizeMinusTwoDividesByZeroAndDrawsNothing)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = box_args(form, Integer(-2));
    paint(make_painter(), "BoxGradient", vars);
    EXPECT_TRUE(form->calls("Line").empty());
    EXPECT_EQ(vars[7], Variant(Integer(0)));
    EXPECT_EQ(form->property("ScaleWidth").to_double(), 255);
    EXPECT_EQ(form->property("ScaleHeight").to_double(), 255);
    EXPECT_EQ(form->property("DrawWidth").to_long().value(), 5);
    EXPECT_EQ(form->calls("Refresh").size(), 1u);
}

TEST(BoxGradient, SizeAt32767OverflowsAndIsKept)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = box_args(form, Integer(32767));
    paint(make_painter(), "BoxGradient", vars);
    EXPECT_EQ(vars[7], Variant(Integer(32767)));
    auto boxes = primitives(*form);
    ASSERT_EQ(boxes.size(), 256u);
    EXPECT_DOUBLE_EQ(boxes.front().numbers[0], 255.0 / 32767);
}

TEST(BoxGradient, SizeOfAnotherTypeIsWrittenBackAsInteger)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = box_args(form, Long(0));
    paint(make_painter(), "BoxGradient", vars);
    EXPECT_EQ(vars[7], Variant(Integer(2)));
    EXPECT_EQ(primitives(*form).front().numbers[0], 127.5);  // the geometry of RectGradient
}

TEST(BoxGradient, HandlerChangingSizeChangesTheRemainingBoxes)
{
    auto form = make_surface(Kind::Form, 300, 200);
    auto vars = box_args(form, Integer(2));
    // On the 11th pump (before the 11th box) the caller's variable becomes 8.
    auto pumps = std::make_shared<int>(0);
    std::function<void()> handler = [&, pumps] {
        if (++*pumps == 11)
            vars[7] = Variant(Integer(8));
        else
            host::post_message(handler);
    };
    host::post_message(handler);
    paint(make_painter(), "BoxGradient", vars);

    EXPECT_EQ(vars[7], Variant(Integer(8)));
    auto boxes = primitives(*form);
    ASSERT_EQ(boxes.size(), 256u);
    for (int step = 0; step < 256; ++step) {
        int i = 255 - step;
        double divisor = step < 10 ? 4 : 8;
        ASSERT_DOUBLE_EQ(boxes[step].numbers[0], i / divisor) << step;
    }
}

TEST(ShapedGradients, NestedCallFromAHandlerLeavesTheOuterRampAlone)
{
    auto painter = make_painter();
    auto outer = make_surface(Kind::Form, 300, 200);
    auto inner = make_surface(Kind::Form, 100, 100);
    auto inner_vars = two_color_args("HorizGradient", surface_var(inner), { 255, 0, 0 }, { 0, 255, 0 });
    auto pumps = std::make_shared<int>(0);
    std::function<void()> handler = [&, pumps] {
        if (++*pumps == 100)
            paint(painter, "HorizGradient", inner_vars);
        else
            host::post_message(handler);
    };
    host::post_message(handler);
    auto vars = two_color_args("SpinGradient", surface_var(outer), { 0, 0, 0 }, { 255, 255, 255 });
    paint(painter, "SpinGradient", vars);

    EXPECT_EQ(inner->calls("Line").size(), 256u);
    auto lines = primitives(*outer);
    ASSERT_EQ(lines.size(), 512u);
    for (int k = 0; k < 511; ++k) {
        int level = int(std::nearbyint(k * 0.5));
        ASSERT_EQ(lines[k].color, rgb(level, level, level)) << k;
    }
}

// ---- GrafittiZigZag -------------------------------------------------------------------------

TEST(GrafittiZigZag, FourLinesPerPassFromTheSharedGenerator)
{
    auto form = make_surface(Kind::Form, 300, 200);
    std::vector<Variant> vars { surface_var(form) };
    host::Randomize(42);
    paint(make_painter(), "GrafittiZigZag", vars);

    auto texts = op_texts(*form);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 3),
        (std::vector<std::string> { "BackColor=0", "ScaleHeight=100", "ScaleWidth=100" }));
    EXPECT_TRUE(form->puts("DrawStyle").empty());
    EXPECT_TRUE(form->puts("DrawWidth").empty());
    EXPECT_TRUE(form->calls("Refresh").empty());

    auto lines = primitives(*form);
    ASSERT_EQ(lines.size(), 1204u);
    host::Randomize(42);
    for (int pass = 0; pass <= 300; ++pass) {
        double u[5];
        for (double& value : u)
            value = std::floor(host::Rnd() * (&value == &u[4] ? 15.0f : 101.0f));
        double u1 = u[0], u2 = u[1], u3 = u[2], u4 = u[3];
        int32_t color = host::QBColor(Integer(int(u[4]))).value();
        const std::vector<double> expected[4] = { { u1, u3, u2, u4 }, { u1, u4, u2, u3 }, { u2, u3, u1, u4 }, { u3, u4, u1, u2 } };
        for (int n = 0; n < 4; ++n) {
            const auto& line = lines[pass * 4 + n];
            ASSERT_EQ(line.flags, 6);
            ASSERT_EQ(line.numbers, expected[n]) << "pass " << pass << " line " << n;
            ASSERT_EQ(line.color, color);
        }
    }
    for (const auto& line : lines) {
        for (double v : line.numbers)
            ASSERT_TRUE(v == std::floor(v) && v >= 0 && v <= 100);
        ASSERT_NE(line.color, host::QBColor(15).value());
    }
}

}  // namespace
}  // namespace velmo::gradients::testing
