// InputEvent: what an X event means to the display, without Xlib types: a button, a key, a
// motion, a window to repaint, a window moved or resized by someone else, or a request to close.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>

#include "gfx/rect.h"
#include "platform/x11/connection.h"

namespace velmo::platform::x11 {

struct InputEvent {
    enum class Kind { ButtonDown, ButtonUp, Motion, KeyDown, KeyUp, Repaint, Reshaped, CloseRequest, Destroyed };
    Kind kind = Kind::Motion;
    ::Window window = 0;
    gfx::Point position;  // the pointer, in window coordinates (buttons, keys, motion)
    gfx::Point screen;    // the pointer, in root coordinates
    int button = 0;       // 1 left, 2 middle, 3 right
    // A virtual-key code for the keys the library reacts to (Escape 0x1B, Return 0x0D, Space 0x20,
    // letters and digits as their upper-case character); 0 for others.
    int key = 0;
    gfx::Rect area;       // Repaint: the part to repaint; Reshaped: the new rectangle in root coordinates
};

// The meaning of `event`; nothing for events the display does not use.
std::optional<InputEvent> translate(Connection& connection, const XEvent& event);

}  // namespace velmo::platform::x11
