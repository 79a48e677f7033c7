#include "platform/wayland/pointer_overlay.h"

#include <wayland-client.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "wayland/wlr-layer-shell-unstable-v1-client.h"

namespace velmo::platform::wayland {

namespace {

void on_configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height)
{
    static_cast<PointerOverlay*>(data)->configured(layer, serial, width, height);
}
void on_closed(void* data, zwlr_layer_surface_v1* layer) { static_cast<PointerOverlay*>(data)->closed(layer); }
const zwlr_layer_surface_v1_listener layer_listener { on_configure, on_closed };

// Linux input codes.
constexpr uint32_t left_button = 0x110;
constexpr uint32_t escape_key = 1;

// The crosshair: white arms outlined in black, ending `gap` pixels short of the middle pixel, its
// hot spot, so the middle and what is next to it stay see-through.
constexpr int crosshair_size = 21;
constexpr int crosshair_middle = crosshair_size / 2;

void draw_crosshair(ShmBuffer& pixels)
{
    constexpr int gap = 3;
    for (int y = 0; y < crosshair_size; ++y) {
        uint32_t* row = pixels.row(y);
        for (int x = 0; x < crosshair_size; ++x) {
            int dx = std::abs(x - crosshair_middle), dy = std::abs(y - crosshair_middle);
            bool arm = (dx <= 1 || dy <= 1) && std::max(dx, dy) > gap;
            bool centre_line = dx == 0 || dy == 0;
            // Premultiplied ARGB: opaque white, opaque black, or nothing.
            row[x] = !arm ? 0u : centre_line ? 0xFFFFFFFFu : 0xFF000000u;
        }
    }
}

}  // namespace

PointerOverlay::PointerOverlay(Connection& connection, const std::vector<std::pair<const Output*, gfx::Point>>& outputs)
    : connection_(connection)
{
    if (!connection.layer_shell())
        throw std::runtime_error("the compositor offers no layer surfaces");
    covers_.reserve(outputs.size());
    for (const auto& [output, origin] : outputs) {
        Cover& c = covers_.emplace_back();
        c.origin = origin;
        c.surface = wl_compositor_create_surface(connection.compositor());
        c.layer = zwlr_layer_shell_v1_get_layer_surface(
            connection.layer_shell(), c.surface, output->proxy, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "velmo-pointer");
        zwlr_layer_surface_v1_add_listener(c.layer, &layer_listener, this);
        zwlr_layer_surface_v1_set_anchor(c.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
                | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_exclusive_zone(c.layer, -1);
        // Exclusive, not on-demand: an on-demand surface gets the keyboard only once clicked, and
        // Escape must end the picking before any click.
        zwlr_layer_surface_v1_set_keyboard_interactivity(c.layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
        // The first commit has no buffer: it asks the compositor for the surface's size.
        wl_surface_commit(c.surface);
    }
    bool all = connection.dispatch_until([this] {
        for (const Cover& c : covers_)
            if (c.layer && !c.configured)
                return false;
        return true;
    });
    if (!all)
        throw std::runtime_error("the compositor did not show the layer surfaces that follow the pointer");
    crosshair_ = wl_compositor_create_surface(connection.compositor());
    crosshair_pixels_ = std::make_unique<ShmBuffer>(
        connection.shm(), gfx::Size { crosshair_size, crosshair_size }, crosshair_size * 4, WL_SHM_FORMAT_ARGB8888);
    draw_crosshair(*crosshair_pixels_);
    connection.flush();
}

PointerOverlay::~PointerOverlay()
{
    if (crosshair_)
        wl_surface_destroy(crosshair_);
    for (Cover& c : covers_) {
        if (c.layer)
            zwlr_layer_surface_v1_destroy(c.layer);
        if (c.surface)
            wl_surface_destroy(c.surface);
    }
    connection_.flush();
}

PointerOverlay::Cover* PointerOverlay::cover_of(wl_surface* surface)
{
    for (Cover& c : covers_)
        if (surface && c.surface == surface)
            return &c;
    return nullptr;
}

PointerOverlay::Cover* PointerOverlay::cover_of(zwlr_layer_surface_v1* layer)
{
    for (Cover& c : covers_)
        if (layer && c.layer == layer)
            return &c;
    return nullptr;
}

bool PointerOverlay::owns(wl_surface* surface) const
{
    return std::any_of(covers_.begin(), covers_.end(), [&](const Cover& c) { return surface && c.surface == surface; });
}

void PointerOverlay::configured(zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height)
{
    Cover* c = cover_of(layer);
    if (!c)
        return;
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    gfx::Size size { int(width), int(height) };
    if (size.width <= 0 || size.height <= 0)
        return;
    if (!c->buffer || c->buffer->size() != size) {
        // Memory fresh from the kernel is zero: ARGB 0, every pixel fully transparent.
        c->buffer = std::make_unique<ShmBuffer>(connection_.shm(), size, size.width * 4, WL_SHM_FORMAT_ARGB8888);
        wl_surface_attach(c->surface, c->buffer->buffer(), 0, 0);
        wl_surface_damage(c->surface, 0, 0, size.width, size.height);
    }
    wl_surface_commit(c->surface);
    c->configured = true;
}

void PointerOverlay::closed(zwlr_layer_surface_v1* layer)
{
    // The output went away: its surface goes with it.
    Cover* c = cover_of(layer);
    if (!c)
        return;
    if (over_ == c)
        over_ = nullptr;
    if (keyboard_ == c->surface)
        keyboard_ = nullptr;
    zwlr_layer_surface_v1_destroy(c->layer);
    wl_surface_destroy(c->surface);
    c->layer = nullptr;
    c->surface = nullptr;
    c->buffer.reset();
}

void PointerOverlay::pointer_entered(wl_pointer* pointer, uint32_t serial, wl_surface* surface, double x, double y)
{
    over_ = cover_of(surface);
    if (!over_)
        return;
    if (pointer && crosshair_) {
        wl_pointer_set_cursor(pointer, serial, crosshair_, crosshair_middle, crosshair_middle);
        wl_surface_attach(crosshair_, crosshair_pixels_->buffer(), 0, 0);
        wl_surface_damage(crosshair_, 0, 0, crosshair_size, crosshair_size);
        wl_surface_commit(crosshair_);
    }
    pointer_moved(x, y);
}

void PointerOverlay::pointer_moved(double x, double y)
{
    if (over_)
        pointer_ = gfx::Point { over_->origin.x + int(std::floor(x)), over_->origin.y + int(std::floor(y)) };
}

void PointerOverlay::button(uint32_t code, bool down)
{
    if (!over_ || code != left_button)
        return;
    // The click ends on its release, so the release, too, lands here and not on what lies below.
    if (down)
        pressed_ = true;
    else if (pressed_ && ended_ == DisplayBackend::PointingEnd::No)
        ended_ = DisplayBackend::PointingEnd::Clicked;
}

void PointerOverlay::keyboard_entered(wl_surface* surface) { keyboard_ = cover_of(surface) ? surface : nullptr; }

void PointerOverlay::key(uint32_t code, bool down)
{
    if (keyboard_ && down && code == escape_key && ended_ == DisplayBackend::PointingEnd::No)
        ended_ = DisplayBackend::PointingEnd::Escaped;
}

}  // namespace velmo::platform::wayland
