#include "cli/color_format.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace velmo::cli {

namespace {

// numerator / denominator to the nearest whole number, halves up; both 0 or more.
int round_half_up(int64_t numerator, int64_t denominator) { return int((2 * numerator + denominator) / (2 * denominator)); }

}  // namespace

std::optional<ColorFormat> color_format(std::string_view word)
{
    if (word == "hex")
        return ColorFormat::Hex;
    if (word == "rgb")
        return ColorFormat::Rgb;
    if (word == "hsl")
        return ColorFormat::Hsl;
    return std::nullopt;
}

// Worked in whole numbers, so that a value lying exactly on a half rounds up every time.
Hsl hsl_of(uint8_t red, uint8_t green, uint8_t blue)
{
    const int64_t r = red, g = green, b = blue;
    const int64_t high = std::max({ r, g, b });
    const int64_t low = std::min({ r, g, b });
    const int64_t spread = high - low;
    Hsl hsl;
    hsl.lightness = round_half_up((high + low) * 100, 510);
    if (spread == 0)
        return hsl;
    hsl.saturation = round_half_up(spread * 100, 255 - std::abs(high + low - 255));
    // Hue in sixtieths of the turn from the largest channel, kept positive.
    int64_t sixths = 0;  // hue * spread / 60
    if (high == r)
        sixths = (g - b) + (g < b ? 6 * spread : 0);
    else if (high == g)
        sixths = (b - r) + 2 * spread;
    else
        sixths = (r - g) + 4 * spread;
    hsl.hue = round_half_up(sixths * 60, spread) % 360;
    return hsl;
}

std::string format_color(ColorFormat format, uint8_t red, uint8_t green, uint8_t blue)
{
    char text[64];
    switch (format) {
    case ColorFormat::Hex: std::snprintf(text, sizeof text, "#%02X%02X%02X", red, green, blue); break;
    case ColorFormat::Rgb: std::snprintf(text, sizeof text, "rgb(%d, %d, %d)", red, green, blue); break;
    case ColorFormat::Hsl: {
        Hsl hsl = hsl_of(red, green, blue);
        std::snprintf(text, sizeof text, "hsl(%d, %d%%, %d%%)", hsl.hue, hsl.saturation, hsl.lightness);
        break;
    }
    }
    return text;
}

}  // namespace velmo::cli
