// ScreenOverlay: a borderless window over the whole screen showing the screen as it was when the
// overlay opened, which holds the pointer and the keyboard until it closes. The ground on which a
// person picks a point or drags out a rectangle: the frozen picture stays still while they look,
// and no click reaches the windows below. On a real display it is the backend's hold_screen; on the
// memory display the input injected into the display drives it.
#pragma once

#include <optional>

#include "gfx/bitmap.h"
#include "platform/scoped.h"
#include "platform/types.h"

namespace velmo::cli {

class ScreenOverlay {
public:
    // What the person did, in screen coordinates.
    struct Input {
        enum class Kind { Moved, LeftDown, LeftUp, Cancelled };
        Kind kind = Kind::Moved;
        gfx::Point at;
    };

    // Reads the screen and covers it. `purpose` names the option in the failure on a display where
    // no window can hold the screen.
    explicit ScreenOverlay(const char* purpose);
    ~ScreenOverlay();
    ScreenOverlay(const ScreenOverlay&) = delete;
    ScreenOverlay& operator=(const ScreenOverlay&) = delete;

    // The screen as it was when the overlay opened.
    const gfx::Bitmap& frozen() const { return frozen_; }
    // Where the pointer was when the overlay opened.
    gfx::Point pointer() const { return pointer_; }

    // Waits for the next input. Escape and the right button cancel. Moves that queued up while the
    // last one was drawn are merged into the newest. Fails (cli::fail) when the display is lost.
    Input next();
    // Shows `picture` (screen-sized) in place of what the overlay shows now.
    void show(const gfx::Bitmap& picture);
    platform::HWND window() const { return window_; }

private:
    gfx::Bitmap frozen_;
    gfx::Point pointer_;
    platform::HWND window_ = 0;
    platform::ScopedMemoryDC dc_;
    platform::ScopedGdiObject bitmap_;
    std::optional<platform::ScopedSelection> selection_;
};

}  // namespace velmo::cli
