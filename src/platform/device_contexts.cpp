// Device contexts of windows, of the screen and in memory; bitmaps and the objects selected into contexts.
#include "platform/display_state.h"

#include <cstring>
#include "platform/gdi.h"
#include "platform/user.h"

namespace velmo::platform {

// ---- Device contexts --------------------------------------------------------------------------

HDC GetDC(HWND window)
{
    auto& d = display();
    if (window == 0 || window == d.desktop())
        return d.add_dc({ 0, DeviceContext::Kind::Screen });
    Window* w = d.window(window);
    if (!w)
        return 0;
    if (w->own_dc)
        return w->own_dc;
    return d.add_dc({ 0, DeviceContext::Kind::Client, window });
}

HDC GetWindowDC(HWND window)
{
    auto& d = display();
    if (window == 0 || window == d.desktop())
        return d.add_dc({ 0, DeviceContext::Kind::Screen });
    if (!d.window(window))
        return 0;
    return d.add_dc({ 0, DeviceContext::Kind::Window, window });
}

int ReleaseDC(HWND, HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    if (!context || context->kind == DeviceContext::Kind::Memory)
        return 0;
    if (!context->owned_by_window)
        d.remove_dc(dc);
    return 1;
}

HDC CreateCompatibleDC(HDC dc)
{
    auto& d = display();
    if (dc != 0 && !d.dc(dc))
        return 0;
    return d.add_dc({ 0, DeviceContext::Kind::Memory });
}

BOOL DeleteDC(HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    if (!context || context->kind != DeviceContext::Kind::Memory)
        return 0;
    d.remove_dc(dc);
    return 1;
}

int GetDeviceCaps(HDC dc, int index)
{
    auto& d = display();
    if (!d.dc(dc))
        return 0;
    auto& backend = d.backend();
    bool palette = backend.bits_per_pixel() <= 8;
    switch (index) {
    case HORZRES: return backend.screen_size().width;
    case VERTRES: return backend.screen_size().height;
    case BITSPIXEL: return backend.bits_per_pixel();
    case PLANES: return 1;
    case RASTERCAPS: return RC_BITBLT | RC_DI_BITMAP | (palette ? RC_PALETTE : 0);
    case SIZEPALETTE: return palette ? 256 : 0;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
    }
}

// ---- Bitmaps and objects ----------------------------------------------------------------------

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    auto& d = display();
    if (!d.dc(dc) || width < 0 || height < 0 || width > max_bitmap_side || height > max_bitmap_side
        || int64_t(width) * height > max_bitmap_pixels)
        return 0;
    // A zero size gives the smallest bitmap there is: one monochrome pixel.
    if (width == 0 || height == 0)
        return d.add_bitmap({ 1, 1 }, 1);
    return d.add_bitmap({ width, height }, 32);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    auto& d = display();
    auto* context = d.dc(dc);
    auto* chosen = d.bitmap(object);
    if (!context || !chosen || context->kind != DeviceContext::Kind::Memory)
        return 0;
    if (!chosen->stock && chosen->selected_into != 0 && chosen->selected_into != dc)
        return 0;
    HBITMAP previous = context->bitmap;
    if (auto* old = d.bitmap(previous); old && !old->stock)
        old->selected_into = 0;
    if (!chosen->stock)
        chosen->selected_into = dc;
    context->bitmap = object;
    return previous;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type)
{
    auto* context = display().dc(dc);
    if (!context)
        return 0;
    if (type == OBJ_PAL)
        return context->palette;
    if (type != OBJ_BITMAP || context->kind != DeviceContext::Kind::Memory)
        return 0;
    return context->bitmap;
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto& d = display();
    if (auto* b = d.bitmap(object)) {
        if (b->stock)
            return 1;
        if (b->selected_into != 0)
            return 0;
        d.remove_bitmap(object);
        return 1;
    }
    if (d.region(object)) {
        d.take_region(object);
        return 1;
    }
    if (auto* p = d.palette(object)) {
        if (p->stock)
            return 1;
        if (d.palette_in_use(object))
            return 0;
        d.remove_palette(object);
        return 1;
    }
    return 0;
}

int GetObjectA(HGDIOBJ object, int size, void* out)
{
    if (auto* p = display().palette(object)) {
        if (!out)
            return sizeof(WORD);
        if (size < static_cast<int>(sizeof(WORD)))
            return 0;
        auto count = static_cast<WORD>(p->entries.size());
        std::memcpy(out, &count, sizeof count);
        return sizeof(WORD);
    }
    auto* b = display().bitmap(object);
    if (!b)
        return 0;
    if (!out)
        return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP record;
    record.bmType = 0;
    record.bmWidth = b->size().width;
    record.bmHeight = b->size().height;
    record.bmWidthBytes = b->bits_per_pixel == 1 ? ((b->size().width + 15) / 16) * 2 : b->size().width * 4;
    record.bmPlanes = 1;
    record.bmBitsPixel = static_cast<WORD>(b->bits_per_pixel);
    record.bmBits = 0;
    std::memcpy(out, &record, sizeof record);
    return sizeof(BITMAP);
}

}  // namespace velmo::platform
