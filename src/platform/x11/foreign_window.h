// Other programs' windows on the X server as handles of the calling thread's display, so the
// capture calls work on them. Free of Xlib's headers, for callers that only hold a window id.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace velmo::platform::x11 {

// The handle for the X window `id` when the display is on X11 (see X11Backend::handle_of); 0 on
// the memory display or when the server knows no such window.
HWND x11_window_handle(uint64_t id);

}  // namespace velmo::platform::x11
