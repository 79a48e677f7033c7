// The display of the calling thread: its screen, its windows and its drawing objects, behind the
// windowing and drawing calls of gdi.h and user.h. This header holds what those calls do not
// cover: choosing the display, making windows for the host's forms and controls, and reaching the
// pixels behind a device context for the host's own drawing.
//
// Each thread has its own display, made on first use with the default options; objects are used
// on the thread that made them. Replacing the display invalidates every handle of the old one:
// handle values are not reused on a thread (until some two thousand million later), so an old
// handle fails cleanly afterwards.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/types.h"
#include "platform/window.h"

namespace velmo::platform {

class DisplayBackend;

// The time timers run on: the monotonic clock, or a virtual one that stands still until
// advance_clock() moves it (or a wait for a timer jumps it to that timer), for tests.
enum class ClockKind { Monotonic, Virtual };

struct DisplayOptions {
    gfx::Size screen { 1280, 800 };
    // 8 makes a palette display: GetDeviceCaps reports a 256-entry palette.
    int bits_per_pixel = 32;
    gfx::Color desktop { 0x3A, 0x6E, 0xA5 };
    ClockKind clock = ClockKind::Monotonic;
    // Makes the backend the display runs on, given these options; empty: the in-memory screen of
    // `screen` and `bits_per_pixel`. The desktop takes the backend's screen size.
    std::function<std::unique_ptr<DisplayBackend>(const DisplayOptions&)> backend {};
};

// Replaces the calling thread's display with a new, empty one.
void reset_display(const DisplayOptions& options = {});
const DisplayOptions& display_options();
// The backend the calling thread's display runs on; platform/registry/display_registry.h chooses it
// by name.
DisplayBackend& display_backend();
// Another program's window, by the id its display server knows it by, as a handle of this display
// (entered on first use); 0 on the memory display or when the server knows no such window.
HWND foreign_window(uint64_t server_id);

struct WindowDesc {
    HWND parent = 0;         // 0: a top-level window
    gfx::Rect rect;          // outer rectangle, in the parent's client coordinates
    WindowStyle style;
    std::string title;
    gfx::Color background { 255, 255, 255 };
    bool visible = false;
};

// Makes a window whose client area is filled with its background; 0 when the parent is not a
// window or the size is unreasonable. A visible top-level window comes to the top.
HWND create_window(const WindowDesc& desc);
// The top-level windows, bottom to top.
std::vector<HWND> top_level_windows();
// A window's state for reading; nullptr for a stale handle. Valid until the next call that
// changes windows.
const Window* find_window(HWND window);
// Changes the frame and caption, keeping the outer rectangle; the client pixels stay where they
// were on the screen as far as they fit.
bool set_window_style(HWND window, WindowStyle style);
bool set_window_background(HWND window, gfx::Color color);
// Minimises, maximises or restores the window without showing or hiding it.
bool set_window_show_state(HWND window, ShowState state);

// Where drawing through a device context lands: `origin` is where the context's (0, 0) lies in
// `bitmap`, and only `clip` may change. After drawing on a target that shows on the screen, call
// screen_changed() with its window.
struct DrawingTarget {
    gfx::Bitmap* bitmap = nullptr;
    gfx::Point origin;
    gfx::Rect clip;
    bool shows_on_screen = false;
    HWND window = 0;  // whose pixels these are: a window, the desktop for the screen, 0 for memory
};
std::optional<DrawingTarget> drawing_target(HDC dc);
// The screen may show something new; `drawn` (when given) is the window whose pixels changed.
void screen_changed(HWND drawn = 0);

// Shows the bitmap selected into `memory_dc` in the window's client area from the bitmap's
// (0, 0), as BitBlt(client context, 0, 0, client width, client height, memory_dc, 0, 0, SRCCOPY)
// would. The memory display copies it only when the window or the screen is next read or drawn
// on, or the bitmap is about to change; until then nothing is copied or composed.
bool show_bitmap(HWND window, HDC memory_dc);

// What reading through a device context sees: for a window, the window with its visible child
// windows; for the screen, the composed screen.
struct ReadingSource {
    const gfx::Bitmap* bitmap = nullptr;
    gfx::Point origin;
    gfx::Rect area;
};
std::optional<ReadingSource> reading_source(HDC dc);

// The bitmap behind a bitmap handle, for copying pictures in and out; nullptr for a stale handle.
const gfx::Bitmap* bitmap_pixels(HBITMAP bitmap);
// Moves the pixels out of a bitmap, which is 0 x 0 afterwards; nothing for an unknown or stock
// bitmap, or one selected into a device context.
std::optional<gfx::Bitmap> take_bitmap_pixels(HBITMAP bitmap);

// How many times the screen has been composed on this thread's display: reads of an unchanged
// screen must not add to it.
uint64_t screen_compositions();

}  // namespace velmo::platform
