// Toplevel: the xdg_toplevel that shows one top-level window of the display. Its pixels go through
// two wl_shm buffers in turn (one may still be read by the compositor); only the rows that changed
// since a buffer was last written are damaged. A window region becomes alpha 0 outside it plus the
// surface's input region, so the desktop shows through and clicks go through.
//
// A framed window asks for server-side decoration, a bare one for client-side decoration and draws
// none. A fixed-size window sets equal minimum and maximum sizes, which tiling compositors float.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/region.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/shm_buffer.h"

struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct zxdg_toplevel_decoration_v1;

namespace velmo::platform::wayland {

enum class Decorations { Bare, Frame };

class Toplevel {
public:
    Toplevel(Connection& connection, Decorations decorations, const std::string& title);
    ~Toplevel();
    Toplevel(const Toplevel&) = delete;
    Toplevel& operator=(const Toplevel&) = delete;

    wl_surface* surface() const { return surface_; }
    bool shown() const { return shown_; }

    void set_title(const std::string& title);
    void set_decorations(Decorations decorations);
    // Pins the size the window must have; the compositor is asked for exactly that.
    void set_fixed_size(gfx::Size size);
    // The part of the surface that shows and takes input, surface coordinates; none: all of it.
    void set_region(std::optional<Region> region);

    // Shows the pixels of `part` of `source` (the first push maps the window); hide() unmaps it.
    void push(const gfx::Bitmap& source, gfx::Rect part);
    void hide();
    // Hands a move by the pointer to the compositor, from the press with `serial`.
    void begin_move(wl_seat* seat, uint32_t serial);

    // The person asked to close the window.
    std::function<void()> on_close;

private:
    void map();

    Connection& connection_;
    wl_surface* surface_ = nullptr;
    xdg_surface* xdg_surface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    zxdg_toplevel_decoration_v1* decoration_ = nullptr;
    std::array<std::unique_ptr<ShmBuffer>, 2> buffers_;
    std::optional<Region> region_;
    gfx::Size size_;
    bool configured_ = false;
    bool shown_ = false;
};

}  // namespace velmo::platform::wayland
