#include "platform/display_state.h"

#include <mutex>
#include <utility>

#include "platform/memory_backend.h"
#include "platform/window_frame.h"

namespace velmo::platform {

namespace {

// The next handle value of this thread; shared by all displays the thread makes, so values of a
// replaced display never come back.
thread_local HANDLE next_handle = 0x00010000;

std::unique_ptr<DisplayBackend> make_backend(const DisplayOptions& options)
{
    if (options.backend) {
        if (auto made = options.backend(options))
            return made;
    }
    return std::make_unique<MemoryBackend>(options.screen, options.bits_per_pixel);
}

}  // namespace

Display::Display(const DisplayOptions& options)
    : options_(options)
    , backend_(make_backend(options))
{
    gfx::Size size = backend_->screen_size();
    options_.screen = size;
    options_.bits_per_pixel = backend_->bits_per_pixel();
    auto desktop = std::make_unique<Window>();
    desktop->handle = issue(Kind::Window);
    desktop->rect = { 0, 0, size.width, size.height };
    desktop->visible = true;
    desktop->background = options.desktop;
    // A display server shows its own screen, never this one: there the desktop's pixels are only
    // ever drawn on, so they stay untouched zero pages rather than a screen-sized fill.
    desktop->pixels = backend_->is_real() ? gfx::Bitmap(size) : gfx::Bitmap(size, options.desktop);
    desktop_ = desktop->handle;
    windows_.emplace(desktop_, std::move(desktop));

    stock_bitmap_ = issue(Kind::Bitmap);
    bitmaps_.emplace(stock_bitmap_, BitmapObject { gfx::Bitmap({ 1, 1 }), 1, 0, true });

    auto standard = standard_palette();
    stock_palette_ = issue(Kind::Palette);
    std::vector<PALETTEENTRY> fixed(standard.begin(), standard.begin() + 10);
    fixed.insert(fixed.end(), standard.end() - 10, standard.end());
    palettes_.emplace(stock_palette_, PaletteObject { std::move(fixed), true });
    if (options_.bits_per_pixel <= 8)
        system_palette = std::move(standard);
    queue.clock = options.clock;
    backend_->connect(*this);
}

Display::~Display() = default;

std::vector<PALETTEENTRY> Display::standard_palette()
{
    static constexpr uint8_t low[10][3] = { { 0, 0, 0 }, { 128, 0, 0 }, { 0, 128, 0 }, { 128, 128, 0 }, { 0, 0, 128 },
        { 128, 0, 128 }, { 0, 128, 128 }, { 192, 192, 192 }, { 192, 220, 192 }, { 166, 202, 240 } };
    static constexpr uint8_t high[10][3] = { { 255, 251, 240 }, { 160, 160, 164 }, { 128, 128, 128 }, { 255, 0, 0 }, { 0, 255, 0 },
        { 255, 255, 0 }, { 0, 0, 255 }, { 255, 0, 255 }, { 0, 255, 255 }, { 255, 255, 255 } };
    std::vector<PALETTEENTRY> out;
    for (auto& c : low)
        out.push_back({ c[0], c[1], c[2], 0 });
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                out.push_back({ uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0 });
    for (int i = 1; out.size() < 246; ++i)
        out.push_back({ uint8_t(i * 12), uint8_t(i * 12), uint8_t(i * 12), 0 });
    for (auto& c : high)
        out.push_back({ c[0], c[1], c[2], 0 });
    return out;
}

HANDLE Display::issue(Kind kind)
{
    HANDLE handle;
    do {
        handle = next_handle++;
        if (next_handle >= 0x7FFFFFF0)
            next_handle = 0x00010000;
    } while (kinds_.contains(handle));
    kinds_.emplace(handle, kind);
    return handle;
}

HPALETTE Display::add_palette(std::vector<PALETTEENTRY> entries)
{
    HPALETTE handle = issue(Kind::Palette);
    palettes_.emplace(handle, PaletteObject { std::move(entries), false });
    return handle;
}

bool Display::palette_in_use(HPALETTE handle) const
{
    return std::any_of(dcs_.begin(), dcs_.end(), [&](const auto& entry) { return entry.second.palette == handle; });
}

void Display::remove_palette(HPALETTE handle)
{
    palettes_.erase(handle);
    release(handle);
}

HDC Display::add_dc(DeviceContext context)
{
    context.handle = issue(Kind::DeviceContext);
    if (context.kind == DeviceContext::Kind::Memory)
        context.bitmap = stock_bitmap_;
    context.palette = stock_palette_;
    HDC handle = context.handle;
    dcs_.emplace(handle, context);
    return handle;
}

void Display::remove_dc(HDC handle)
{
    auto* context = dc(handle);
    if (auto* selected = context ? bitmap(context->bitmap) : nullptr; selected && !selected->stock)
        selected->selected_into = 0;
    dcs_.erase(handle);
    release(handle);
}

HBITMAP Display::add_bitmap(gfx::Size size, int bits_per_pixel)
{
    HBITMAP handle = issue(Kind::Bitmap);
    bitmaps_.emplace(handle, BitmapObject { gfx::Bitmap(size, gfx::Bitmap::Uninitialized {}), bits_per_pixel, 0, false, true });
    return handle;
}

void Display::remove_bitmap(HBITMAP handle)
{
    before_write(handle);
    bitmaps_.erase(handle);
    release(handle);
}

HRGN Display::add_region(Region value)
{
    HRGN handle = issue(Kind::Region);
    regions_.emplace(handle, std::move(value));
    return handle;
}

Region Display::take_region(HRGN handle)
{
    Region value = std::move(regions_.at(handle));
    regions_.erase(handle);
    release(handle);
    return value;
}

HWND Display::add_window(std::unique_ptr<Window> window)
{
    window->handle = issue(Kind::Window);
    HWND handle = window->handle;
    windows_.emplace(handle, std::move(window));
    return handle;
}

void Display::remove_window(HWND handle)
{
    Window* w = window(handle);
    if (!w)
        return;
    for (HWND child : std::vector<HWND>(w->children))
        remove_window(child);
    if (w->own_dc)
        remove_dc(w->own_dc);
    if (Window* parent = window(w->parent ? w->parent : desktop_))
        std::erase(parent->children, handle);
    if (foreground == handle)
        foreground = 0;
    if (w->server_id)
        foreign_.erase(w->server_id);
    forget_window(*this, handle);
    backend_->window_destroyed(handle);
    views_.erase(handle);
    windows_.erase(handle);
    release(handle);
}

gfx::Point Display::screen_origin(const Window& w)
{
    if (w.handle == desktop_)
        return {};
    const Window& parent = parent_of(w);
    gfx::Point parent_client = screen_origin(parent).translated(parent.client_rect().location());
    return parent_client.translated(w.rect.location());
}

bool Display::shows_on_screen(const Window& w)
{
    for (const Window* at = &w; at->handle != desktop_; at = &parent_of(*at)) {
        if (!at->shows())
            return false;
    }
    return true;
}

void Display::add_layers(const Window& w, gfx::Point origin, const Region& allowed, std::vector<SceneLayer>& out, bool apply_region)
{
    Region visible = allowed.intersected(Region(gfx::Rect::of(origin, w.rect.size())));
    if (apply_region && w.region)
        visible = visible.intersected(w.region->translated(origin.x, origin.y));
    if (visible.is_empty())
        return;
    gfx::Rect client = w.client_rect().translated(origin);
    Region inside = visible.intersected(Region(client));
    out.push_back({ &w.pixels, origin, std::move(visible) });
    for (HWND handle : w.children) {
        const Window& child = *window(handle);
        if (child.shows())
            add_layers(child, client.location().translated(child.rect.location()), inside, out);
    }
}

const gfx::Bitmap& Display::screen()
{
    settle();
    return backend_->screen(generation_, [this] {
        std::vector<SceneLayer> layers;
        const Window& desk = *window(desktop_);
        add_layers(desk, {}, Region(desk.rect), layers);
        return layers;
    });
}

const gfx::Bitmap& Display::window_view(Window& w)
{
    settle();
    bool has_visible_child = std::any_of(w.children.begin(), w.children.end(), [&](HWND h) { return window(h)->shows(); });
    if (!has_visible_child)
        return w.pixels;
    auto& cache = views_[w.handle];
    if (!cache.bitmap || cache.generation != generation_ || cache.bitmap->size() != w.pixels.size()) {
        cache.bitmap = std::make_unique<gfx::Bitmap>(w.pixels.size());
        std::vector<SceneLayer> layers;
        add_layers(w, {}, Region(w.pixels.rect()), layers, false);
        compose(*cache.bitmap, layers);
        cache.generation = generation_;
    }
    return *cache.bitmap;
}

std::optional<DrawingTarget> Display::target(DeviceContext& context)
{
    if (context.kind == DeviceContext::Kind::Memory)
        before_write(context.bitmap);
    else
        settle();
    switch (context.kind) {
    case DeviceContext::Kind::Memory: {
        auto* selected = bitmap(context.bitmap);
        if (!selected)
            return {};
        return DrawingTarget { &selected->pixels(), {}, selected->storage.rect(), false };
    }
    case DeviceContext::Kind::Screen: {
        Window& desk = *window(desktop_);
        return DrawingTarget { &desk.pixels, {}, desk.pixels.rect(), true, desktop_ };
    }
    case DeviceContext::Kind::Window:
    case DeviceContext::Kind::Client: {
        Window* w = window(context.window);
        if (!w)
            return {};
        if (w->server_id && !backend_->refresh_foreign(*w)) {
            remove_window(context.window);
            return {};
        }
        gfx::Rect area = context.kind == DeviceContext::Kind::Client ? w->client_rect() : w->pixels.rect();
        return DrawingTarget { &w->pixels, area.location(), area, true, w->handle };
    }
    }
    return {};
}

std::optional<ReadingSource> Display::source(DeviceContext& context)
{
    if (context.kind != DeviceContext::Kind::Memory)
        settle();
    switch (context.kind) {
    case DeviceContext::Kind::Memory: {
        auto* selected = bitmap(context.bitmap);
        if (!selected)
            return {};
        return ReadingSource { &selected->pixels(), {}, selected->storage.rect() };
    }
    case DeviceContext::Kind::Screen: {
        const gfx::Bitmap& s = screen();
        return ReadingSource { &s, {}, s.rect() };
    }
    case DeviceContext::Kind::Window:
    case DeviceContext::Kind::Client: {
        Window* w = window(context.window);
        if (!w)
            return {};
        if (w->server_id && !backend_->refresh_foreign(*w)) {
            remove_window(context.window);
            return {};
        }
        gfx::Rect area = context.kind == DeviceContext::Kind::Client ? w->client_rect() : w->pixels.rect();
        return ReadingSource { &window_view(*w), area.location(), area };
    }
    }
    return {};
}

void Display::reshape(Window& w, gfx::Rect rect, WindowStyle style)
{
    rect.width = std::max(0, rect.width);
    rect.height = std::max(0, rect.height);
    settle();
    gfx::Rect old_client = w.client_rect();
    gfx::Point old_client_here = old_client.location().translated(w.rect.location()) - rect.location();
    gfx::Bitmap old = std::move(w.pixels);
    w.rect = rect;
    w.style = style;
    w.pixels = gfx::Bitmap(rect.size(), w.background);
    gfx::Rect kept = gfx::Rect::of(old_client_here, old_client.size()).intersected(w.client_rect());
    w.pixels.copy_from(old, kept.translated(old_client.location() - old_client_here), kept.location());
    repaint_frame(w);
    backend_->window_changed(w);
    changed();
}

void Display::raise_to_top(Window& w)
{
    if (w.server_id)
        return;  // another program's window is not in our tree, and not ours to restack
    auto& siblings = parent_of(w).children;
    std::erase(siblings, w.handle);
    siblings.push_back(w.handle);
    backend_->window_restacked(parent_of(w));
    changed();
}

void Display::repaint_frame(Window& w) { paint_frame(w, w.parent == 0); }

void Display::damaged(HWND handle)
{
    if (Window* w = window(handle))
        backend_->window_damaged(*w);
    changed();
}

HWND Display::window_at(gfx::Point screen)
{
    HWND found = child_at(*window(desktop_), {}, screen);
    return found ? found : desktop_;
}

HWND Display::child_at(const Window& parent, gfx::Point client_origin, gfx::Point screen)
{
    for (auto it = parent.children.rbegin(); it != parent.children.rend(); ++it) {
        const Window& child = *window(*it);
        if (!child.shows())
            continue;
        gfx::Point origin = client_origin.translated(child.rect.location());
        gfx::Point local = screen - origin;
        if (!gfx::Rect::of({}, child.rect.size()).contains(local) || (child.region && !child.region->contains(local.x, local.y)))
            continue;
        gfx::Rect client = child.client_rect();
        if (client.contains(local)) {
            if (HWND deeper = child_at(child, origin.translated(client.location()), screen))
                return deeper;
        }
        return child.handle;
    }
    return 0;
}

namespace {

// The thread's display. Objects in static storage may be released after the thread's own
// storage is gone (at the end of the program); their calls then reach a leftover display of their
// own, where every old handle is stale, instead of a destroyed one.
thread_local bool display_gone = false;
struct DisplayHolder {
    std::unique_ptr<Display> display;
    ~DisplayHolder()
    {
        display.reset();
        display_gone = true;
    }
};
thread_local DisplayHolder current;
Display* leftover = nullptr;

}  // namespace

Display& display()
{
    if (display_gone) [[unlikely]] {
        static std::mutex guard;
        std::lock_guard lock(guard);
        if (!leftover)
            leftover = new Display(DisplayOptions { { 1, 1 } });
        return *leftover;
    }
    if (!current.display)
        current.display = std::make_unique<Display>(DisplayOptions {});
    return *current.display;
}

// ---- Choosing the display ---------------------------------------------------------------------

void reset_display(const DisplayOptions& options)
{
    if (display_gone)
        return;
    current.display.reset();
    current.display = std::make_unique<Display>(options);
}

const DisplayOptions& display_options() { return display().options(); }

DisplayBackend& display_backend() { return display().backend(); }

HWND foreign_window(uint64_t server_id) { return display().backend().foreign_window(server_id); }

uint64_t screen_compositions()
{
    auto* memory = dynamic_cast<MemoryBackend*>(&display().backend());
    return memory ? memory->compositions() : 0;
}

std::optional<DrawingTarget> drawing_target(HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    return context ? d.target(*context) : std::nullopt;
}

void screen_changed(HWND drawn)
{
    if (drawn)
        display().damaged(drawn);
    else
        display().changed();
}

std::optional<ReadingSource> reading_source(HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    return context ? d.source(*context) : std::nullopt;
}

const gfx::Bitmap* bitmap_pixels(HBITMAP bitmap)
{
    auto* object = display().bitmap(bitmap);
    return object ? &object->pixels() : nullptr;
}

std::optional<gfx::Bitmap> take_bitmap_pixels(HBITMAP bitmap)
{
    auto* object = display().bitmap(bitmap);
    if (!object || object->stock || object->selected_into)
        return std::nullopt;
    return std::exchange(object->pixels(), gfx::Bitmap({ 0, 0 }));
}

}  // namespace velmo::platform
