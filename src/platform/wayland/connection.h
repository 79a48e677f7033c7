// Connection: one client connection to a Wayland compositor and the globals velmo binds from it
// (compositor, shared memory, seat, shell, decorations, outputs, screen copies, layer surfaces).
// The compositor is named by WAYLAND_DISPLAY or given: a socket name in XDG_RUNTIME_DIR or an
// absolute path.
//
// Every wait on the compositor is bounded, so a compositor that hangs or goes away ends a call
// with lost() or a false answer, never with a process that waits forever.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/rect.h"

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct wl_seat;
struct wl_output;
struct xdg_wm_base;
struct zxdg_decoration_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct zwlr_screencopy_manager_v1;
struct zwlr_layer_shell_v1;

namespace velmo::platform::wayland {

// No compositor answered: thrown while connecting only.
class ConnectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One output as the compositor describes it. `logical` is its place in the layout of all outputs;
// the pixels a screen copy hands back are `mode` sized and turned by `transform`.
struct Output {
    wl_output* proxy = nullptr;
    zxdg_output_v1* xdg = nullptr;
    uint32_t global = 0;
    std::string name;
    gfx::Rect logical;
    gfx::Size mode;
    int32_t transform = 0;  // wl_output_transform
    int32_t scale = 1;
};

class Connection {
public:
    // Connects to `name` (empty: WAYLAND_DISPLAY, else wayland-0) and binds the globals; throws
    // ConnectionError when nothing answers within `limit`.
    explicit Connection(const std::string& name = {}, std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    wl_display* display() const { return display_; }
    int fd() const;
    // The compositor has gone or ended the connection with a protocol error.
    bool lost() const { return lost_; }

    // Sends what is queued; false once lost.
    bool flush();
    // Reads and handles events until `done` holds or `limit` passes; false when it did not come to
    // hold (time out or lost connection).
    bool dispatch_until(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    // Waits for the compositor to handle everything sent so far.
    bool roundtrip(std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    // Reads what has arrived without waiting and handles it; false once lost.
    bool dispatch_pending();

    wl_compositor* compositor() const { return compositor_; }
    wl_shm* shm() const { return shm_; }
    wl_seat* seat() const { return seat_; }
    xdg_wm_base* wm_base() const { return wm_base_; }
    zxdg_decoration_manager_v1* decoration_manager() const { return decoration_manager_; }
    zwlr_screencopy_manager_v1* screencopy() const { return screencopy_; }
    // Surfaces on the compositor's layers (over every window); nullptr where it offers none.
    zwlr_layer_shell_v1* layer_shell() const { return layer_shell_; }
    const std::vector<std::unique_ptr<Output>>& outputs() const { return outputs_; }
    // The seat's devices (wl_seat capabilities) as last announced. The first announcement comes
    // while connecting, before anyone else can listen, so it is kept here; later ones are handed on.
    uint32_t seat_capabilities() const { return seat_capabilities_; }
    std::function<void(uint32_t)> on_seat_capabilities;

    // Registry events, handed on by the listener.
    static void on_global_thunk(void*, wl_registry*, uint32_t, const char*, uint32_t);
    static void on_global_remove_thunk(void*, wl_registry*, uint32_t);
    static void on_seat_capabilities_thunk(void*, wl_seat*, uint32_t);

private:
    void on_global(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    void describe_output(Output& output);
    void close();
    bool check();

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    wl_seat* seat_ = nullptr;
    xdg_wm_base* wm_base_ = nullptr;
    zxdg_decoration_manager_v1* decoration_manager_ = nullptr;
    zxdg_output_manager_v1* xdg_output_manager_ = nullptr;
    zwlr_screencopy_manager_v1* screencopy_ = nullptr;
    zwlr_layer_shell_v1* layer_shell_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;
    uint32_t seat_capabilities_ = 0;
    bool lost_ = false;
};

}  // namespace velmo::platform::wayland
