#include "platform/x11/x11_backend.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "platform/display.h"
#include "platform/x11/desktop.h"
#include "platform/x11/events.h"
#include "platform/x11/foreign_window.h"

namespace velmo::platform::x11 {

namespace {

bool is_framed(const Window& w) { return w.style.border > 0 || w.style.caption > 0; }

// The part of the window's pixels its X window shows: the client area when the window manager
// draws the frame, else everything.
gfx::Rect shown_part(const Window& w) { return is_framed(w) ? w.client_rect() : w.pixels.rect(); }

}  // namespace

X11Backend::X11Backend(const std::string& display_name)
    : connection_(std::make_unique<Connection>(display_name))
    , reader_(*connection_)
    , writer_(*connection_)
    , shared_pixels_(*connection_)
    , size_(connection_->screen_size())
    , screen_(size_)
    , pointer_probe_(*connection_)
    , wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    // Windows made by other programs are not ours to watch; the root tells when the active one changes.
    XSelectInput(connection_->get(), connection_->root(), PropertyChangeMask);
}

X11Backend::~X11Backend()
{
    mirrors_.clear();
    if (wake_fd_ >= 0)
        close(wake_fd_);
}

const gfx::Bitmap& X11Backend::screen(uint64_t, const std::function<std::vector<SceneLayer>()>&)
{
    // The real screen changes without the display knowing, so every read asks the server; a read
    // that fails (the server has gone) leaves the last picture. Parts of mirrors the server has
    // uncovered since the last push are repainted first: their windows have no background.
    collect_exposures();
    flush();
    reader_.read(connection_->root(), screen_.rect(), screen_);
    return screen_;
}

std::optional<gfx::Bitmap> X11Backend::screen_area(gfx::Rect area)
{
    auto read = [&]() -> std::optional<gfx::Bitmap> {
        // Large areas land in memory the server writes to directly; small ones are not worth a
        // segment of their own.
        constexpr int64_t shared_from = 256 * 256;
        if (int64_t(area.width) * area.height >= shared_from)
            if (auto pixels = shared_pixels_.read(connection_->root(), area))
                return pixels;
        gfx::Bitmap pixels(area.size(), gfx::Bitmap::Uninitialized {});
        if (!reader_.read(connection_->root(), area, pixels))
            return std::nullopt;
        return pixels;
    };
    // Repaint requests that reached us before the read's answer name parts of our windows the
    // read saw blank: those are pushed and the area read again. Waiting for them beforehand
    // instead would cost every read a round trip.
    flush();
    auto pixels = read();
    if (pixels && collect_exposures(false)) {
        flush();
        pixels = read();
    }
    return pixels;
}

std::optional<uint32_t> X11Backend::screen_pixel(gfx::Point at)
{
    // One round trip, as a picker's tick wants it: repaint requests already here are honoured,
    // none is waited for.
    collect_exposures(false);
    flush();
    if (at == last_pointer_)
        pointer_reads_since_pixel_ = 0;
    if (auto word = pointer_probe_.take_pixel(at))
        return word;
    return reader_.read_screen_pixel(at);
}

gfx::Point X11Backend::cursor_position() const
{
    if (event_pointer_)
        return *event_pointer_;
    // A picker reads the pixel under the pointer after each pointer read; the pixel where the
    // pointer last was then comes along in the same round trip. The second read allowed covers a
    // caller that asks for the pointer once more between its picks.
    std::optional<gfx::Point> pixel_at;
    if (pointer_reads_since_pixel_ < 2)
        pixel_at = last_pointer_;
    pointer_reads_since_pixel_ = std::min(pointer_reads_since_pixel_ + 1, 1 << 20);
    if (auto p = pointer_probe_.pointer(pixel_at))
        last_pointer_ = *p;
    return last_pointer_;
}

bool X11Backend::set_cursor_position(gfx::Point position)
{
    if (!warp_pointer(*connection_, position))
        return false;
    last_pointer_ = position;
    return true;
}

