// Color: one opaque 32-bit colour as the pixel buffers store it, plus the two encodings that meet
// it at the edges of the library: the host's colour Long (red in the low byte) and the pixel word
// of a 32-bit device-independent bitmap (blue in the low byte, then green, red, reserved).
#pragma once

#include <compare>
#include <cstdint>

namespace velmo::gfx {

class Color {
public:
    constexpr Color() = default;
    constexpr Color(uint8_t red, uint8_t green, uint8_t blue)
        : red_(red)
        , green_(green)
        , blue_(blue)
    {
    }

    // red + 256 * green + 65536 * blue; the top byte is ignored.
    static constexpr Color from_colorref(uint32_t value)
    {
        return { static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16) };
    }
    constexpr uint32_t to_colorref() const { return red_ | (green_ << 8) | (blue_ << 16); }

    // The pixel word: 0x00RRGGBB, i.e. bytes blue, green, red, reserved in memory.
    static constexpr Color from_pixel(uint32_t word)
    {
        return { static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word) };
    }
    constexpr uint32_t to_pixel() const { return (red_ << 16) | (green_ << 8) | blue_; }

    constexpr uint8_t red() const { return red_; }
    constexpr uint8_t green() const { return green_; }
    constexpr uint8_t blue() const { return blue_; }

    friend constexpr bool operator==(Color, Color) = default;

private:
    uint8_t red_ = 0;
    uint8_t green_ = 0;
    uint8_t blue_ = 0;
};

}  // namespace velmo::gfx
