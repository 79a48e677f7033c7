#include "platform/wayland/wayland_backend.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/display.h"
#include "platform/wayland/output_layout.h"

namespace velmo::platform::wayland {

namespace {

bool is_framed(const Window& w) { return w.style.border > 0 || w.style.caption > 0; }

// The part of the window's pixels its surface shows: the client area when the compositor draws
// the frame, else everything.
gfx::Rect shown_part(const Window& w) { return is_framed(w) ? w.client_rect() : w.pixels.rect(); }

WaylandBackend* self(void* data) { return static_cast<WaylandBackend*>(data); }

// Linux input key codes of the keys velmo's programs look at, and their virtual-key codes.
int virtual_key(uint32_t code)
{
    static constexpr struct {
        uint32_t code;
        int key;
    } keys[] = {
        { 1, 0x1B }, { 14, 0x08 }, { 15, 0x09 }, { 28, 0x0D }, { 57, 0x20 },
        { 103, 0x26 }, { 105, 0x25 }, { 106, 0x27 }, { 108, 0x28 },
        { 2, '1' }, { 3, '2' }, { 4, '3' }, { 5, '4' }, { 6, '5' }, { 7, '6' }, { 8, '7' }, { 9, '8' }, { 10, '9' }, { 11, '0' },
        { 16, 'Q' }, { 17, 'W' }, { 18, 'E' }, { 19, 'R' }, { 20, 'T' }, { 21, 'Y' }, { 22, 'U' }, { 23, 'I' }, { 24, 'O' }, { 25, 'P' },
        { 30, 'A' }, { 31, 'S' }, { 32, 'D' }, { 33, 'F' }, { 34, 'G' }, { 35, 'H' }, { 36, 'J' }, { 37, 'K' }, { 38, 'L' },
        { 44, 'Z' }, { 45, 'X' }, { 46, 'C' }, { 47, 'V' }, { 48, 'B' }, { 49, 'N' }, { 50, 'M' },
    };
    for (const auto& k : keys)
        if (k.code == code)
            return k.key;
    return 0;
}

void on_pointer_enter(void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    self(data)->pointer_entered(surface, wl_fixed_to_double(x), wl_fixed_to_double(y), serial);
}
void on_pointer_leave(void* data, wl_pointer*, uint32_t, wl_surface*) { self(data)->pointer_entered(nullptr, 0, 0); }
void on_pointer_motion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    self(data)->pointer_moved(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void on_pointer_button(void* data, wl_pointer*, uint32_t serial, uint32_t, uint32_t button, uint32_t state)
{
    self(data)->pointer_button(serial, button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}
void on_axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) { }
void on_frame(void*, wl_pointer*) { }
void on_axis_source(void*, wl_pointer*, uint32_t) { }
void on_axis_stop(void*, wl_pointer*, uint32_t, uint32_t) { }
void on_axis_discrete(void*, wl_pointer*, uint32_t, int32_t) { }
const wl_pointer_listener pointer_listener { on_pointer_enter, on_pointer_leave, on_pointer_motion, on_pointer_button, on_axis,
    on_frame, on_axis_source, on_axis_stop, on_axis_discrete };

void on_keymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
void on_keyboard_enter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) { self(data)->keyboard_entered(surface); }
void on_keyboard_leave(void* data, wl_keyboard*, uint32_t, wl_surface*) { self(data)->keyboard_entered(nullptr); }
void on_key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state)
{
    self(data)->key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
}
void on_modifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { }
void on_repeat_info(void*, wl_keyboard*, int32_t, int32_t) { }
const wl_keyboard_listener keyboard_listener { on_keymap, on_keyboard_enter, on_keyboard_leave, on_key, on_modifiers, on_repeat_info };

}  // namespace

WaylandBackend::WaylandBackend(const std::string& name)
    : connection_(std::make_unique<Connection>(name, std::chrono::milliseconds(connect_timeout_ms)))
    , copier_(*connection_)
    , wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    connection_->on_seat_capabilities = [this](uint32_t capabilities) { seat_capabilities(capabilities); };
    seat_capabilities(connection_->seat_capabilities());
}

WaylandBackend::~WaylandBackend()
{
    connection_->on_seat_capabilities = nullptr;
    overlay_.reset();
    windows_.clear();
    if (pointer_device_)
        wl_pointer_destroy(pointer_device_);
    if (keyboard_)
        wl_keyboard_destroy(keyboard_);
    if (wake_fd_ >= 0)
        close(wake_fd_);
}

