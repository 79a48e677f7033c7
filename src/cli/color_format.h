// A colour written the ways a person pastes it elsewhere: #RRGGBB, rgb(R, G, B) and
// hsl(H, S%, L%) with whole degrees and percents, rounded half up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmo::cli {

enum class ColorFormat { Hex, Rgb, Hsl };

// "hex", "rgb" or "hsl"; nothing for any other word.
std::optional<ColorFormat> color_format(std::string_view word);

struct Hsl {
    int hue = 0;         // 0 to 359
    int saturation = 0;  // 0 to 100
    int lightness = 0;   // 0 to 100
};

Hsl hsl_of(uint8_t red, uint8_t green, uint8_t blue);

std::string format_color(ColorFormat format, uint8_t red, uint8_t green, uint8_t blue);

}  // namespace velmo::cli
