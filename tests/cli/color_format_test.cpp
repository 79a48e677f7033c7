// The colour lines of `velmo pick --format`, against a plain floating-point reading of the HSL
// definition, over a grid of colours and the cases where a value lies exactly on a half.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cli/color_format.h"

namespace velmo::cli {
namespace {

// The unrounded hue (degrees), saturation and lightness (percent).
struct Exact {
    double hue, saturation, lightness;
};

Exact exact_hsl(int r8, int g8, int b8)
{
    double r = r8 / 255.0, g = g8 / 255.0, b = b8 / 255.0;
    double high = std::max({ r, g, b }), low = std::min({ r, g, b });
    double lightness = (high + low) / 2;
    double spread = high - low;
    if (spread == 0)
        return { 0, 0, lightness * 100 };
    double saturation = spread / (1 - std::fabs(2 * lightness - 1));
    double hue = high == r ? std::fmod((g - b) / spread + 6, 6) : high == g ? (b - r) / spread + 2 : (r - g) / spread + 4;
    return { hue * 60, saturation * 100, lightness * 100 };
}

// Half up; a hair more than the double's own error so that an exact half counts as one.
int half_up(double value) { return int(std::floor(value + 0.5 + 1e-9)); }

TEST(ColourText, EachFormatOfKnownColours)
{
    struct Case {
        uint8_t r, g, b;
        const char* hex;
        const char* rgb;
        const char* hsl;
    };
    const Case cases[] = {
        { 0x33, 0x66, 0x99, "#336699", "rgb(51, 102, 153)", "hsl(210, 50%, 40%)" },
        { 0, 0, 0, "#000000", "rgb(0, 0, 0)", "hsl(0, 0%, 0%)" },
        { 255, 255, 255, "#FFFFFF", "rgb(255, 255, 255)", "hsl(0, 0%, 100%)" },
        { 255, 0, 0, "#FF0000", "rgb(255, 0, 0)", "hsl(0, 100%, 50%)" },
        { 0, 255, 0, "#00FF00", "rgb(0, 255, 0)", "hsl(120, 100%, 50%)" },
        { 0, 0, 255, "#0000FF", "rgb(0, 0, 255)", "hsl(240, 100%, 50%)" },
        { 255, 0, 128, "#FF0080", "rgb(255, 0, 128)", "hsl(330, 100%, 50%)" },
        { 128, 128, 128, "#808080", "rgb(128, 128, 128)", "hsl(0, 0%, 50%)" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format_color(ColorFormat::Hex, c.r, c.g, c.b), c.hex);
        EXPECT_EQ(format_color(ColorFormat::Rgb, c.r, c.g, c.b), c.rgb);
        EXPECT_EQ(format_color(ColorFormat::Hsl, c.r, c.g, c.b), c.hsl);
    }
    EXPECT_EQ(color_format("hsl"), ColorFormat::Hsl);
    EXPECT_EQ(color_format("HSL"), std::nullopt);
    EXPECT_EQ(color_format(""), std::nullopt);
}

TEST(ColourText, HslRoundsHalfUpOverAGridOfColours)
{
    int halves = 0;
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 17) {
            for (int b = 0; b < 256; b += 5) {
                Exact exact = exact_hsl(r, g, b);
                Hsl got = hsl_of(uint8_t(r), uint8_t(g), uint8_t(b));
                ASSERT_EQ(got.hue, half_up(exact.hue) % 360) << r << "," << g << "," << b << " hue " << exact.hue;
                ASSERT_EQ(got.saturation, half_up(exact.saturation)) << r << "," << g << "," << b << " saturation " << exact.saturation;
                ASSERT_EQ(got.lightness, half_up(exact.lightness)) << r << "," << g << "," << b << " lightness " << exact.lightness;
                for (double v : { exact.hue, exact.saturation, exact.lightness })
                    halves += std::fabs(v - std::floor(v) - 0.5) < 1e-9;
            }
        }
    }
    EXPECT_GT(halves, 0) << "the grid holds values lying exactly on a half";
}

}  // namespace
}  // namespace velmo::cli
