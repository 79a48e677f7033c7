// The largest pictures the commands make or read. A side may be up to 8192 pixels; the windows
// around a picture (its box's border, its form's border and caption) must also fit the display's
// largest bitmap, which an 8192x8192 picture would not, so the pixels are at most 8000x8000.
#pragma once

#include <cstdint>
#include <string>

namespace velmo::cli {

inline constexpr int largest_side = 8192;
inline constexpr int64_t largest_pixels = int64_t(8000) * 8000;

inline const char* const size_limits_text = "each side 1..8192, at most 64000000 pixels (8000x8000)";

// Empty when a picture of that size can be made; otherwise why not.
inline std::string size_refusal(int width, int height)
{
    if (width < 1 || height < 1 || width > largest_side || height > largest_side || int64_t(width) * height > largest_pixels)
        return std::to_string(width) + "x" + std::to_string(height) + " is too large: " + size_limits_text;
    return {};
}

}  // namespace velmo::cli
