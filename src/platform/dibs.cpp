// Device-independent bitmaps: 32-bit rows in and out of bitmaps.
#include "platform/display_state.h"

#include <cstring>
#include "platform/gdi.h"

namespace velmo::platform {

// ---- Device-independent bitmaps ---------------------------------------------------------------

namespace {

// The rows of a 32-bit DIB and the bitmap rows they stand for.
struct DibLayout {
    int width = 0;
    int height = 0;
    bool top_down = false;

    // Image row (0 at the top) of scan line `line`.
    int image_row(int line) const { return top_down ? line : height - 1 - line; }
};

std::optional<DibLayout> dib_layout(const BITMAPINFO* info)
{
    if (!info)
        return {};
    const auto& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0
        || h.biHeight == 0 || h.biWidth > max_bitmap_side || h.biHeight > max_bitmap_side || h.biHeight < -max_bitmap_side)
        return {};
    return DibLayout { h.biWidth, std::abs(h.biHeight), h.biHeight < 0 };
}

// Calls `row(dib_line_index, bitmap_row)` for every requested scan line that maps onto the
// bitmap, and returns how many there were.
template<typename Row>
int for_each_line(const DibLayout& dib, const gfx::Bitmap& bitmap, UINT start, UINT lines, Row&& row)
{
    int copied = 0;
    int64_t first = start;
    int64_t end = std::min<int64_t>(first + lines, dib.height);
    for (int64_t line = first; line < end; ++line) {
        int y = dib.image_row(static_cast<int>(line));
        if (y < 0 || y >= bitmap.height())
            continue;
        row(static_cast<size_t>(line - first), y);
        ++copied;
    }
    return copied;
}

// One pass that copies and clears; in the widest vectors the processor has, as this copy is most
// of what showing a frame costs (a copy then a clearing pass over the row measured slower).
#if defined(__x86_64__)
__attribute__((target_clones("avx2", "default")))
#endif
void copy_clearing_reserved(uint32_t* to, const uint32_t* from, int count)
{
    for (int x = 0; x < count; ++x)
        to[x] = from[x] & 0x00FFFFFF;
}

}  // namespace

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage)
{
    auto& d = display();
    auto* b = d.bitmap(bitmap);
    if (!d.dc(dc) || !b || !info || usage > 1)
        return 0;
    if (!bits) {
        auto& h = info->bmiHeader;
        if (h.biSize < sizeof(BITMAPINFOHEADER))
            return 0;
        h.biWidth = b->size().width;
        h.biHeight = b->size().height;
        h.biPlanes = 1;
        h.biBitCount = 32;
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(b->size().width) * b->size().height * 4;
        return b->size().height;
    }
    auto dib = dib_layout(info);
    if (!dib)
        return 0;
    gfx::Bitmap& pixels = b->pixels();
    int columns = std::min(dib->width, pixels.width());
    auto* out = static_cast<uint32_t*>(bits);
    return for_each_line(*dib, pixels, start, lines, [&](size_t index, int y) {
        std::memcpy(out + index * dib->width, pixels.scanline(y), static_cast<size_t>(columns) * 4);
    });
}

int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    auto& d = display();
    auto* b = d.bitmap(bitmap);
    auto dib = dib_layout(info);
    if (!d.dc(dc) || !b || !bits || !dib || usage > 1 || b->stock)
        return 0;
    // A call that writes every pixel need not keep what the bitmap held: a copy of it still
    // waiting to be shown keeps that storage instead of being made now.
    const gfx::Bitmap& before = *bitmap_pixels(bitmap);
    bool whole = dib->width >= before.width() && for_each_line(*dib, before, start, lines, [](size_t, int) { }) == before.height();
    d.before_write(bitmap, whole ? Display::Overwrite::Whole : Display::Overwrite::Part);
    gfx::Bitmap& pixels = b->pixels();
    int columns = std::min(dib->width, pixels.width());
    auto* in = static_cast<const uint32_t*>(bits);
    return for_each_line(*dib, pixels, start, lines, [&](size_t index, int y) {
        const uint32_t* from = in + index * dib->width;
        uint32_t* to = pixels.scanline(y);
        copy_clearing_reserved(to, from, columns);
    });
}

}  // namespace velmo::platform