std::vector<Monitor> WaylandBackend::monitors() const
{
    std::vector<gfx::Rect> rects;
    for (const auto& o : connection_->outputs())
        rects.push_back(o->logical);
    gfx::Rect bounds = layout_bounds(rects);
    std::vector<Monitor> places;
    for (const auto& o : connection_->outputs())
        places.push_back({ o->name, o->logical.translated(-bounds.x, -bounds.y) });
    return places;
}

std::optional<std::string> WaylandBackend::screen_unreadable() const
{
    // GNOME and KDE keep screen copies to their own Screenshot portal, which velmo does not use.
    if (!copier_.available())
        return "the Wayland compositor offers no screen copies (wlr-screencopy), so velmo cannot read the screen there; "
               "velmo's own windows can still be captured";
    return std::nullopt;
}

gfx::Size WaylandBackend::screen_size() const
{
    std::vector<gfx::Rect> rects;
    for (const auto& o : connection_->outputs())
        rects.push_back(o->logical);
    return layout_bounds(rects).size();
}

bool WaylandBackend::read_area(gfx::Rect area, gfx::Bitmap& out, gfx::Point at)
{
    // Parts of the screen no output covers stay as they are: black in a new bitmap.
    if (connection_->lost())
        return false;
    std::vector<gfx::Rect> rects;
    for (const auto& o : connection_->outputs())
        rects.push_back(o->logical);
    gfx::Point origin = layout_bounds(rects).location();
    for (const auto& o : connection_->outputs()) {
        gfx::Rect on_screen = o->logical.translated(-origin.x, -origin.y);
        gfx::Rect part = area.intersected(on_screen);
        if (part.is_empty())
            continue;
        if (!copier_.read(*o, part.translated(-on_screen.x, -on_screen.y), out, gfx::Point { at.x + part.x - area.x, at.y + part.y - area.y }))
            return false;
    }
    return true;
}

bool WaylandBackend::within_one_output(gfx::Rect area) const
{
    for (const Monitor& m : monitors())
        if (m.rect.intersected(area) == area)
            return true;
    return false;
}

const gfx::Bitmap& WaylandBackend::screen(uint64_t, const std::function<std::vector<SceneLayer>()>&)
{
    // The real screen changes without the display knowing, so every read asks the compositor; a
    // read that fails leaves the last picture.
    flush();
    gfx::Size size = screen_size();
    if (screen_.size() != size)
        screen_ = gfx::Bitmap(size);
    read_area(screen_.rect(), screen_, {});
    return screen_;
}

std::optional<gfx::Bitmap> WaylandBackend::screen_area(gfx::Rect area)
{
    flush();
    // Black where no output is; inside one output every pixel is copied, so zeroing a screen's
    // worth first would only cost time, and kept memory saves the first touches of new memory.
    gfx::Bitmap pixels = within_one_output(area) ? kept_pixels_.take(area.size()) : gfx::Bitmap(area.size());
    if (!read_area(area, pixels, {}))
        return std::nullopt;
    return pixels;
}

std::optional<uint32_t> WaylandBackend::screen_pixel(gfx::Point at)
{
    flush();
    gfx::Bitmap pixel({ 1, 1 });
    if (!read_area(gfx::Rect::of(at, { 1, 1 }), pixel, {}))
        return std::nullopt;
    return pixel.word(0, 0);
}

WaylandBackend::Shown* WaylandBackend::shown(HWND handle)
{
    auto it = windows_.find(handle);
    return it == windows_.end() ? nullptr : &it->second;
}

HWND WaylandBackend::owner_of(wl_surface* surface) const
{
    for (const auto& [handle, s] : windows_)
        if (s.toplevel->surface() == surface)
            return handle;
    return 0;
}

const Window* WaylandBackend::top_level(const Window& w) const
{
    if (!sink())
        return nullptr;
    const Window* at = &w;
    while (at->parent != 0) {
        at = sink()->window_state(at->parent);
        if (!at)
            return nullptr;
    }
    return at->handle == sink()->desktop() ? nullptr : at;
}

