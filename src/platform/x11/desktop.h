// Questions about the whole X screen: the pointer, the active window, where another program's
// window is. Each answers "nothing" (or false) for a window that has gone, never ending the process.
#pragma once

#include <X11/Xlib.h>

#include <optional>

#include "gfx/rect.h"
#include "platform/x11/connection.h"

namespace velmo::platform::x11 {

std::optional<gfx::Point> pointer_position(Connection& connection);
bool warp_pointer(Connection& connection, gfx::Point to);

// The window _NET_ACTIVE_WINDOW names; nothing when no window manager keeps it or none is active.
std::optional<::Window> active_window(Connection& connection);

// The window's rectangle in root coordinates; nothing for a window that does not exist.
std::optional<gfx::Rect> window_rect(Connection& connection, ::Window window);
bool is_viewable(Connection& connection, ::Window window);

}  // namespace velmo::platform::x11
