// A PNG a command wrote, read back as RGB for checking its pixels.
#pragma once

#include <stb_image.h>

#include <array>
#include <filesystem>
#include <memory>

#include "gfx/bitmap.h"

namespace velmo::testing {

struct Png {
    int width = 0;
    int height = 0;
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels { nullptr, stbi_image_free };  // null when unreadable

    std::array<int, 3> rgb(int x, int y) const
    {
        const stbi_uc* p = pixels.get() + (static_cast<size_t>(y) * width + x) * 3;
        return { p[0], p[1], p[2] };
    }
};

inline Png load_png(const std::filesystem::path& path)
{
    Png png;
    int channels = 0;
    png.pixels.reset(stbi_load(path.c_str(), &png.width, &png.height, &channels, 3));
    return png;
}

// The picture as a bitmap, for comparing with what velmo read; an unreadable one is empty.
inline gfx::Bitmap bitmap_of(const Png& png)
{
    gfx::Bitmap b({ png.pixels ? png.width : 0, png.pixels ? png.height : 0 });
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            auto [r, g, bl] = png.rgb(x, y);
            b.set_word(x, y, (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(bl));
        }
    return b;
}

}  // namespace velmo::testing
