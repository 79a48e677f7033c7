// MirrorWindow: the real X window that shows one top-level window of the display. It is kept in the
// place, size, stacking, title and shape the display gives it; the pixels come from the display's
// own bitmap, pushed through ImageWriter. A window without frame asks the window manager for no
// decorations (_MOTIF_WM_HINTS), so a skinned window shows nothing but its skin. An overlay is
// override-redirect: the window manager never sees it, so it stays exactly where it is put, on top.
//
// Every call fails softly (false) when the X window was destroyed behind the library's back.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "gfx/rect.h"
#include "platform/x11/connection.h"

namespace velmo::platform::x11 {

enum class Decorations { Bare, Frame, Overlay };

class MirrorWindow {
public:
    MirrorWindow(Connection& connection, gfx::Rect rect, Decorations decorations, const std::string& title);
    ~MirrorWindow();
    MirrorWindow(const MirrorWindow&) = delete;
    MirrorWindow& operator=(const MirrorWindow&) = delete;

    ::Window id() const { return window_; }
    gfx::Rect rect() const { return rect_; }

    bool set_rect(gfx::Rect rect);
    bool set_title(const std::string& title);
    bool set_decorations(Decorations decorations);
    bool show();
    bool hide();
    // The visible part, in window coordinates; empty `rects` shows nothing, `clear_shape` the whole
    // rectangle again.
    bool set_shape(const std::vector<gfx::Rect>& rects);
    bool clear_shape();
    // Raises the window and grabs the pointer and the keyboard for it, so every button, motion
    // and key goes to it until it is unmapped or destroyed. The server refuses a grab while
    // another client holds one, or before the window is viewable: it is tried for a short while.
    bool grab_input();

private:
    Connection& connection_;
    ::Window window_ = 0;
    gfx::Rect rect_;
};

// Puts `bottom_to_top` in that stacking order, the last one on top.
bool restack(Connection& connection, const std::vector<::Window>& bottom_to_top);

// Starts a window-manager move of `window` from the pointer at `pointer` (root coordinates) with
// `button` held, through _NET_WM_MOVERESIZE. False when no window manager offers it; the caller then
// moves the window itself.
bool begin_wm_move(Connection& connection, ::Window window, gfx::Point pointer, int button);

}  // namespace velmo::platform::x11
