// The thread's window messages, as far as the display delivers them: paints of invalidated
// windows. The host's DoEvents pumps them (host/do_events.h); timers and input come here later.
#pragma once

#include <functional>

#include "platform/types.h"

namespace velmo::platform {

// What runs when the window is painted; it replaces any earlier handler.
bool set_paint_handler(HWND window, std::function<void()> handler);

// Marks the window for painting at the next pump or UpdateWindow.
BOOL InvalidateRect(HWND window, const RECT* area, BOOL erase);
// Paints the window now if it was marked.
BOOL UpdateWindow(HWND window);

// Delivers every pending message of the thread: paints windows marked before the call, in the
// order they were marked. Windows marked while it runs wait for the next pump.
void pump_messages();

}  // namespace velmo::platform
