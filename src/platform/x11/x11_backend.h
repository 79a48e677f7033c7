// X11Backend: the display on a real X server. Each shown top-level window of the display is
// mirrored by an X window (mirror_window.h) that shows its pixels, with its children drawn in;
// reading the screen reads the root window, so other programs' windows are seen too; the pointer
// is the real one; X input comes back to the display through its InputSink: pointer, buttons,
// keys, close requests and the window manager's moves and resizes. Other programs' windows get
// handles through the sink too, on first use.
//
// Pixels are pushed lazily: drawing only marks a mirror stale, and stale mirrors are pushed before
// the screen is read and before the thread waits for events, so a gradient of many primitives
// costs one push, not one per line.
//
// What a framed window shows: the window manager draws the frame and caption, so the X window
// covers only the client area; a window without frame is mirrored whole.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/display_backend.h"
#include "platform/window.h"
#include "platform/x11/connection.h"
#include "platform/x11/image.h"
#include "platform/x11/mirror_window.h"
#include "platform/x11/pointer_probe.h"
#include "platform/x11/shared_pixels.h"

namespace velmo::platform::x11 {

class X11Backend final : public DisplayBackend {
public:
    // Connects to `display_name` (empty: DISPLAY); throws ConnectionError when no server answers
    // or it does not answer in time.
    explicit X11Backend(const std::string& display_name = {});
    ~X11Backend() override;

    gfx::Size screen_size() const override { return size_; }
    // The server's RandR monitors, in its order and by its names; the whole screen when it has none.
    std::vector<Monitor> monitors() const override;
    int bits_per_pixel() const override { return 32; }
    const gfx::Bitmap& screen(uint64_t generation, const std::function<std::vector<SceneLayer>()>& scene) override;
    std::optional<uint32_t> screen_pixel(gfx::Point at) override;
    std::optional<gfx::Bitmap> screen_area(gfx::Rect area) override;
    gfx::Point cursor_position() const override;
    bool set_cursor_position(gfx::Point position) override;
    // The cursor image the server shows now (XFixes); nothing when the server lacks the extension.
    std::optional<PointerImage> pointer_image() override;

    void window_changed(const Window& w) override;
    void window_restacked(const Window& parent) override;
    void window_titled(const Window& w) override;
    void window_reshaped(const Window& w) override;
    void window_damaged(const Window& w) override;
    void window_destroyed(HWND handle) override;
    bool begin_window_move(const Window& w, gfx::Point pointer) override;
    // The window's X window is made anew as an override-redirect overlay and grabs the pointer and
    // the keyboard.
    bool hold_screen(const Window& w) override;
    bool refresh_foreign(Window& w) override;
    // _NET_ACTIVE_WINDOW: our mirror's handle, or another program's window's.
    std::optional<HWND> foreground_window() override;
    HWND foreign_window(uint64_t id) override;
    bool is_real() const override { return true; }
    std::optional<std::string> lost() const override;

    void wait_for_events(Deadline deadline) override;
    void wake() override;

    Connection& connection() { return *connection_; }
    // The X window mirroring `handle`; 0 when it has none.
    ::Window mirror_of(HWND handle) const;
    // Pushes every stale mirror now.
    void flush();
    // The handle for the X window `id`: the desktop for the root, a mirror's own window, or another
    // program's window, entered through the sink on first use with its place read from the server.
    // 0 when the server knows no such window.
    HWND handle_of(::Window id);

private:
    struct Mirror {
        std::unique_ptr<MirrorWindow> window;
        gfx::Rect part;       // the part of the display window's pixels the X window shows
        bool framed = false;
        bool shown = false;
        bool stale = true;
        bool gone = false;    // destroyed by someone else: left alone from then on
    };

    Mirror* mirror(HWND handle);
    // The top-level window holding `w`; nullptr for the desktop and for a window of no display.
    const Window* top_level(const Window& w) const;
    // The inside of the X window in screen coordinates; nothing when it has gone.
    std::optional<gfx::Rect> server_rect(::Window id);
    void update_shape(Mirror& m, const Window& w);
    void push(HWND handle, Mirror& m);
    // Marks the mirrors the server asks to repaint, without handling any other event; `sync` first
    // waits for the server to answer everything sent, so no repaint request is still on its way.
    // True when one was for a shown mirror.
    bool collect_exposures(bool sync = true);
    // Handles the queued X events; true when one was input for the display.
    bool dispatch_pending();

    std::unique_ptr<Connection> connection_;
    ImageReader reader_;
    ImageWriter writer_;
    SharedPixels shared_pixels_;
    gfx::Size size_;
    gfx::Bitmap screen_;
    std::unordered_map<HWND, Mirror> mirrors_;
    std::unordered_map<::Window, HWND> by_x_window_;
    mutable gfx::Point last_pointer_;
    mutable PointerProbe pointer_probe_;
    // Pointer reads since a pixel was read where the pointer was: while a picker ticks this stays
    // small, and the pixel comes along with the pointer.
    mutable int pointer_reads_since_pixel_ = 1 << 20;
    // While an event is handed to the display: where the pointer was then. The display asks for
    // the pointer to place a button, and the server's pointer may have moved on since.
    std::optional<gfx::Point> event_pointer_;
    int wake_fd_ = -1;
};

// The calling thread's display backend when it is an X11Backend; nullptr otherwise.
X11Backend* current_x11_backend();

// The registry's entry for this backend: "x11", connecting to the server DISPLAY names.
BackendEntry backend_entry();

}  // namespace velmo::platform::x11
