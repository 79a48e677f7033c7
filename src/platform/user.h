// Window calls: device contexts of windows and of the screen, window rectangles, regions, order
// and visibility, the foreground window and the pointer, with the names, argument orders and
// failure values of the real interface.
#pragma once

#include <string>

#include "platform/types.h"

namespace velmo::platform {

HDC GetDC(HWND window);        // the client area; 0 or the desktop: the whole screen
HDC GetWindowDC(HWND window);  // the whole window, frame included; 0 or the desktop: the screen
int ReleaseDC(HWND window, HDC dc);

HWND GetDesktopWindow();
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND window);
HWND GetParent(HWND window);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);  // the window and every parent shown

BOOL GetWindowRect(HWND window, RECT* rect);  // screen coordinates
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int width, int height, UINT flags);
BOOL BringWindowToTop(HWND window);
BOOL ShowWindow(HWND window, int command);  // returns whether it was visible before
BOOL DestroyWindow(HWND window);

// Takes over the region on success (its handle is gone afterwards); 0 removes the region.
int SetWindowRgn(HWND window, HRGN region, BOOL redraw);
int GetWindowRgn(HWND window, HRGN into);

BOOL SetWindowTextA(HWND window, const std::string& text);
std::string window_text(HWND window);

// The colours of the classic scheme, by COLOR_ index; 0 for an unknown index.
COLORREF GetSysColor(int index);

BOOL GetCursorPos(POINT* point);
// 0 when the window system does not move the pointer (a Wayland compositor never lets a client).
BOOL SetCursorPos(int x, int y);

inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;

}  // namespace velmo::platform