std::vector<Monitor> X11Backend::monitors() const
{
    ::Display* x = connection_->get();
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    std::vector<Monitor> found;
    // Monitors came with RandR 1.5; an older server, or none, has only the screen.
    if (!connection_->lost() && XRRQueryExtension(x, &event_base, &error_base) && XRRQueryVersion(x, &major, &minor)
        && (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        if (XRRMonitorInfo* list = XRRGetMonitors(x, connection_->root(), True, &count)) {
            for (int i = 0; i < count; ++i) {
                char* name = XGetAtomName(x, list[i].name);
                found.push_back({ name ? name : "monitor " + std::to_string(i), { list[i].x, list[i].y, list[i].width, list[i].height } });
                if (name)
                    XFree(name);
            }
            XRRFreeMonitors(list);
        }
    }
    if (found.empty())
        return DisplayBackend::monitors();
    return found;
}

std::optional<PointerImage> X11Backend::pointer_image()
{
    int event_base = 0;
    int error_base = 0;
    ::Display* x = connection_->get();
    if (!XFixesQueryExtension(x, &event_base, &error_base))
        return std::nullopt;
    XFixesCursorImage* cursor = XFixesGetCursorImage(x);
    if (!cursor)
        return std::nullopt;
    PointerImage image;
    image.size = { cursor->width, cursor->height };
    image.hot_spot = { cursor->xhot, cursor->yhot };
    // Xlib hands the 32-bit words over in longs.
    image.argb.reserve(size_t(cursor->width) * cursor->height);
    for (size_t i = 0; i < size_t(cursor->width) * cursor->height; ++i)
        image.argb.push_back(static_cast<uint32_t>(cursor->pixels[i]));
    XFree(cursor);
    return image;
}

X11Backend::Mirror* X11Backend::mirror(HWND handle)
{
    auto it = mirrors_.find(handle);
    return it == mirrors_.end() ? nullptr : &it->second;
}

::Window X11Backend::mirror_of(HWND handle) const
{
    auto it = mirrors_.find(handle);
    return it == mirrors_.end() || !it->second.window ? 0 : it->second.window->id();
}

const Window* X11Backend::top_level(const Window& w) const
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

void X11Backend::window_changed(const Window& w)
{
    const Window* top = top_level(w);
    if (!top)
        return;
    if (top != &w) {
        if (Mirror* m = mirror(top->handle))
            m->stale = true;
        return;
    }
    Mirror* m = mirror(w.handle);
    if (!w.shows()) {
        if (m && m->shown && !m->gone) {
            m->window->hide();
            m->shown = false;
        }
        return;
    }
    if (connection_->lost())
        return;
    gfx::Rect part = shown_part(w);
    gfx::Rect on_screen = part.translated(w.rect.location());
    if (!m) {
        Mirror made;
        made.window = std::make_unique<MirrorWindow>(*connection_, on_screen, is_framed(w) ? Decorations::Frame : Decorations::Bare, w.title);
        made.framed = is_framed(w);
        made.part = part;
        by_x_window_[made.window->id()] = w.handle;
        m = &mirrors_.emplace(w.handle, std::move(made)).first->second;
        update_shape(*m, w);
    }
    if (m->gone)
        return;
    if (m->framed != is_framed(w)) {
        m->framed = is_framed(w);
        m->window->set_decorations(m->framed ? Decorations::Frame : Decorations::Bare);
    }
    if (m->window->rect() != on_screen || m->part != part) {
        m->window->set_rect(on_screen);
        m->part = part;
        update_shape(*m, w);
    }
    if (!m->shown) {
        m->window->show();
        m->shown = true;
    }
    m->stale = true;
}

void X11Backend::window_restacked(const Window& parent)
{
    if (!sink() || parent.handle != sink()->desktop()) {
        if (const Window* top = top_level(parent))
            if (Mirror* m = mirror(top->handle))
                m->stale = true;
        return;
    }
    std::vector<::Window> order;
    for (HWND child : parent.children)
        if (Mirror* m = mirror(child))
            m->stale = true;
    for (HWND child : parent.children)
        if (Mirror* m = mirror(child); m && !m->gone)
            order.push_back(m->window->id());
    restack(*connection_, order);
}

void X11Backend::window_titled(const Window& w)
{
    if (Mirror* m = mirror(w.handle); m && !m->gone)
        m->window->set_title(w.title);
}

void X11Backend::window_reshaped(const Window& w)
{
    if (Mirror* m = mirror(w.handle); m && !m->gone)
        update_shape(*m, w);
    else if (const Window* top = top_level(w); top && top != &w)
        if (Mirror* owner = mirror(top->handle))
            owner->stale = true;
}

void X11Backend::update_shape(Mirror& m, const Window& w)
{
    if (!w.region) {
        m.window->clear_shape();
        return;
    }
    // The region is in window coordinates; the X window starts at the shown part.
    Region shown = w.region->intersected(Region(m.part)).translated(-m.part.x, -m.part.y);
    m.window->set_shape(shown.rects());
}

void X11Backend::window_damaged(const Window& w)
{
    if (const Window* top = top_level(w))
        if (Mirror* m = mirror(top->handle))
            m->stale = true;
}

void X11Backend::window_destroyed(HWND handle)
{
    auto it = mirrors_.find(handle);
    if (it == mirrors_.end())
        return;
    by_x_window_.erase(it->second.window->id());
    mirrors_.erase(it);
}

std::optional<gfx::Rect> X11Backend::server_rect(::Window id)
{
    if (connection_->lost())
        return std::nullopt;
    ErrorTrap trap(*connection_);
    XWindowAttributes attributes;
    int x = 0, y = 0;
    ::Window child = 0;
    if (!XGetWindowAttributes(connection_->get(), id, &attributes)
        || !XTranslateCoordinates(connection_->get(), id, connection_->root(), 0, 0, &x, &y, &child) || trap.failed())
        return std::nullopt;
    return gfx::Rect { x, y, attributes.width, attributes.height };
}

HWND X11Backend::handle_of(::Window id)
{
    if (!sink())
        return 0;
    if (id == connection_->root())
        return sink()->desktop();
    if (auto own = by_x_window_.find(id); own != by_x_window_.end())
        return own->second;
    auto rect = server_rect(id);
    if (!rect) {
        sink()->foreign_window_gone(id);
        return 0;
    }
    return sink()->foreign_window_seen(id, *rect);
}

bool X11Backend::refresh_foreign(Window& w)
{
    auto rect = server_rect(w.server_id);
    if (!rect)
        return false;
    w.rect = *rect;
    if (w.pixels.size() != rect->size())
        w.pixels = gfx::Bitmap(rect->size());
    w.pixels.fill(gfx::Color {});
    // Read through the root, as a person sees the window: what covers it shows, and the part off
    // the screen stays black. Our own mirrors are brought up to date first.
    collect_exposures();
    flush();
    gfx::Rect visible = rect->intersected(gfx::Rect::of({}, size_));
    if (!visible.is_empty())
        reader_.read(connection_->root(), visible, w.pixels, visible.location() - rect->location());
    return true;
}

std::optional<HWND> X11Backend::foreground_window()
{
    auto id = active_window(*connection_);
    if (!id)
        return std::nullopt;
    if (HWND handle = handle_of(*id))
        return handle;
    return std::nullopt;
}

HWND X11Backend::foreign_window(uint64_t id) { return id != 0 ? handle_of(static_cast<::Window>(id)) : 0; }

bool X11Backend::begin_window_move(const Window& w, gfx::Point pointer)
{
    Mirror* m = mirror(w.handle);
    if (!m || m->gone || !begin_wm_move(*connection_, m->window->id(), pointer, Button1))
        return false;
    // The window manager holds the pointer from now on; the release goes to it, not to us.
    if (sink())
        sink()->button_changed(MouseButton::Left, false);
    return true;
}

bool X11Backend::hold_screen(const Window& w)
{
    if (top_level(w) != &w || !w.shows() || connection_->lost())
        return false;
    // Override-redirect is for a window the window manager has never seen: a window it manages
    // already is replaced by a new one rather than taken back from it.
    if (Mirror* old = mirror(w.handle)) {
        by_x_window_.erase(old->window->id());
        mirrors_.erase(w.handle);
    }
    Mirror made;
    made.part = shown_part(w);
    made.window = std::make_unique<MirrorWindow>(*connection_, made.part.translated(w.rect.location()), Decorations::Overlay, w.title);
    by_x_window_[made.window->id()] = w.handle;
    Mirror& m = mirrors_.emplace(w.handle, std::move(made)).first->second;
    update_shape(m, w);
    m.window->show();
    m.shown = true;
    flush();
    return m.window->grab_input();
}

void X11Backend::push(HWND handle, Mirror& m)
{
    m.stale = false;
    pointer_probe_.forget();
    if (const gfx::Bitmap* pixels = sink() ? sink()->window_pixels(handle) : nullptr)
        writer_.write(m.window->id(), *pixels, m.part, { 0, 0 });
}

bool X11Backend::collect_exposures(bool sync)
{
    if (connection_->lost())
        return false;
    if (sync)
        XSync(connection_->get(), False);
    bool marked = false;
    XEvent event;
    while (XCheckTypedEvent(connection_->get(), Expose, &event)) {
        auto owner = by_x_window_.find(event.xexpose.window);
        if (owner != by_x_window_.end())
            if (Mirror* m = mirror(owner->second)) {
                m->stale = true;
                marked = marked || (m->shown && !m->gone);
            }
    }
    return marked;
}

void X11Backend::flush()
{
    if (connection_->lost())
        return;
    for (auto& [handle, m] : mirrors_)
        if (m.stale && m.shown && !m.gone)
            push(handle, m);
    XFlush(connection_->get());
}

bool X11Backend::dispatch_pending()
{
    bool input = false;
    while (!connection_->lost() && XPending(connection_->get())) {
        XEvent event;
        XNextEvent(connection_->get(), &event);
        auto e = translate(*connection_, event);
        if (!e)
            continue;
        auto owner = by_x_window_.find(e->window);
        HWND handle = owner == by_x_window_.end() ? 0 : owner->second;
        Mirror* m = handle ? mirror(handle) : nullptr;
        using Kind = InputEvent::Kind;
        switch (e->kind) {
        case Kind::Motion:
            if (sink())
                sink()->pointer_moved(e->screen);
            input = true;
            break;
        case Kind::ButtonDown:
        case Kind::ButtonUp: {
            // 4 and 5 are the wheel, which the display has no messages for.
            static constexpr MouseButton buttons[] = { MouseButton::Left, MouseButton::Middle, MouseButton::Right };
            if (e->button < 1 || e->button > 3)
                break;
            if (sink()) {
                event_pointer_ = e->screen;
                sink()->pointer_moved(e->screen);
                sink()->button_changed(buttons[e->button - 1], e->kind == Kind::ButtonDown);
                event_pointer_.reset();
            }
            input = true;
            break;
        }
        case Kind::KeyDown:
        case Kind::KeyUp:
            if (handle && e->key && sink())
                sink()->key_changed(handle, static_cast<int>(e->key), e->kind == Kind::KeyDown);
            input = true;
            break;
        case Kind::Repaint:
            if (m)
                m->stale = true;
            break;
        case Kind::Reshaped:
            // Moved or resized by the window manager or the person: the display follows. Our own
            // requests come back with the rectangle already recorded, and change nothing.
            if (m && !m->gone && e->area != m->window->rect()) {
                if (const Window* w = sink() ? sink()->window_state(handle) : nullptr) {
                    gfx::Point outer = e->area.location() - m->part.location();
                    gfx::Size size { e->area.width + w->rect.width - m->part.width, e->area.height + w->rect.height - m->part.height };
                    sink()->window_placed(handle, gfx::Rect::of(outer, size));
                }
            }
            break;
        case Kind::CloseRequest:
            if (handle && sink())
                sink()->close_requested(handle);
            input = true;
            break;
        case Kind::Destroyed:
            if (m)
                m->gone = true;
            break;
        }
    }
    return input;
}

void X11Backend::wait_for_events(Deadline deadline)
{
    // A pixel read with the pointer is only as new as the pointer reading; after a wait it is not.
    pointer_probe_.forget();
    flush();
    if (dispatch_pending()) {
        flush();
        return;
    }
    // Without a server nothing can arrive; waking now and then lets a waiting loop see it has gone.
    int timeout = connection_->lost() ? 100 : -1;
    if (deadline) {
        auto left = *deadline - std::chrono::steady_clock::now();
        timeout = left <= left.zero() ? 0
                                      : static_cast<int>(std::min<int64_t>(std::chrono::ceil<std::chrono::milliseconds>(left).count(), 1 << 30));
    }
    pollfd fds[2] = { { connection_->lost() ? -1 : connection_->fd(), POLLIN, 0 }, { wake_fd_, POLLIN, 0 } };
    if (poll(fds, 2, timeout) > 0 && (fds[1].revents & POLLIN)) {
        uint64_t count;
        [[maybe_unused]] auto n = read(wake_fd_, &count, sizeof count);
    }
    dispatch_pending();
    flush();
}

std::optional<std::string> X11Backend::lost() const
{
    if (!connection_->lost())
        return std::nullopt;
    return "the connection to the X display was lost";
}

X11Backend* current_x11_backend() { return dynamic_cast<X11Backend*>(&display_backend()); }

HWND x11_window_handle(uint64_t id)
{
    X11Backend* backend = current_x11_backend();
    return backend ? backend->foreign_window(id) : 0;
}

BackendEntry backend_entry()
{
    return { "x11", [] { return std::unique_ptr<DisplayBackend>(std::make_unique<X11Backend>()); } };
}

void X11Backend::wake()
{
    if (wake_fd_ < 0)
        return;
    uint64_t one = 1;
    [[maybe_unused]] auto n = write(wake_fd_, &one, sizeof one);
}

}  // namespace velmo::platform::x11
