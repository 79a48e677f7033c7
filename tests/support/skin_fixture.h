// Skins for the tests, drawn as rows of letters: '.' magenta (the corner, so the transparent
// colour), '#' black, 'r' red, 'g' green, 'b' blue, 'w' white; and the heart, the skin of the
// shaping and painting tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/png_writer.h"

namespace velmo::testing {

// A letter's colour as a COLORREF (red in the low byte).
inline uint32_t color_of(char letter)
{
    switch (letter) {
    case '#': return 0x000000;
    case 'r': return 0x0000FF;
    case 'g': return 0x00FF00;
    case 'b': return 0xFF0000;
    case 'w': return 0xFFFFFF;
    default: return 0xFF00FF;
    }
}

// 10 x 5: a black heart with two red pixels in its middle.
inline const std::vector<std::string> heart_skin = {
    "..##..##..",
    ".########.",
    ".###rr###.",
    "..######..",
    "....##....",
};

// Writes the rows as a PNG file and gives its path as text.
inline std::string write_skin(const std::filesystem::path& file, const std::vector<std::string>& rows)
{
    gfx::Bitmap bitmap({ static_cast<int>(rows.front().size()), static_cast<int>(rows.size()) });
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            bitmap.set_pixel(x, y, gfx::Color::from_colorref(color_of(rows[y][x])));
    EXPECT_TRUE(gfx::write_png(bitmap, file)) << file;
    return file.string();
}

}  // namespace velmo::testing
