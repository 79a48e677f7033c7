// The scan behind a skin region, over plain memory: every row of a width x height image is cut into
// runs of consecutive pixels whose colour differs from the transparent one; one run never continues
// into the next row.
//
// The image is what a device context reads: a readable area of 32-bit pixel words (blue, green,
// red, reserved; the reserved byte is ignored) and, around it, pixels that cannot be read and so
// report the invalid colour. The invalid colour equals no real colour, so an unreadable pixel
// counts as non-transparent, unless the transparent colour is itself the invalid one (the corner
// could not be read): then every unreadable pixel is transparent and every readable one is not.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "gfx/color.h"
#include "gfx/rect.h"

namespace velmo::skin {

// A colour as pixel reads report it: red + 256 * green + 65536 * blue, or invalid_colour.
using ColorValue = uint32_t;
inline constexpr ColorValue invalid_color = 0xFFFFFFFF;

// One run of row y: columns left to right - 1.
struct Run {
    int y = 0;
    int left = 0;
    int right = 0;
    friend bool operator==(const Run&, const Run&) = default;
};

struct ReadableImage {
    const uint32_t* first = nullptr;  // the word of area's top-left pixel
    ptrdiff_t stride = 0;             // words from one row to the next
    gfx::Rect area;                   // readable pixels, in the image's own coordinates
};

// Calls emit(Run) for every run, top to bottom, left to right. Nothing for a width or height of
// 0 or less.
template<typename Emit>
void scan_runs(const ReadableImage& image, int width, int height, ColorValue transparent, Emit&& emit)
{
    if (width <= 0 || height <= 0)
        return;
    // Readable pixels are compared as words; none matches when the transparent colour is invalid.
    constexpr uint32_t color_bits = 0x00FFFFFF;
    const uint32_t transparent_word = transparent == invalid_color ? invalid_color : gfx::Color::from_colorref(transparent).to_pixel();
    const bool unreadable_is_opaque = transparent != invalid_color;

    const gfx::Rect& area = image.area;
    const int64_t area_right = int64_t(area.x) + std::max(0, area.width);
    const int64_t area_bottom = int64_t(area.y) + std::max(0, area.height);
    const int readable_left = static_cast<int>(std::clamp<int64_t>(area.x, 0, width));
    const int readable_right = static_cast<int>(std::clamp<int64_t>(area_right, readable_left, width));
    const int top = static_cast<int>(std::clamp<int64_t>(area.y, 0, height));
    const int bottom = static_cast<int>(std::clamp<int64_t>(area_bottom, top, height));

    for (int y = 0; y < height; ++y) {
        bool open = false;
        int start = 0;
        // Pixels [from, to) that cannot be read.
        auto unreadable = [&](int from, int to) {
            if (from >= to)
                return;
            if (unreadable_is_opaque && !open) {
                open = true;
                start = from;
            } else if (!unreadable_is_opaque && open) {
                emit(Run { y, start, from });
                open = false;
            }
        };
        if (y < top || y >= bottom || readable_left >= readable_right) {
            unreadable(0, width);
        } else {
            unreadable(0, readable_left);
            // Word i is the pixel at column readable_left + i.
            const uint32_t* words = image.first + (y - area.y) * image.stride + (readable_left - area.x);
            const int count = readable_right - readable_left;
            int i = 0;
            while (i < count) {
                if (!open) {
                    while (i < count && (words[i] & color_bits) == transparent_word)
                        ++i;
                    if (i == count)
                        break;
                    open = true;
                    start = readable_left + i;
                } else {
                    while (i < count && (words[i] & color_bits) != transparent_word)
                        ++i;
                    if (i == count)
                        break;
                    emit(Run { y, start, readable_left + i });
                    open = false;
                }
            }
            unreadable(readable_right, width);
        }
        if (open)
            emit(Run { y, start, width });
    }
}

}  // namespace velmo::skin
