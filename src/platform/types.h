// The platform's value types and constants, with the names and layouts the windowing and drawing
// calls use, so that code calling them reads like code written against the real interfaces.
//
// Every handle is a 32-bit value from the display's one handle table; 0 is never a valid object.
#pragma once

#include <cstdint>

namespace velmo::platform {

using HANDLE = uint32_t;
using HWND = HANDLE;
using HDC = HANDLE;
using HGDIOBJ = HANDLE;
using HBITMAP = HANDLE;
using HRGN = HANDLE;
using HPALETTE = HANDLE;

using BOOL = int32_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using LONG = int32_t;

// 0x00BBGGRR, red in the low byte.
using COLORREF = uint32_t;
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

// The 24-byte record GetObjectA fills for a bitmap.
struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
    uint32_t bmBits = 0;
};
static_assert(sizeof(BITMAP) == 24);

struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;  // positive: bottom-up rows; negative: top-down
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct PALETTEENTRY {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
};

// A palette record: a header followed by palNumEntries entries (the array is declared with one).
struct LOGPALETTE {
    WORD palVersion = 0x300;
    WORD palNumEntries = 0;
    PALETTEENTRY palPalEntry[1];
};

inline constexpr DWORD BI_RGB = 0;
inline constexpr UINT DIB_RGB_COLORS = 0;

// Raster operations of BitBlt.
inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;

// CombineRgn modes and the region kinds the region calls return (ERROR is 0).
inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;
inline constexpr int REGION_ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// GetDeviceCaps indexes and the palette capability bit.
inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int RASTERCAPS = 38;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
inline constexpr int SIZEPALETTE = 104;
inline constexpr int RC_PALETTE = 0x0100;
inline constexpr int RC_BITBLT = 0x0001;
inline constexpr int RC_DI_BITMAP = 0x0080;

// SetWindowPos insertion points.
inline constexpr HWND HWND_TOP = 0;
inline constexpr HWND HWND_BOTTOM = 1;

}  // namespace velmo::platform
