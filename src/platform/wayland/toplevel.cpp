#include "platform/wayland/toplevel.h"

#include <wayland-client.h>

#include <cstring>

#include "wayland/xdg-decoration-unstable-v1-client.h"
#include "wayland/xdg-shell-client.h"

namespace velmo::platform::wayland {

namespace {

void on_surface_configure(void* data, xdg_surface* surface, uint32_t serial)
{
    xdg_surface_ack_configure(surface, serial);
    *static_cast<bool*>(data) = true;
}
const xdg_surface_listener surface_listener { on_surface_configure };

// The window keeps velmo's size whatever the compositor suggests: velmo's windows are laid out by
// their program, and a fixed one says so through its minimum and maximum size.
void on_toplevel_configure(void*, xdg_toplevel*, int32_t, int32_t, wl_array*) { }
void on_toplevel_close(void* data, xdg_toplevel*)
{
    auto* self = static_cast<Toplevel*>(data);
    if (self->on_close)
        self->on_close();
}
void on_configure_bounds(void*, xdg_toplevel*, int32_t, int32_t) { }
void on_wm_capabilities(void*, xdg_toplevel*, wl_array*) { }
const xdg_toplevel_listener toplevel_listener { on_toplevel_configure, on_toplevel_close, on_configure_bounds, on_wm_capabilities };

wl_region* make_region(wl_compositor* compositor, const std::vector<gfx::Rect>& rects)
{
    wl_region* region = wl_compositor_create_region(compositor);
    for (const gfx::Rect& r : rects)
        wl_region_add(region, r.x, r.y, r.width, r.height);
    return region;
}

}  // namespace

Toplevel::Toplevel(Connection& connection, Decorations decorations, const std::string& title)
    : connection_(connection)
{
    surface_ = wl_compositor_create_surface(connection.compositor());
    xdg_surface_ = xdg_wm_base_get_xdg_surface(connection.wm_base(), surface_);
    xdg_surface_add_listener(xdg_surface_, &surface_listener, &configured_);
    toplevel_ = xdg_surface_get_toplevel(xdg_surface_);
    xdg_toplevel_add_listener(toplevel_, &toplevel_listener, this);
    xdg_toplevel_set_app_id(toplevel_, "velmo");
    set_title(title);
    if (connection.decoration_manager())
        decoration_ = zxdg_decoration_manager_v1_get_toplevel_decoration(connection.decoration_manager(), toplevel_);
    set_decorations(decorations);
}

Toplevel::~Toplevel()
{
    if (decoration_)
        zxdg_toplevel_decoration_v1_destroy(decoration_);
    xdg_toplevel_destroy(toplevel_);
    xdg_surface_destroy(xdg_surface_);
    wl_surface_destroy(surface_);
    connection_.flush();
}

void Toplevel::set_title(const std::string& title) { xdg_toplevel_set_title(toplevel_, title.c_str()); }

void Toplevel::set_decorations(Decorations decorations)
{
    if (decoration_)
        zxdg_toplevel_decoration_v1_set_mode(decoration_, decorations == Decorations::Frame
                                                              ? ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE
                                                              : ZXDG_TOPLEVEL_DECORATION_V1_MODE_CLIENT_SIDE);
}

void Toplevel::set_fixed_size(gfx::Size size)
{
    xdg_toplevel_set_min_size(toplevel_, size.width, size.height);
    xdg_toplevel_set_max_size(toplevel_, size.width, size.height);
}

void Toplevel::set_region(std::optional<Region> region)
{
    region_ = std::move(region);
    if (!region_) {
        wl_surface_set_input_region(surface_, nullptr);
    } else {
        wl_region* input = make_region(connection_.compositor(), region_->rects());
        wl_surface_set_input_region(surface_, input);
        wl_region_destroy(input);
    }
    // Every buffer is written whole again with the new see-through parts.
    for (auto& b : buffers_)
        b.reset();
}

void Toplevel::map()
{
    // The first commit without a buffer asks for the first configure; a buffer may be attached
    // only once it is acknowledged.
    wl_surface_attach(surface_, nullptr, 0, 0);
    wl_surface_commit(surface_);
    configured_ = false;
    connection_.dispatch_until([&] { return configured_; });
}

void Toplevel::push(const gfx::Bitmap& source, gfx::Rect part)
{
    if (connection_.lost() || part.is_empty())
        return;
    if (!shown_) {
        map();
        shown_ = true;
    }
    if (part.size() != size_) {
        size_ = part.size();
        for (auto& b : buffers_)
            b.reset();
    }
    ShmBuffer* target = nullptr;
    bool fresh = false;
    for (auto& b : buffers_) {
        if (!b) {
            b = std::make_unique<ShmBuffer>(connection_.shm(), size_, size_.width * 4, WL_SHM_FORMAT_ARGB8888);
            fresh = true;
        }
        if (!b->busy) {
            target = b.get();
            break;
        }
    }
    if (!target) {
        // Both buffers still on screen: wait briefly for one, else a third one is not worth it.
        connection_.dispatch_until([&] { return !buffers_[0]->busy || !buffers_[1]->busy; }, std::chrono::milliseconds(100));
        target = buffers_[0]->busy ? buffers_[1].get() : buffers_[0].get();
        fresh = false;
    }
    // Rows that differ from what this buffer last showed are the damage.
    int first = size_.height, last = -1;
    for (int y = 0; y < size_.height; ++y) {
        const uint32_t* from = source.scanline(part.y + y) + part.x;
        uint32_t* to = target->row(y);
        bool changed = false;
        for (int x = 0; x < size_.width; ++x) {
            uint32_t alpha = !region_ || region_->contains(x, y) ? 0xFF000000u : 0u;
            uint32_t word = alpha ? (from[x] | alpha) : 0u;
            changed |= to[x] != word;
            to[x] = word;
        }
        if (changed) {
            first = std::min(first, y);
            last = y;
        }
    }
    if (fresh) {
        first = 0;
        last = size_.height - 1;
    }
    wl_surface_attach(surface_, target->buffer(), 0, 0);
    if (last >= first)
        wl_surface_damage_buffer(surface_, 0, first, size_.width, last - first + 1);
    target->busy = true;
    wl_surface_commit(surface_);
    connection_.flush();
}

void Toplevel::hide()
{
    if (!shown_)
        return;
    wl_surface_attach(surface_, nullptr, 0, 0);
    wl_surface_commit(surface_);
    connection_.flush();
    shown_ = false;
    for (auto& b : buffers_)
        b.reset();
}

void Toplevel::begin_move(wl_seat* seat, uint32_t serial)
{
    xdg_toplevel_move(toplevel_, seat, serial);
    connection_.flush();
}

}  // namespace velmo::platform::wayland
