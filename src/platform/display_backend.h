// DisplayBackend: what the display asks of the world it runs in, and how that world answers. The
// in-memory backend keeps the screen as a bitmap composed from the windows; a backend for a real
// display server shows the windows there, reads the screen and the pointer back from it, and
// turns what happens there into calls on the InputSink. Everything else (handles, windows, device
// contexts, bitmaps, regions, the message queue and timers) is the display's own and the same for
// every backend.
//
// The seam runs both ways and nowhere else: the display calls the members below, and a backend
// reaches the display only through its InputSink (never through the display's internals or the
// windowing calls), so calls never run display -> backend -> display by a side door.
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
//
// A new backend: implement DisplayBackend in a library of its own (src/platform/NAME), give it a
// BackendEntry, and add that entry to the registry (platform/registry/display_registry.h says how).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/pointer_image.h"
#include "platform/scene.h"
#include "platform/types.h"

namespace velmo::platform {

struct Window;

enum class MouseButton : uint8_t { Left, Right, Middle };

// What a backend tells the display, and the little it reads back. Positions are in screen
// coordinates. Pointer and buttons become queued input: mouse messages for the window under the
// pointer, or the one holding the capture. Keys, close requests and placements are posted to or
// applied on the named top-level window, as the display's own calls would do it.
class InputSink {
public:
    virtual void pointer_moved(gfx::Point screen) = 0;
    // The button went down or up at the pointer's current position.
    virtual void button_changed(MouseButton button, bool down) = 0;
    // A key (a virtual-key code) went down or up while the top-level window had the keyboard.
    virtual void key_changed(HWND window, int key, bool down) = 0;
    // The window system asks the top-level window to close (its close button, say).
    virtual void close_requested(HWND window) = 0;
    // The window manager or the person moved or resized the top-level window: `outer` is its new
    // outer rectangle. Placements the display asked for itself are not reported back.
    virtual void window_placed(HWND window, gfx::Rect outer) = 0;

    // Another program's window, known to the backend by the server's `id`, lies at `rect`: the
    // display's handle for it, entered on first sight and kept up to date after.
    virtual HWND foreign_window_seen(uint64_t id, gfx::Rect rect) = 0;
    // The server knows no window `id` any more: its handle, if it had one, is dropped.
    virtual void foreign_window_gone(uint64_t id) = 0;

    // Reading back. The desktop stands for the server's root window.
    virtual HWND desktop() const = 0;
    // The window's state; nullptr for a handle that is not a window. Valid until windows change.
    virtual const Window* window_state(HWND window) = 0;
    // The pixels a window shows, its visible children drawn in, in window coordinates: what a
    // backend puts on the server for a top-level window. nullptr for a handle that is not a window.
    virtual const gfx::Bitmap* window_pixels(HWND window) = 0;

protected:
    ~InputSink() = default;
};

// A backend cannot be had: no server answers, it does not answer in time, or the name is unknown.
// The message is one line a person can act on.
class BackendUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One monitor of the screen: the name the window system gives it and its place on the screen.
struct Monitor {
    std::string name;
    gfx::Rect rect;
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

    // Why the screen's pixels cannot be read here (a compositor that offers no screen copies);
    // nothing when they can. What reads the screen then says so instead of showing black.
    virtual std::optional<std::string> screen_unreadable() const { return std::nullopt; }

    // The monitors the screen is made of, in the window system's order; by default the whole
    // screen is the one monitor.
    virtual std::vector<Monitor> monitors() const { return { { "screen", gfx::Rect::of({}, screen_size()) } }; }

    // One pixel of the screen as a pixel word, for a backend that can read it without the whole
    // screen (a display server); nothing: the display reads it from screen().
    virtual std::optional<uint32_t> screen_pixel(gfx::Point) { return std::nullopt; }

    // An area of the screen (inside it) as a bitmap of its own, for a backend that can read it
    // straight into new memory (a display server sharing memory with us); nothing: the display
    // copies the area out of screen().
    virtual std::optional<gfx::Bitmap> screen_area(gfx::Rect) { return std::nullopt; }

    // The pointer, in screen coordinates. set_cursor_position moves it (a real backend warps the
    // pointer); it is not reported back as input. False when the window system refused the move,
    // or lets no client move the pointer at all.
    virtual gfx::Point cursor_position() const = 0;
    virtual bool set_cursor_position(gfx::Point position) = 0;
    // The pointer's picture as the display server shows it; nothing: the display draws its own
    // arrow (the in-memory screen has no picture of its own).
    virtual std::optional<PointerImage> pointer_image() { return std::nullopt; }

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

    // ---- Holding the screen ------------------------------------------------------------------
    // Puts the shown top-level window `w` over the whole screen, above every other window and out
    // of the window manager's hands, and sends it every pointer and key event until it is
    // destroyed, wherever the pointer is: a person choosing a point or an area of the screen, with
    // no click reaching the windows below. False when the window system allows no such thing
    // (the default); the caller then gives up with a line saying so.
    virtual bool hold_screen(const Window& /*w*/) { return false; }

    // ---- A person pointing at the screen ------------------------------------------------------
    // While a person picks a point of the screen with the pointer (velmo pick). A window system
    // that reports the pointer wherever it is needs nothing: the defaults. One that tells a client
    // where the pointer is only over the client's own surfaces covers the screen meanwhile with a
    // see-through surface that follows the pointer, so cursor_position() is right everywhere once
    // the pointer has been over it, and ends the pointing on a left click or Escape there.
    enum class PointingEnd : uint8_t { No, Clicked, Escaped };
    struct Pointing {
        bool pointer_known = true;  // cursor_position() is where the pointer is
        PointingEnd ended = PointingEnd::No;
    };
    // Nothing when the pointing runs; else why it cannot, in one line.
    virtual std::optional<std::string> begin_pointing() { return std::nullopt; }
    virtual Pointing pointing() const { return {}; }
    virtual void end_pointing() { }

    // ---- Other programs' windows ------------------------------------------------------------
    // Brings a window with a server_id up to date: its rectangle (screen coordinates) and pixels
    // from the server. False when it has gone; the display then drops the handle.
    virtual bool refresh_foreign(Window&) { return false; }
    // The window the window system calls active; nothing: the display's own answer holds.
    virtual std::optional<HWND> foreground_window() { return std::nullopt; }
    // The handle for another program's window the server knows by `id`, entered through the sink
    // on first use; 0 when the backend shows no other programs or the server knows no such window.
    virtual HWND foreign_window(uint64_t /*id*/) { return 0; }

    // ---- The server ---------------------------------------------------------------------------
    // Whether the windows shown here are seen by a person, who may close them.
    virtual bool is_real() const { return false; }
    // Why the connection to the server has gone, in one line; nothing while it is there. Once gone,
    // nothing shows and no input comes.
    virtual std::optional<std::string> lost() const { return std::nullopt; }

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

// How long a server backend may take to connect before it gives up with BackendUnavailable: a
// server that is stopped, or a socket that accepts and never answers, must not hold the program.
inline constexpr int connect_timeout_ms = 3000;

// A backend the registry can choose by name. `connect` makes one connected to its server (for a
// server backend: the one its usual environment variable names), or throws BackendUnavailable.
struct BackendEntry {
    std::string name;
    std::function<std::unique_ptr<DisplayBackend>()> connect;
};

}  // namespace velmo::platform
