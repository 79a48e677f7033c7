// PointerOverlay: a fully transparent layer surface over every output, for a person picking a point
// of the screen. A Wayland client learns where the pointer is only over its own surfaces; with one
// of these over each output, the pointer is always over one, so its place on velmo's screen is the
// output's place plus the surface-local position the enter and motion events give. A left click
// (on its release) or Escape ends the picking.
//
// The surfaces sit on the overlay layer, anchored to every edge with an exclusive zone of -1, so
// they cover panels too and push nothing aside. Their pixels have alpha 0: the compositor shows,
// and a screen copy reads, what lies under them. Over them the pointer is a crosshair whose middle
// is see-through too, so that a compositor drawing the pointer into the picture it copies (one
// without a cursor plane) still gives the colour under it, not the pointer's own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "gfx/rect.h"
#include "platform/display_backend.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/shm_buffer.h"

struct wl_pointer;
struct wl_surface;
struct zwlr_layer_surface_v1;

namespace velmo::platform::wayland {

class PointerOverlay {
public:
    // One surface per output, each at its place on velmo's screen. Waits for the compositor to
    // size and show them; throws std::runtime_error when it does not.
    PointerOverlay(Connection& connection, const std::vector<std::pair<const Output*, gfx::Point>>& outputs);
    ~PointerOverlay();
    PointerOverlay(const PointerOverlay&) = delete;
    PointerOverlay& operator=(const PointerOverlay&) = delete;

    // Where the pointer is on velmo's screen; nothing until it has been over a surface.
    std::optional<gfx::Point> pointer() const { return pointer_; }
    DisplayBackend::PointingEnd ended() const { return ended_; }

    // Whether `surface` is one of the overlay's.
    bool owns(wl_surface* surface) const;
    // Whether the pointer or the keyboard is on one of the overlay's surfaces now.
    bool has_pointer() const { return over_ != nullptr; }
    bool has_keyboard() const { return keyboard_ != nullptr; }

    // Seat events the backend hands on: `surface` nullptr for a leave. An enter on one of the
    // overlay's surfaces sets the crosshair on `pointer` with the enter's `serial`.
    void pointer_entered(wl_pointer* pointer, uint32_t serial, wl_surface* surface, double x, double y);
    void pointer_moved(double x, double y);
    void button(uint32_t button, bool down);
    void keyboard_entered(wl_surface* surface);
    void key(uint32_t code, bool down);

    // Layer surface events.
    void configured(zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height);
    void closed(zwlr_layer_surface_v1* layer);

private:
    struct Cover {
        wl_surface* surface = nullptr;
        zwlr_layer_surface_v1* layer = nullptr;
        gfx::Point origin;  // the output's top-left corner on velmo's screen
        std::unique_ptr<ShmBuffer> buffer;
        bool configured = false;
    };
    Cover* cover_of(wl_surface* surface);
    Cover* cover_of(zwlr_layer_surface_v1* layer);

    Connection& connection_;
    std::vector<Cover> covers_;
    wl_surface* crosshair_ = nullptr;
    std::unique_ptr<ShmBuffer> crosshair_pixels_;
    const Cover* over_ = nullptr;
    wl_surface* keyboard_ = nullptr;
    std::optional<gfx::Point> pointer_;
    bool pressed_ = false;
    DisplayBackend::PointingEnd ended_ = DisplayBackend::PointingEnd::No;
};

}  // namespace velmo::platform::wayland
