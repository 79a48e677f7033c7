// DisplayBackend: what the display asks of the world it runs in, and how that world answers. The
// in-memory backend keeps the screen as a bitmap composed from the windows; a backend for a real
// display server shows the windows there, reads the screen and the pointer back from it, and
// turns its input events into calls on the InputSink. Everything else (handles, windows, device
// contexts, bitmaps, regions, the message queue and timers) is the display's own and the same for
// every backend.
//
// Threads: a backend belongs to the thread of its display. Every member is called on that thread,
// except wake(), which any thread (or a signal handler) may call.
//
// Reports, display to backend (the defaults do nothing):
//   window_changed    a window appeared, moved, was resized, shown or hidden, minimised, restyled
//   window_restacked  the order of a window's children changed (top-level windows: the desktop's)
//   window_titled     the title changed
//   window_reshaped   the window region was set or removed (Window::region, window coordinates)
//   window_damaged    pixels of the window were drawn (Window::pixels holds them)
//   window_destroyed  the handle is gone; the window's children were reported before it
//
// Input and wake-ups, backend to display: the display hands the backend its InputSink once, right
// after making it (connect). While the queue has nothing to deliver it calls wait_for_events with
// the time of its next timer; the backend blocks until then, until it has input (which it delivers
// through the sink before returning), or until wake() is called. A backend on a server connection
// polls its connection's file descriptor together with a wake-up pipe.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/scene.h"
#include "platform/types.h"

namespace velmo::platform {

struct Window;

enum class MouseButton : uint8_t { Left, Right, Middle };

// Where a backend's input goes. Positions are in screen coordinates. The display turns each call
// into queued input: mouse messages for the window under the pointer, or the one holding the
// capture.
class InputSink {
public:
    virtual void pointer_moved(gfx::Point screen) = 0;
    // The button went down or up at the pointer's current position.
    virtual void button_changed(MouseButton button, bool down) = 0;

protected:
    ~InputSink() = default;
};

class DisplayBackend {
public:
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;

    virtual ~DisplayBackend() = default;

    virtual gfx::Size screen_size() const = 0;
    // 32, or 8 for a display that works through a 256-entry system palette.
    virtual int bits_per_pixel() const = 0;

    // The screen as a person sees it. `generation` changes whenever anything on the screen may
    // have changed; a backend may keep its last answer for an unchanged generation, and calls
    // `scene` only when it needs the layers.
    virtual const gfx::Bitmap& screen(uint64_t generation, const std::function<std::vector<SceneLayer>()>& scene) = 0;

    // One pixel of the screen as a pixel word, for a backend that can read it without the whole
    // screen (a display server); nothing: the display reads it from screen().
    virtual std::optional<uint32_t> screen_pixel(gfx::Point) { return std::nullopt; }

    // An area of the screen (inside it) as a bitmap of its own, for a backend that can read it
    // straight into new memory (a display server sharing memory with us); nothing: the display
    // copies the area out of screen().
    virtual std::optional<gfx::Bitmap> screen_area(gfx::Rect) { return std::nullopt; }

    // The pointer, in screen coordinates. set_cursor_position moves it (a real backend warps the
    // pointer); it is not reported back as input.
    virtual gfx::Point cursor_position() const = 0;
    virtual void set_cursor_position(gfx::Point position) = 0;

    // ---- Reports from the display ---------------------------------------------------------
    virtual void window_changed(const Window&) { }
    virtual void window_restacked(const Window& /*parent*/) { }
    virtual void window_titled(const Window&) { }
    virtual void window_reshaped(const Window&) { }
    virtual void window_damaged(const Window&) { }
    virtual void window_destroyed(HWND) { }

    // A move of the top-level window by the pointer is starting at `pointer` (screen coordinates)
    // with the left button down. True when the window system's own move takes it over (a window
    // manager then moves the window and the display hears of it); false: the display's move loop runs.
    virtual bool begin_window_move(const Window&, gfx::Point /*pointer*/) { return false; }

    // ---- Other programs' windows ------------------------------------------------------------
    // Brings a window with a server_id up to date: its rectangle (screen coordinates) and pixels
    // from the server. False when it has gone; the display then drops the handle.
    virtual bool refresh_foreign(Window&) { return false; }
    // The window the window system calls active; nothing: the display's own answer holds.
    virtual std::optional<HWND> foreground_window() { return std::nullopt; }

    // ---- Input and wake-ups ---------------------------------------------------------------
    // Called once by the display that owns the backend; the sink outlives the backend's use of it.
    void connect(InputSink& sink) { sink_ = &sink; }

    // Blocks until `deadline` (none: no limit; a past one: just collect what is there), until
    // input was delivered to the sink, or until wake(). Spurious returns are allowed.
    virtual void wait_for_events(Deadline deadline) = 0;
    // Makes a current or the next wait_for_events return soon. Safe from any thread.
    virtual void wake() = 0;

protected:
    InputSink* sink() const { return sink_; }

private:
    InputSink* sink_ = nullptr;
};

}  // namespace velmo::platform