void WaylandBackend::window_changed(const Window& w)
{
    const Window* top = top_level(w);
    if (!top)
        return;
    if (top != &w) {
        if (Shown* s = shown(top->handle))
            s->stale = true;
        return;
    }
    Shown* s = shown(w.handle);
    if (!w.shows()) {
        if (s)
            s->toplevel->hide();
        return;
    }
    if (connection_->lost() || !connection_->wm_base())
        return;
    if (!s) {
        Shown made;
        made.framed = is_framed(w);
        made.toplevel = std::make_unique<Toplevel>(*connection_, made.framed ? Decorations::Frame : Decorations::Bare, w.title);
        HWND handle = w.handle;
        made.toplevel->on_close = [this, handle] {
            if (sink())
                sink()->close_requested(handle);
            input_ = true;
        };
        s = &windows_.emplace(w.handle, std::move(made)).first->second;
        s->part = shown_part(w);
        s->toplevel->set_fixed_size(s->part.size());
        update_region(*s, w);
    }
    if (s->framed != is_framed(w)) {
        s->framed = is_framed(w);
        s->toplevel->set_decorations(s->framed ? Decorations::Frame : Decorations::Bare);
    }
    if (gfx::Rect part = shown_part(w); part != s->part) {
        s->part = part;
        s->toplevel->set_fixed_size(part.size());
        update_region(*s, w);
    }
    s->stale = true;
}

void WaylandBackend::window_titled(const Window& w)
{
    if (Shown* s = shown(w.handle))
        s->toplevel->set_title(w.title);
}

void WaylandBackend::window_reshaped(const Window& w)
{
    if (Shown* s = shown(w.handle))
        update_region(*s, w);
    else if (const Window* top = top_level(w); top && top != &w)
        if (Shown* owner = shown(top->handle))
            owner->stale = true;
}

void WaylandBackend::update_region(Shown& s, const Window& w)
{
    if (!w.region)
        s.toplevel->set_region(std::nullopt);
    else
        s.toplevel->set_region(w.region->intersected(Region(s.part)).translated(-s.part.x, -s.part.y));
    s.stale = true;
}

void WaylandBackend::window_damaged(const Window& w)
{
    if (const Window* top = top_level(w))
        if (Shown* s = shown(top->handle))
            s->stale = true;
}

void WaylandBackend::window_destroyed(HWND handle)
{
    if (pointer_over_ == handle)
        pointer_over_ = 0;
    if (keyboard_focus_ == handle)
        keyboard_focus_ = 0;
    windows_.erase(handle);
}

bool WaylandBackend::begin_window_move(const Window& w, gfx::Point)
{
    Shown* s = shown(w.handle);
    if (!s || !connection_->seat() || press_serial_ == 0 || connection_->lost())
        return false;
    s->toplevel->begin_move(connection_->seat(), press_serial_);
    // The compositor holds the pointer from now on; the release goes to it, not to us.
    if (sink())
        sink()->button_changed(MouseButton::Left, false);
    return true;
}

void WaylandBackend::push(HWND handle, Shown& s)
{
    s.stale = false;
    if (const gfx::Bitmap* pixels = sink() ? sink()->window_pixels(handle) : nullptr)
        s.toplevel->push(*pixels, s.part);
}

void WaylandBackend::flush()
{
    if (connection_->lost())
        return;
    for (auto& [handle, s] : windows_) {
        const Window* w = sink() ? sink()->window_state(handle) : nullptr;
        if (s.stale && w && w->shows())
            push(handle, s);
    }
    connection_->flush();
}

void WaylandBackend::seat_capabilities(uint32_t capabilities)
{
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !pointer_device_) {
        pointer_device_ = wl_seat_get_pointer(connection_->seat());
        wl_pointer_add_listener(pointer_device_, &pointer_listener, this);
    }
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(connection_->seat());
        wl_keyboard_add_listener(keyboard_, &keyboard_listener, this);
    }
}

void WaylandBackend::pointer_entered(wl_surface* surface, double x, double y, uint32_t serial)
{
    if (overlay_) {
        overlay_->pointer_entered(pointer_device_, serial, surface, x, y);
        input_ = true;
    }
    pointer_over_ = surface ? owner_of(surface) : 0;
    if (pointer_over_)
        pointer_moved(x, y);
}

void WaylandBackend::pointer_moved(double x, double y)
{
    if (overlay_ && overlay_->has_pointer()) {
        overlay_->pointer_moved(x, y);
        input_ = true;
        return;
    }
    const Window* w = pointer_over_ && sink() ? sink()->window_state(pointer_over_) : nullptr;
    Shown* s = pointer_over_ ? shown(pointer_over_) : nullptr;
    if (!w || !s)
        return;
    // velmo's own idea of where the window stands gives the screen position.
    pointer_ = { w->rect.x + s->part.x + int(std::floor(x)), w->rect.y + s->part.y + int(std::floor(y)) };
    if (sink())
        sink()->pointer_moved(pointer_);
    input_ = true;
}

