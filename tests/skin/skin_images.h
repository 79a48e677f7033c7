// Small skins for the tests: a memory device context over a bitmap painted from rows of letters
// (colours as in support/skin_fixture.h), a stand-in picture box that answers hDC, ScaleWidth and
// ScaleHeight, and the run-by-run region the algorithm describes (one GetPixel per pixel, each run
// united into the first in turn), which the fast builder must match.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "automation/dynamic_object.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/scoped.h"
#include "support/skin_fixture.h"

namespace velmo::skin::testing {

using velmo::testing::color_of;

struct SkinImage {
    platform::ScopedMemoryDC dc;
    platform::ScopedGdiObject bitmap;
    std::optional<platform::ScopedSelection> selection;
    int width = 0;
    int height = 0;

    // Writes a pixel word straight into the bitmap's memory, reserved byte and all.
    void poke(int x, int y, uint32_t word)
    {
        auto target = platform::drawing_target(dc.get());
        target->bitmap->scanline(y)[x] = word;
    }
};

inline SkinImage skin_image(int width, int height)
{
    SkinImage image;
    platform::ScopedWindowDC screen(platform::GetDC(0), 0);
    image.dc = platform::ScopedMemoryDC(platform::CreateCompatibleDC(screen.get()));
    image.bitmap = platform::ScopedGdiObject(platform::CreateCompatibleBitmap(screen.get(), width, height));
    image.selection.emplace(image.dc.get(), image.bitmap.get());
    image.width = width;
    image.height = height;
    return image;
}

inline SkinImage skin_image(const std::vector<std::string>& rows)
{
    SkinImage image = skin_image(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            platform::SetPixel(image.dc.get(), x, y, color_of(rows[y][x]));
    return image;
}

// A picture box as far as the region builder reads one.
inline ObjectRef box_reading(platform::HDC dc, Variant scale_width, Variant scale_height)
{
    auto box = std::make_shared<DynamicObject>("PictureBox");
    box->on("hDC", [dc](Args) { return Variant(Long(static_cast<int32_t>(dc))); });
    box->on("ScaleWidth", [scale_width](Args) { return scale_width; });
    box->on("ScaleHeight", [scale_height](Args) { return scale_height; });
    return box;
}

// The region exactly as the algorithm reads: pixel by pixel, rectangles united in creation order.
inline platform::HRGN region_pixel_by_pixel(platform::HDC dc, int width, int height)
{
    using namespace velmo::platform;
    COLORREF transparent = GetPixel(dc, 0, 0);
    HRGN result = 0;
    bool first = true;
    auto add = [&](int left, int y, int right) {
        HRGN rect = CreateRectRgn(left, y, right, y + 1);
        if (first) {
            result = rect;
            first = false;
        } else {
            CombineRgn(result, result, rect, RGN_OR);
            DeleteObject(rect);
        }
    };
    for (int y = 0; y < height; ++y) {
        bool open = false;
        int start = 0;
        for (int x = 0; x < width; ++x) {
            if (GetPixel(dc, x, y) != transparent) {
                if (!open)
                    start = x;
                open = true;
            } else if (open) {
                add(start, y, x);
                open = false;
            }
        }
        if (open)
            add(start, y, width);
    }
    return result;
}

}  // namespace velmo::skin::testing
