#include "platform/wayland/output_layout.h"

#include <wayland-client-protocol.h>

#include <algorithm>
#include <cstring>

namespace velmo::platform::wayland {

namespace {

bool swaps_sides(int32_t transform) { return transform % 2 == 1; }

bool red_first(uint32_t format) { return format == WL_SHM_FORMAT_ABGR8888 || format == WL_SHM_FORMAT_XBGR8888; }

uint32_t to_word(uint32_t pixel, bool swap)
{
    if (!swap)
        return pixel & 0x00FFFFFF;
    return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

}  // namespace

gfx::Rect layout_bounds(std::span<const gfx::Rect> outputs)
{
    if (outputs.empty())
        return {};
    int left = outputs[0].x, top = outputs[0].y, right = outputs[0].right(), bottom = outputs[0].bottom();
    for (const gfx::Rect& r : outputs) {
        left = std::min(left, r.x);
        top = std::min(top, r.y);
        right = std::max(right, r.right());
        bottom = std::max(bottom, r.bottom());
    }
    return { left, top, right - left, bottom - top };
}

bool is_readable_format(uint32_t format)
{
    return format == WL_SHM_FORMAT_ARGB8888 || format == WL_SHM_FORMAT_XRGB8888 || red_first(format);
}

gfx::Point source_pixel(const CopiedPixels& pixels, gfx::Size logical, int x, int y)
{
    // The upright picture at the copy's own scale.
    int tw = swaps_sides(pixels.transform) ? pixels.size.height : pixels.size.width;
    int th = swaps_sides(pixels.transform) ? pixels.size.width : pixels.size.height;
    int u = logical.width == tw ? x : static_cast<int>((int64_t(2 * x + 1) * tw) / (2 * int64_t(logical.width)));
    int v = logical.height == th ? y : static_cast<int>((int64_t(2 * y + 1) * th) / (2 * int64_t(logical.height)));
    int bx = u, by = v;
    switch (pixels.transform) {
    // The output's transform turns the upright layout into the copy; these undo it.
    case WL_OUTPUT_TRANSFORM_90: bx = v; by = tw - 1 - u; break;
    case WL_OUTPUT_TRANSFORM_180: bx = tw - 1 - u; by = th - 1 - v; break;
    case WL_OUTPUT_TRANSFORM_270: bx = th - 1 - v; by = u; break;
    case WL_OUTPUT_TRANSFORM_FLIPPED: bx = tw - 1 - u; break;
    case WL_OUTPUT_TRANSFORM_FLIPPED_90: bx = v; by = u; break;
    case WL_OUTPUT_TRANSFORM_FLIPPED_180: by = th - 1 - v; break;
    case WL_OUTPUT_TRANSFORM_FLIPPED_270: bx = th - 1 - v; by = tw - 1 - u; break;
    default: break;
    }
    if (pixels.y_invert)
        by = pixels.size.height - 1 - by;
    return { bx, by };
}

void upright_copy(const CopiedPixels& pixels, gfx::Size logical, gfx::Bitmap& out, gfx::Point at)
{
    gfx::Rect target = gfx::Rect::of(at, logical).intersected(out.rect());
    if (target.is_empty())
        return;
    bool swap = red_first(pixels.format);
    auto source_row = [&](int y) { return reinterpret_cast<const uint32_t*>(pixels.data + static_cast<size_t>(y) * pixels.stride); };
    if (pixels.transform == WL_OUTPUT_TRANSFORM_NORMAL && pixels.size == logical) {
        // The common case, row by row; the loop is simple enough for the compiler to vectorise.
        for (int y = target.y; y < target.bottom(); ++y) {
            int sy = y - at.y;
            const uint32_t* from = source_row(pixels.y_invert ? pixels.size.height - 1 - sy : sy) + (target.x - at.x);
            uint32_t* to = out.scanline(y) + target.x;
            if (swap)
                for (int x = 0; x < target.width; ++x)
                    to[x] = to_word(from[x], true);
            else
                for (int x = 0; x < target.width; ++x)
                    to[x] = from[x] & 0x00FFFFFF;
        }
        return;
    }
    for (int y = target.y; y < target.bottom(); ++y) {
        uint32_t* to = out.scanline(y);
        for (int x = target.x; x < target.right(); ++x) {
            gfx::Point s = source_pixel(pixels, logical, x - at.x, y - at.y);
            to[x] = to_word(source_row(s.y)[s.x], swap);
        }
    }
}

}  // namespace velmo::platform::wayland
