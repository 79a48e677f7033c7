// WaylandBackend: the display on a Wayland compositor. Each shown top-level window of the display
// is an xdg_toplevel (toplevel.h) showing its pixels; reading the screen reads the outputs through
// screen copies, laid out as one screen by their logical places; pointer and buttons over velmo's
// own windows, keys and close requests come back through the InputSink.
//
// A Wayland client can neither place its windows nor learn where they are, nor see the pointer
// outside its own surfaces, nor move it: velmo keeps its own idea of where its windows stand,
// the pointer is where it was last seen over them, and moving it fails. While a person points at
// the screen, a see-through overlay (pointer_overlay.h) follows the pointer everywhere.
//
// Pixels are pushed lazily, as on X11: drawing marks a window stale, and stale windows are pushed
// before the screen is read and before the thread waits for events.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/display_backend.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/kept_pixels.h"
#include "platform/wayland/pointer_overlay.h"
#include "platform/wayland/screencopy.h"
#include "platform/wayland/toplevel.h"
#include "platform/window.h"

struct wl_pointer;
struct wl_keyboard;

namespace velmo::platform::wayland {

class WaylandBackend final : public DisplayBackend {
public:
    // Connects to `name` (empty: WAYLAND_DISPLAY); throws ConnectionError when no compositor answers.
    explicit WaylandBackend(const std::string& name = {});
    ~WaylandBackend() override;

    gfx::Size screen_size() const override;
    std::optional<std::string> screen_unreadable() const override;
    // The outputs in the compositor's order, by their names, each at its place on velmo's screen.
    std::vector<Monitor> monitors() const override;
    int bits_per_pixel() const override { return 32; }
    const gfx::Bitmap& screen(uint64_t generation, const std::function<std::vector<SceneLayer>()>& scene) override;
    std::optional<uint32_t> screen_pixel(gfx::Point at) override;
    std::optional<gfx::Bitmap> screen_area(gfx::Rect area) override;
    gfx::Point cursor_position() const override;
    // No client may move the pointer on Wayland.
    bool set_cursor_position(gfx::Point) override { return false; }

    // Needs the compositor's layer surfaces; says so where it has none.
    std::optional<std::string> begin_pointing() override;
    Pointing pointing() const override;
    void end_pointing() override;

    void window_changed(const Window& w) override;
    void window_titled(const Window& w) override;
    void window_reshaped(const Window& w) override;
    void window_damaged(const Window& w) override;
    void window_destroyed(HWND handle) override;
    bool begin_window_move(const Window& w, gfx::Point pointer) override;

    bool is_real() const override { return true; }
    std::optional<std::string> lost() const override;

    void wait_for_events(Deadline deadline) override;
    void wake() override;

    Connection& connection() { return *connection_; }
    // Pushes every stale window now.
    void flush();

    // Seat events, handed on by the listeners.
    void pointer_entered(wl_surface* surface, double x, double y, uint32_t serial = 0);
    void pointer_moved(double x, double y);
    void pointer_button(uint32_t serial, uint32_t button, bool down);
    void key(uint32_t code, bool down);
    void keyboard_entered(wl_surface* surface);
    void seat_capabilities(uint32_t capabilities);

private:
    struct Shown {
        std::unique_ptr<Toplevel> toplevel;
        gfx::Rect part;  // the part of the window's pixels the surface shows
        bool framed = false;
        bool stale = true;
    };

    Shown* shown(HWND handle);
    HWND owner_of(wl_surface* surface) const;
    const Window* top_level(const Window& w) const;
    void update_region(Shown& s, const Window& w);
    void push(HWND handle, Shown& s);
    bool read_area(gfx::Rect area, gfx::Bitmap& out, gfx::Point at);
    bool within_one_output(gfx::Rect area) const;

    std::unique_ptr<Connection> connection_;
    std::unique_ptr<PointerOverlay> overlay_;  // while a person points at the screen
    ScreenCopier copier_;
    KeptPixels kept_pixels_;  // for screen reads a picture takes over
    gfx::Bitmap screen_ { {} };
    std::unordered_map<HWND, Shown> windows_;
    wl_pointer* pointer_device_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    HWND pointer_over_ = 0;
    HWND keyboard_focus_ = 0;
    uint32_t press_serial_ = 0;
    gfx::Point pointer_;
    bool input_ = false;
    int wake_fd_ = -1;
};

// The calling thread's display backend when it is a WaylandBackend; nullptr otherwise.
WaylandBackend* current_wayland_backend();

// The registry's entry for this backend: "wayland", connecting to the compositor WAYLAND_DISPLAY
// names (a socket name or an absolute path).
BackendEntry backend_entry();

}  // namespace velmo::platform::wayland
