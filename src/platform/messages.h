// The thread's window messages: posted and sent messages, window procedures, paints, timers and
// mouse input, with the names, argument orders and failure values of the real interface.
//
// Retrieval order, as the real queue has it: posted messages, then input, then paints, then timers,
// then the quit message. A timer due several times since it last fired fires once. Timers run on
// the display's clock (display.h: the monotonic clock, or a virtual one that advance_clock moves).
// Waiting (GetMessageA, WaitMessage, the move loop) sleeps in the backend until the next timer is
// due or input arrives; it never spins. With the virtual clock, a wait for a timer jumps the clock
// to it.
//
// A handler may destroy its own window, kill its own timer or run a nested loop while it is being
// dispatched: messages of a destroyed window are dropped, and a stale handle fails with 0.
#pragma once

#include <chrono>
#include <functional>

#include "platform/types.h"

namespace velmo::platform {

using WPARAM = uint32_t;
using LPARAM = int32_t;
using LRESULT = int32_t;
using UINT_PTR = uint32_t;
using SHORT = int16_t;

struct MSG {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;  // the pointer, in screen coordinates, when the message was made
};

// A window procedure. Each window has one; without one, messages go to DefWindowProcA.
using WNDPROC = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_NCHITTEST = 0x0084;
inline constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
inline constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr UINT WM_NCLBUTTONUP = 0x00A2;
inline constexpr UINT WM_NCRBUTTONDOWN = 0x00A4;
inline constexpr UINT WM_NCRBUTTONUP = 0x00A5;
inline constexpr UINT WM_NCMBUTTONDOWN = 0x00A7;
inline constexpr UINT WM_NCMBUTTONUP = 0x00A8;
inline constexpr UINT WM_KEYDOWN = 0x0100;  // wParam: the virtual-key code
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_CAPTURECHANGED = 0x0215;
inline constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
inline constexpr UINT WM_EXITSIZEMOVE = 0x0232;
inline constexpr UINT WM_USER = 0x0400;

// Hit-test codes (WM_NCHITTEST, and wParam of the non-client mouse messages).
inline constexpr LRESULT HTNOWHERE = 0;
inline constexpr LRESULT HTCLIENT = 1;
inline constexpr LRESULT HTCAPTION = 2;
inline constexpr LRESULT HTBORDER = 18;

// wParam of the client mouse messages: what is held down.
inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;

inline constexpr UINT PM_NOREMOVE = 0;
inline constexpr UINT PM_REMOVE = 1;

inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_ESCAPE = 0x1B;

// Timers below this period run at it.
inline constexpr UINT USER_TIMER_MINIMUM = 10;

// x in the low 16 bits, y in the high 16 bits, both signed.
inline constexpr LPARAM MAKELPARAM(int x, int y) { return static_cast<LPARAM>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF)); }
inline constexpr int GET_X_LPARAM(LPARAM value) { return static_cast<int16_t>(value & 0xFFFF); }
inline constexpr int GET_Y_LPARAM(LPARAM value) { return static_cast<int16_t>((static_cast<uint32_t>(value) >> 16) & 0xFFFF); }

// ---- Window procedures ----------------------------------------------------------------------

// Replaces the window's procedure (empty: DefWindowProcA); false for a stale handle.
bool set_window_procedure(HWND window, WNDPROC procedure);
// What the window answers by default: WM_PAINT runs the paint handler, WM_NCHITTEST says where a
// screen point lies (client, caption, border), WM_NCLBUTTONDOWN on the caption runs the move loop
// (the window follows the pointer until the left button is up; other messages keep being
// delivered meanwhile), WM_CLOSE destroys the window. Everything else gives 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// ---- The queue --------------------------------------------------------------------------------

// window 0 posts to the thread: GetMessageA returns it with hwnd 0. 0 for a stale window.
BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Calls the window's procedure now and returns its answer; 0 for a stale window.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// `window` 0: messages of any window and of the thread; `first`..`last` 0..0: any message.
BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
// Waits for a message; 0 for WM_QUIT, -1 for a missing MSG.
BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
// Calls the procedure of msg->hwnd; 0 for a stale or missing window.
LRESULT DispatchMessageA(const MSG* msg);
// Sleeps until a message is there to retrieve.
BOOL WaitMessage();
void PostQuitMessage(int exit_code);

// ---- Timers -----------------------------------------------------------------------------------

// A timer of the window (WM_TIMER with wParam `id` every `elapse` ms; setting it again restarts it
// with the new period and returns `id`, or 1 for id 0) or, for window 0, of the thread (a new id
// is returned). 0 for a stale window.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse);
// 0 when there is no such timer.
BOOL KillTimer(HWND window, UINT_PTR id);
// Milliseconds on the display's clock.
DWORD GetTickCount();
// Moves a virtual clock forward; false (and nothing moves) on the monotonic clock.
bool advance_clock(std::chrono::milliseconds by);

// ---- Mouse ------------------------------------------------------------------------------------

// Mouse messages go to the capturing window, whatever lies under the pointer. Returns the window
// that held the capture before; 0 for a stale handle (the capture stays as it was).
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();
// The high bit is set while the key or button is held down; the pointer buttons, Shift, Ctrl, Alt.
SHORT GetAsyncKeyState(int key);

// ---- Paints -----------------------------------------------------------------------------------

// What runs when the window is painted (DefWindowProcA's WM_PAINT); it replaces any earlier
// handler.
bool set_paint_handler(HWND window, std::function<void()> handler);
// Marks the window for painting at the next pump or UpdateWindow.
BOOL InvalidateRect(HWND window, const RECT* area, BOOL erase);
// Paints the window now if it was marked.
BOOL UpdateWindow(HWND window);

// Delivers every message pending when called: posted messages, input, paints of windows marked
// before the call, timers due now (once each). What handlers post or mark while it runs waits for
// the next pump, so a handler that posts itself cannot trap the caller. Returns how many
// messages it dispatched. WM_QUIT stays in the queue.
int pump_messages();

}  // namespace velmo::platform
