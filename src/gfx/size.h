// Size: a width and a height in whole pixels. Negative values are kept as given; is_empty()
// tells whether the size covers no pixel.
#pragma once

namespace velmo::gfx {

struct Size {
    int width = 0;
    int height = 0;

    constexpr bool is_empty() const { return width <= 0 || height <= 0; }
    constexpr long long area() const { return is_empty() ? 0 : static_cast<long long>(width) * height; }
    friend constexpr bool operator==(Size, Size) = default;
};

}  // namespace velmo::gfx
