#include "platform/pointer_image.h"

#include <string_view>

#include "platform/display_backend.h"
#include "platform/display_state.h"

namespace velmo::platform {

namespace {

// '#' edge, '.' fill, ' ' nothing.
constexpr std::string_view arrow_rows[] = {
    "#",
    "##",
    "#.#",
    "#..#",
    "#...#",
    "#....#",
    "#.....#",
    "#......#",
    "#.......#",
    "#........#",
    "#.........#",
    "#......#####",
    "#...#..#",
    "#..##..#",
    "#.#  #..#",
    "##   #..#",
    "#     #..#",
    "      #..#",
    "       ##",
};

uint8_t channel(uint32_t word, int shift) { return uint8_t(word >> shift); }

}  // namespace

PointerImage arrow_pointer()
{
    PointerImage arrow;
    arrow.size = { 12, int(std::size(arrow_rows)) };
    arrow.argb.assign(size_t(arrow.size.width) * arrow.size.height, 0);
    for (int y = 0; y < arrow.size.height; ++y) {
        for (size_t x = 0; x < arrow_rows[y].size(); ++x) {
            char c = arrow_rows[y][x];
            arrow.argb[size_t(y) * arrow.size.width + x] = c == '#' ? 0xFF000000u : c == '.' ? 0xFFFFFFFFu : 0;
        }
    }
    return arrow;
}

void draw_pointer(gfx::Bitmap& onto, const PointerImage& pointer, gfx::Point at)
{
    for (int y = 0; y < pointer.size.height; ++y) {
        int ty = at.y - pointer.hot_spot.y + y;
        if (ty < 0 || ty >= onto.height())
            continue;
        for (int x = 0; x < pointer.size.width; ++x) {
            int tx = at.x - pointer.hot_spot.x + x;
            uint32_t source = pointer.argb[size_t(y) * pointer.size.width + x];
            if (tx < 0 || tx >= onto.width() || source >> 24 == 0)
                continue;
            uint32_t below = onto.word(tx, ty);
            int keep = 255 - int(source >> 24);
            uint32_t word = 0;
            for (int shift : { 0, 8, 16 }) {
                int value = channel(source, shift) + (channel(below, shift) * keep + 127) / 255;
                word |= uint32_t(value > 255 ? 255 : value) << shift;
            }
            onto.set_word(tx, ty, word);
        }
    }
}

PointerImage current_pointer_image()
{
    if (auto image = display().backend().pointer_image())
        return *image;
    return arrow_pointer();
}

}  // namespace velmo::platform
