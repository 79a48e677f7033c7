// Palettes: created ones, the stock default palette and the system palette of a palette display.
#include "platform/display_state.h"

#include "platform/gdi.h"
#include <utility>

namespace velmo::platform {

// ---- Palettes ---------------------------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* palette)
{
    if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0)
        return 0;
    const PALETTEENTRY* first = palette->palPalEntry;
    return display().add_palette(std::vector<PALETTEENTRY>(first, first + palette->palNumEntries));
}

namespace {
UINT copy_entries(const std::vector<PALETTEENTRY>& from, UINT start, UINT count, PALETTEENTRY* out)
{
    if (!out)
        return static_cast<UINT>(from.size());
    if (start >= from.size())
        return 0;
    UINT n = std::min<UINT>(count, static_cast<UINT>(from.size()) - start);
    std::copy_n(from.begin() + start, n, out);
    return n;
}
}  // namespace

UINT GetSystemPaletteEntries(HDC dc, UINT start, UINT count, PALETTEENTRY* entries)
{
    auto& d = display();
    if (!d.dc(dc))
        return 0;
    return copy_entries(d.system_palette, start, count, entries);
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries)
{
    auto* p = display().palette(palette);
    return p ? copy_entries(p->entries, start, count, entries) : 0;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL)
{
    auto& d = display();
    auto* context = d.dc(dc);
    if (!context || !d.palette(palette))
        return 0;
    return std::exchange(context->palette, palette);
}

UINT RealizePalette(HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    if (!context)
        return GDI_ERROR;
    auto* p = d.palette(context->palette);
    if (d.system_palette.empty() || !p || p->stock)
        return 0;
    return static_cast<UINT>(std::min<size_t>(p->entries.size(), d.system_palette.size()));
}

HGDIOBJ GetStockObject(int index) { return index == DEFAULT_PALETTE ? display().stock_palette() : 0; }

}  // namespace velmo::platform
