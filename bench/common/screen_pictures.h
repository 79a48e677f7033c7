// What the screen shows while a capture is timed: the two kinds of content a screenshot meets,
// the same for every display's benchmark and for the whole-process comparisons with the peers.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "gfx/bitmap.h"

namespace velmo::bench {

// Smooth colour fields with a little grain, like a photo: neither flat nor noise.
inline gfx::Bitmap photo_like(gfx::Size size)
{
    gfx::Bitmap b(size);
    std::mt19937 random(1);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            double v = 128 + 100 * std::sin(x * 0.01) * std::cos(y * 0.013);
            int grain = int(random() % 9) - 4;
            auto c = [&](double value) { return uint8_t(std::clamp(int(value) + grain, 0, 255)); };
            b.set_pixel(x, y, { c(v), c(255 - v), c((x + y) / 12 % 256) });
        }
    return b;
}

// A two-way gradient without grain, as a desktop or a form's gradient looks.
inline gfx::Bitmap smooth(gfx::Size size)
{
    gfx::Bitmap b(size);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            b.set_pixel(x, y, { uint8_t(x * 255 / size.width), uint8_t(y * 255 / size.height), 128 });
    return b;
}

}  // namespace velmo::bench
