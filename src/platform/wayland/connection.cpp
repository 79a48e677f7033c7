#include "platform/wayland/connection.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "wayland/wlr-layer-shell-unstable-v1-client.h"
#include "wayland/wlr-screencopy-unstable-v1-client.h"
#include "wayland/xdg-decoration-unstable-v1-client.h"
#include "wayland/xdg-output-unstable-v1-client.h"
#include "wayland/xdg-shell-client.h"

namespace velmo::platform::wayland {

namespace {

using Clock = std::chrono::steady_clock;

int milliseconds_until(Clock::time_point end)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    return static_cast<int>(std::clamp<int64_t>(left, 0, 1 << 30));
}

void on_ping(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener wm_base_listener { on_ping };

// wl_output: the mode, transform and scale; the name and logical place come from xdg-output.
void on_geometry(void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t transform)
{
    static_cast<Output*>(data)->transform = transform;
}
void on_mode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT)
        static_cast<Output*>(data)->mode = { width, height };
}
void on_output_done(void*, wl_output*) { }
void on_scale(void* data, wl_output*, int32_t factor) { static_cast<Output*>(data)->scale = factor; }
void on_output_name(void* data, wl_output*, const char* name)
{
    auto* o = static_cast<Output*>(data);
    if (o->name.empty())
        o->name = name;
}
void on_output_description(void*, wl_output*, const char*) { }
const wl_output_listener output_listener { on_geometry, on_mode, on_output_done, on_scale, on_output_name, on_output_description };

void on_logical_position(void* data, zxdg_output_v1*, int32_t x, int32_t y)
{
    auto* o = static_cast<Output*>(data);
    o->logical.x = x;
    o->logical.y = y;
}
void on_logical_size(void* data, zxdg_output_v1*, int32_t width, int32_t height)
{
    auto* o = static_cast<Output*>(data);
    o->logical.width = width;
    o->logical.height = height;
}
void on_xdg_done(void*, zxdg_output_v1*) { }
void on_xdg_name(void* data, zxdg_output_v1*, const char* name) { static_cast<Output*>(data)->name = name; }
void on_xdg_description(void*, zxdg_output_v1*, const char*) { }
const zxdg_output_v1_listener xdg_output_listener { on_logical_position, on_logical_size, on_xdg_done, on_xdg_name, on_xdg_description };

const wl_registry_listener registry_listener { &Connection::on_global_thunk, &Connection::on_global_remove_thunk };

void on_seat_name(void*, wl_seat*, const char*) { }
const wl_seat_listener seat_listener { &Connection::on_seat_capabilities_thunk, on_seat_name };

}  // namespace

Connection::Connection(const std::string& name, std::chrono::milliseconds limit)
{
    const char* variable = std::getenv("WAYLAND_DISPLAY");
    std::string shown = !name.empty() ? name : variable ? variable : "wayland-0";
    display_ = wl_display_connect(name.empty() ? nullptr : name.c_str());
    if (!display_)
        throw ConnectionError("no Wayland compositor answers at " + shown);
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registry_listener, this);
    // The globals, then the outputs' descriptions they asked for.
    if (!roundtrip(limit) || !roundtrip(limit)) {
        close();
        throw ConnectionError("the Wayland compositor at " + shown + " does not answer");
    }
    if (!compositor_ || !shm_) {
        close();
        throw ConnectionError("the Wayland compositor offers no wl_compositor or wl_shm");
    }
}

Connection::~Connection() { close(); }

void Connection::close()
{
    if (!display_)
        return;
    for (auto& o : outputs_) {
        if (o->xdg)
            zxdg_output_v1_destroy(o->xdg);
        wl_output_destroy(o->proxy);
    }
    outputs_.clear();
    if (screencopy_)
        zwlr_screencopy_manager_v1_destroy(screencopy_);
    if (layer_shell_) {
        // Before version 3 the shell has no destroy request: the proxy alone goes.
        if (zwlr_layer_shell_v1_get_version(layer_shell_) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
            zwlr_layer_shell_v1_destroy(layer_shell_);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layer_shell_));
    }
    if (xdg_output_manager_)
        zxdg_output_manager_v1_destroy(xdg_output_manager_);
    if (decoration_manager_)
        zxdg_decoration_manager_v1_destroy(decoration_manager_);
    if (wm_base_)
        xdg_wm_base_destroy(wm_base_);
    if (seat_)
        wl_seat_destroy(seat_);
    if (shm_)
        wl_shm_destroy(shm_);
    if (compositor_)
        wl_compositor_destroy(compositor_);
    if (registry_)
        wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
    display_ = nullptr;
    registry_ = nullptr;
    compositor_ = nullptr;
    shm_ = nullptr;
    seat_ = nullptr;
    wm_base_ = nullptr;
    decoration_manager_ = nullptr;
    xdg_output_manager_ = nullptr;
    screencopy_ = nullptr;
    layer_shell_ = nullptr;
}

void Connection::on_global_thunk(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    static_cast<Connection*>(data)->on_global(registry, name, interface, version);
}

void Connection::on_global_remove_thunk(void* data, wl_registry*, uint32_t name)
{
    auto& outputs = static_cast<Connection*>(data)->outputs_;
    std::erase_if(outputs, [&](const std::unique_ptr<Output>& o) {
        if (o->global != name)
            return false;
        if (o->xdg)
            zxdg_output_v1_destroy(o->xdg);
        wl_output_destroy(o->proxy);
        return true;
    });
}