void WaylandBackend::pointer_button(uint32_t serial, uint32_t button, bool down)
{
    // Linux input codes of the left, right and middle buttons.
    constexpr uint32_t left = 0x110, right = 0x111, middle = 0x112;
    if (overlay_ && overlay_->has_pointer()) {
        overlay_->button(button, down);
        input_ = true;
        return;
    }
    if (button != left && button != right && button != middle)
        return;
    if (down)
        press_serial_ = serial;
    if (sink())
        sink()->button_changed(button == left ? MouseButton::Left : button == right ? MouseButton::Right : MouseButton::Middle, down);
    input_ = true;
}

void WaylandBackend::keyboard_entered(wl_surface* surface)
{
    if (overlay_)
        overlay_->keyboard_entered(surface);
    keyboard_focus_ = surface ? owner_of(surface) : 0;
}

void WaylandBackend::key(uint32_t code, bool down)
{
    if (overlay_ && overlay_->has_keyboard()) {
        overlay_->key(code, down);
        input_ = true;
        return;
    }
    int vk = virtual_key(code);
    if (keyboard_focus_ && vk && sink())
        sink()->key_changed(keyboard_focus_, vk, down);
    input_ = true;
}

void WaylandBackend::wait_for_events(Deadline deadline)
{
    flush();
    input_ = false;
    connection_->dispatch_pending();
    if (input_) {
        flush();
        return;
    }
    // Without a compositor nothing can arrive; waking now and then lets a waiting loop see it has gone.
    bool lost = connection_->lost();
    int timeout = lost ? 100 : -1;
    if (deadline) {
        auto left = *deadline - std::chrono::steady_clock::now();
        timeout = left <= left.zero() ? 0
                                      : static_cast<int>(std::min<int64_t>(std::chrono::ceil<std::chrono::milliseconds>(left).count(), 1 << 30));
        if (lost)
            timeout = std::min(timeout, 100);
    }
    pollfd fds[2] = { { lost ? -1 : connection_->fd(), POLLIN, 0 }, { wake_fd_, POLLIN, 0 } };
    if (poll(fds, 2, timeout) > 0 && (fds[1].revents & POLLIN)) {
        uint64_t count;
        [[maybe_unused]] auto n = read(wake_fd_, &count, sizeof count);
    }
    if (!lost)
        connection_->dispatch_pending();
    flush();
}

void WaylandBackend::wake()
{
    if (wake_fd_ < 0)
        return;
    uint64_t one = 1;
    [[maybe_unused]] auto n = write(wake_fd_, &one, sizeof one);
}

std::optional<std::string> WaylandBackend::lost() const
{
    if (!connection_->lost())
        return std::nullopt;
    return "the connection to the Wayland compositor was lost";
}

gfx::Point WaylandBackend::cursor_position() const
{
    if (overlay_ && overlay_->pointer())
        return *overlay_->pointer();
    return pointer_;
}

std::optional<std::string> WaylandBackend::begin_pointing()
{
    if (auto why = lost())
        return why;
    if (!connection_->layer_shell())
        return "the Wayland compositor offers no layer-shell, so velmo cannot follow the pointer outside its own windows";
    std::vector<std::pair<const Output*, gfx::Point>> places;
    std::vector<Monitor> on_screen = monitors();
    for (size_t i = 0; i < connection_->outputs().size(); ++i)
        places.emplace_back(connection_->outputs()[i].get(), on_screen[i].rect.location());
    try {
        overlay_ = std::make_unique<PointerOverlay>(*connection_, places);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return std::nullopt;
}

DisplayBackend::Pointing WaylandBackend::pointing() const
{
    if (!overlay_)
        return {};
    return { overlay_->pointer().has_value(), overlay_->ended() };
}

void WaylandBackend::end_pointing() { overlay_.reset(); }

WaylandBackend* current_wayland_backend() { return dynamic_cast<WaylandBackend*>(&display_backend()); }

BackendEntry backend_entry()
{
    return { "wayland", [] {
                // Only a compositor the session names: an X session has no Wayland socket to try.
                if (!std::getenv("WAYLAND_DISPLAY"))
                    throw BackendUnavailable("WAYLAND_DISPLAY names no Wayland compositor");
                try {
                    return std::unique_ptr<DisplayBackend>(std::make_unique<WaylandBackend>());
                } catch (const ConnectionError& e) {
                    throw BackendUnavailable(e.what());
                }
            } };
}

}  // namespace velmo::platform::wayland
