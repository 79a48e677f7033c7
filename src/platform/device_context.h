// DeviceContext: what a device-context handle stands for: a window's client area or whole window,
// the whole screen, or a memory context drawing into the bitmap selected into it.
#pragma once

#include "platform/types.h"

namespace velmo::platform {

struct DeviceContext {
    enum class Kind {
        Screen,       // the whole screen: reads see the composed screen, writes go to the desktop
        Window,       // a whole window, frame included
        Client,       // a window's client area
        Memory,       // the bitmap selected into it
    };

    HDC handle = 0;
    Kind kind = Kind::Memory;
    HWND window = 0;           // Window and Client
    HBITMAP bitmap = 0;        // Memory: the bitmap selected now (the stock bitmap at first)
    HPALETTE palette = 0;      // the palette selected now (0: the default palette)
    bool owned_by_window = false;  // a window's own context: ReleaseDC keeps it
};

}  // namespace velmo::platform