void Connection::on_seat_capabilities_thunk(void* data, wl_seat*, uint32_t capabilities)
{
    auto* self = static_cast<Connection*>(data);
    self->seat_capabilities_ = capabilities;
    if (self->on_seat_capabilities)
        self->on_seat_capabilities(capabilities);
}

void Connection::on_global(wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    auto bind = [&](const wl_interface& type, uint32_t highest) {
        return wl_registry_bind(registry, name, &type, std::min(version, highest));
    };
    std::string_view is = interface;
    if (is == wl_compositor_interface.name)
        compositor_ = static_cast<wl_compositor*>(bind(wl_compositor_interface, 4));
    else if (is == wl_shm_interface.name)
        shm_ = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
    else if (is == wl_seat_interface.name && !seat_) {
        seat_ = static_cast<wl_seat*>(bind(wl_seat_interface, 5));
        wl_seat_add_listener(seat_, &seat_listener, this);
    }
    else if (is == xdg_wm_base_interface.name) {
        wm_base_ = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface, 2));
        xdg_wm_base_add_listener(wm_base_, &wm_base_listener, nullptr);
    } else if (is == zxdg_decoration_manager_v1_interface.name)
        decoration_manager_ = static_cast<zxdg_decoration_manager_v1*>(bind(zxdg_decoration_manager_v1_interface, 1));
    else if (is == zwlr_screencopy_manager_v1_interface.name)
        screencopy_ = static_cast<zwlr_screencopy_manager_v1*>(bind(zwlr_screencopy_manager_v1_interface, 3));
    else if (is == zwlr_layer_shell_v1_interface.name)
        layer_shell_ = static_cast<zwlr_layer_shell_v1*>(bind(zwlr_layer_shell_v1_interface, 4));
    else if (is == zxdg_output_manager_v1_interface.name) {
        xdg_output_manager_ = static_cast<zxdg_output_manager_v1*>(bind(zxdg_output_manager_v1_interface, 3));
        for (auto& o : outputs_)
            describe_output(*o);
    } else if (is == wl_output_interface.name) {
        auto o = std::make_unique<Output>();
        o->global = name;
        o->proxy = static_cast<wl_output*>(bind(wl_output_interface, 4));
        wl_output_add_listener(o->proxy, &output_listener, o.get());
        describe_output(*o);
        outputs_.push_back(std::move(o));
    }
}

void Connection::describe_output(Output& o)
{
    if (!xdg_output_manager_ || o.xdg)
        return;
    o.xdg = zxdg_output_manager_v1_get_xdg_output(xdg_output_manager_, o.proxy);
    zxdg_output_v1_add_listener(o.xdg, &xdg_output_listener, &o);
}

int Connection::fd() const { return wl_display_get_fd(display_); }

bool Connection::check()
{
    if (!lost_ && wl_display_get_error(display_) != 0)
        lost_ = true;
    return !lost_;
}

bool Connection::flush()
{
    if (!check())
        return false;
    while (wl_display_flush(display_) < 0) {
        if (errno != EAGAIN) {
            lost_ = true;
            return false;
        }
        pollfd out { fd(), POLLOUT, 0 };
        if (poll(&out, 1, 1000) <= 0) {
            lost_ = true;
            return false;
        }
    }
    return true;
}

bool Connection::dispatch_pending()
{
    if (!check())
        return false;
    while (wl_display_prepare_read(display_) != 0)
        if (wl_display_dispatch_pending(display_) < 0)
            return check();
    pollfd in { fd(), POLLIN, 0 };
    if (poll(&in, 1, 0) > 0) {
        if (wl_display_read_events(display_) < 0)
            lost_ = true;
    } else
        wl_display_cancel_read(display_);
    if (!lost_ && wl_display_dispatch_pending(display_) < 0)
        lost_ = true;
    return check();
}


bool Connection::dispatch_until(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    auto end = Clock::now() + limit;
    while (!done()) {
        if (!flush())
            return false;
        while (wl_display_prepare_read(display_) != 0)
            if (wl_display_dispatch_pending(display_) < 0)
                return check() && done();
        if (done()) {
            wl_display_cancel_read(display_);
            return true;
        }
        pollfd in { fd(), POLLIN, 0 };
        int ready = poll(&in, 1, milliseconds_until(end));
        if (ready <= 0) {
            wl_display_cancel_read(display_);
            return false;
        }
        if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0) {
            lost_ = true;
            return false;
        }
        if (in.revents & (POLLHUP | POLLERR)) {
            check();
            if (!done())
                lost_ = true;
        }
    }
    return true;
}

bool Connection::roundtrip(std::chrono::milliseconds limit)
{
    bool answered = false;
    static const wl_callback_listener listener { [](void* data, wl_callback* callback, uint32_t) {
        *static_cast<bool*>(data) = true;
        wl_callback_destroy(callback);
    } };
    wl_callback* callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &listener, &answered);
    if (dispatch_until([&] { return answered; }, limit))
        return true;
    // Never answered: the callback must not write to `answered` once this frame is gone.
    if (!answered)
        wl_callback_destroy(callback);
    return false;
}

}  // namespace velmo::platform::wayland
