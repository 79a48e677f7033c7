// Drawing calls: device contexts, bitmaps, pixels, block transfers, device-independent bitmaps and
// regions, with the names, argument orders and failure values of the real interface. A call given
// a stale or wrong handle fails the way the real one does (0, CLR_INVALID, ERROR) and changes
// nothing.
#pragma once

#include "platform/types.h"

namespace velmo::platform {

HDC CreateCompatibleDC(HDC dc);                       // 0: a memory context compatible with the screen
BOOL DeleteDC(HDC dc);                                // memory contexts only
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);         // returns the bitmap selected before, or 0
BOOL DeleteObject(HGDIOBJ object);                    // fails for a bitmap still selected somewhere
int GetObjectA(HGDIOBJ object, int size, void* out);  // a 24-byte BITMAP; a palette's entry count (WORD)
HGDIOBJ GetCurrentObject(HDC dc, UINT type);          // OBJ_BITMAP, OBJ_PAL
int GetDeviceCaps(HDC dc, int index);

COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int source_x, int source_y, DWORD rop);

// 32-bit uncompressed DIBs, bottom-up (positive height) or top-down (negative height). With no
// bits, GetDIBits fills in the header.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);

HRGN CreateRectRgn(int left, int top, int right, int bottom);
int CombineRgn(HRGN destination, HRGN first, HRGN second, int mode);
int GetRgnBox(HRGN region, RECT* box);
BOOL PtInRegion(HRGN region, int x, int y);

// Palettes. On a display without a palette (32 bits per pixel) the system palette has no entries
// and realising selects nothing; on a palette display the system palette is the 256-colour
// standard one: twenty fixed colours at the ends, a colour cube and greys between.
HPALETTE CreatePalette(const LOGPALETTE* palette);
UINT GetSystemPaletteEntries(HDC dc, UINT start, UINT count, PALETTEENTRY* entries);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL force_background);  // returns the one before
UINT RealizePalette(HDC dc);
HGDIOBJ GetStockObject(int index);  // DEFAULT_PALETTE

inline constexpr UINT OBJ_BITMAP = 7;
inline constexpr UINT OBJ_PAL = 5;
inline constexpr int DEFAULT_PALETTE = 15;
inline constexpr UINT GDI_ERROR = 0xFFFFFFFF;

}  // namespace velmo::platform
