// DisplayBackend: what the display asks of the world it runs in. The in-memory backend keeps the
// screen as a bitmap composed from the windows; a backend for a real display server would show
// the windows there and read the screen back from it. Everything else (handles, windows, device
// contexts, bitmaps, regions) is the display's own and the same for every backend.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/scene.h"
#include "platform/types.h"

namespace velmo::platform {

struct Window;

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;

    virtual gfx::Size screen_size() const = 0;
    // 32, or 8 for a display that works through a 256-entry system palette.
    virtual int bits_per_pixel() const = 0;

    // The screen as a person sees it. `generation` changes whenever anything on the screen may
    // have changed; a backend may keep its last answer for an unchanged generation, and calls
    // `scene` only when it needs the layers.
    virtual const gfx::Bitmap& screen(uint64_t generation, const std::function<std::vector<SceneLayer>()>& scene) = 0;

    // The pointer, in screen coordinates.
    virtual gfx::Point cursor_position() const = 0;
    virtual void set_cursor_position(gfx::Point position) = 0;

    // A window appeared, changed shape or place, or went away. The in-memory backend has nothing
    // to do; a real display server would mirror the window.
    virtual void window_changed(const Window&) { }
    virtual void window_destroyed(HWND) { }
};

}  // namespace velmo::platform
