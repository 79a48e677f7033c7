// The painter on real forms and picture boxes: the pixels each picture ends with. A client 256
// pixels high makes the presets' vertical scale (256ths of the height) one unit per pixel row.
#include <gtest/gtest.h>

#include <functional>

#include "automation/late.h"
#include "gradients/gradients.h"
#include "runtime/colors.h"
#include "host/form.h"
#include "host/picture_box.h"

namespace velmo::gradients {
namespace {

int32_t rgb(int r, int g, int b) { return host::RGB(r, g, b).value(); }
int red(int32_t color) { return color & 0xFF; }
int green(int32_t color) { return (color >> 8) & 0xFF; }
int blue(int32_t color) { return (color >> 16) & 0xFF; }

void paint(std::string_view member, const ObjectRef& surface, std::vector<Variant> args = {})
{
    auto painter = std::make_shared<clsKxLumoGradientsA>();
    args.insert(args.begin(), Variant(surface));
    std::vector<Variant*> refs;
    for (auto& a : args)
        refs.push_back(&a);
    late::invoke(painter, member, Invoke::Call, refs);
}

// Every client pixel satisfies `expected(x, y)`; reports the first few that do not.
void expect_every_pixel(const host::Surface& surface, const std::function<int32_t(int, int)>& expected)
{
    int misses = 0;
    for (int y = 0; y < surface.client_height(); ++y) {
        for (int x = 0; x < surface.client_width(); ++x) {
            int32_t want = expected(x, y);
            int32_t got = surface.pixel(x, y);
            if (got != want && ++misses <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << got << ", expected " << want;
        }
    }
    EXPECT_EQ(misses, 0);
}

TEST(BandPixels, Gradient01GreenBandsTwoPixelsWide)
{
    auto box = host::PictureBox::create(510, 300);
    paint("Gradient01", box, { Long(1), Long(1) });
    expect_every_pixel(*box, [](int x, int) {
        int position = x / 2;
        int level = position <= 127 ? position : 254 - position;
        return rgb(0, level, 0);
    });
}

TEST(BandPixels, Gradient02RisingBlueBands)
{
    auto box = host::PictureBox::create(510, 100);
    paint("Gradient02", box, { Long(2) });
    expect_every_pixel(*box, [](int x, int) { return rgb(0, 0, x / 2); });
}

TEST(BandPixels, GradientSixtyThreeBandsFromWhiteDown)
{
    auto form = host::Form::create(640, 480);
    double height_twips = late::get(form, "Height").to_double();
    int band_twips = static_cast<int>(std::nearbyint(height_twips / 63));
    paint("Gradient", form, { Long(255), Long(255), Long(255), True });
    // The middle row of every band that falls in the client area.
    for (int k = 1; k <= 63; ++k) {
        int y = ((k - 1) * band_twips + band_twips / 2) / 15;
        if (y >= form->client_height())
            break;
        int level = 255 - 4 * (k - 1);
        EXPECT_EQ(form->pixel(320, y), rgb(level, level, level)) << "band " << k;
    }
}

TEST(PresetPixels, GrayBlackRowNIsTwoFiftyFiveMinusN)
{
    auto form = host::Form::create(300, 256);
    paint("GrayBlack", form);
    expect_every_pixel(*form, [](int, int y) { return rgb(255 - y, 255 - y, 255 - y); });
}

TEST(PresetPixels, YellowBlackDownOnAForm)
{
    auto form = host::Form::create(400, 256);
    paint("YellowBlackDown", form);
    EXPECT_EQ(form->pixel(10, 200), rgb(245, 245, 0));
    EXPECT_EQ(form->pixel(200, 10), rgb(245, 245, 0));
    // 255 - min(x, y), x counting as 255 right of column 255.
    expect_every_pixel(*form, [](int x, int y) {
        int v = 255 - std::min(std::min(x, 255), y);
        return rgb(v, v, 0);
    });
}

TEST(PresetPixels, RedBuildLeavesOnlyABlackBox)
{
    auto form = host::Form::create(400, 256);
    paint("RedBuild", form);
    expect_every_pixel(*form, [](int x, int) { return x <= 255 ? rgb(0, 0, 0) : rgb(255, 255, 255); });
}

TEST(PresetPixels, HalfBlueBlackLeavesRightOfColumn255Untouched)
{
    auto box = host::PictureBox::create(400, 256);
    late::let(box, "BackColor", Long(rgb(10, 20, 30)));
    paint("HalfBlueBlack", box);
    expect_every_pixel(*box, [](int x, int) { return x <= 255 ? rgb(0, 0, 255 - x) : rgb(10, 20, 30); });
}

TEST(PresetPixels, MidRedBlackEndsDarkAtTheEdgesAndBrightestInTheMiddle)
{
    auto form = host::Form::create(300, 256);
    paint("MidRedBlack", form);
    EXPECT_EQ(form->pixel(150, 0), rgb(0, 0, 0));
    EXPECT_EQ(form->pixel(150, 255), rgb(0, 0, 0));
    EXPECT_EQ(form->pixel(0, 128), rgb(0, 0, 0)) << "the left edge column ends black";
    // The two-pixel inside-solid pen of step 129 (rows 126..129) covers both middle rows, so they
    // end one level below the 127 that one-pixel edges would leave.
    EXPECT_EQ(form->pixel(150, 127), form->pixel(150, 128));
    EXPECT_GE(red(form->pixel(150, 127)), 126);
    for (int y = 0; y < 256; ++y) {
        int32_t color = form->pixel(150, y);
        ASSERT_EQ(color, rgb(red(color), 0, 0)) << "row " << y;
        ASSERT_LE(red(color), 127) << "row " << y;
        if (y > 0 && y <= 127) {
            ASSERT_GE(red(color), red(form->pixel(150, y - 1))) << "row " << y;
        }
        if (y >= 128 && y < 255) {
            ASSERT_GE(red(color), red(form->pixel(150, y + 1))) << "row " << y;
        }
    }
}

TEST(ShapedPixels, HorizGradientRampsFromLeftToRight)
{
    auto form = host::Form::create(512, 200);
    paint("HorizGradient", form, { Integer(0), Integer(0), Integer(0), Integer(255), Integer(255), Integer(255), False });
    int previous = -1;
    for (int x = 0; x < 512; ++x) {
        int32_t color = form->pixel(x, 100);
        ASSERT_EQ(red(color), green(color));
        ASSERT_EQ(red(color), blue(color));
        ASSERT_GE(red(color), previous) << "column " << x;
        previous = red(color);
    }
    EXPECT_LE(red(form->pixel(0, 100)), 2);
    EXPECT_EQ(red(form->pixel(511, 100)), 255);
}

TEST(ShapedPixels, BoxGradientKeepsWhatTheSurfaceShowedInsideTheInnermostBox)
{
    auto form = host::Form::create(400, 300);
    late::let(form, "BackColor", Long(rgb(200, 0, 0)));
    Variant size(Integer(2));
    paint("BoxGradient", form, { Integer(0), Integer(0), Integer(255), Integer(255), Integer(255), Integer(0), size, True });
    EXPECT_EQ(form->pixel(200, 150), rgb(200, 0, 0));
    EXPECT_EQ(form->pixel(0, 0), rgb(255, 255, 0));
}

TEST(ShapedPixels, MinimisedFormAndPictureBoxAreLeftUntouched)
{
    auto form = host::Form::create(100, 80);
    late::let(form, "WindowState", Integer(1));
    auto box = host::PictureBox::create(100, 80);
    for (const auto& surface : { std::static_pointer_cast<host::Surface>(form), std::static_pointer_cast<host::Surface>(box) }) {
        for (std::string_view member : { "SpinGradient", "CircleGradient" })
            paint(member, surface, { Integer(255), Integer(0), Integer(0), Integer(0), Integer(0), Integer(255), True });
        paint("GrafittiZigZag", surface);
        expect_every_pixel(*surface, [](int, int) { return rgb(255, 255, 255); });
        EXPECT_EQ(late::get(surface, "DrawWidth").to_long().value(), 1);
    }
}

}  // namespace
}  // namespace velmo::gradients
