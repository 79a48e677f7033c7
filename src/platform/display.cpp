// The display: one handle table for windows, device contexts, bitmaps and regions, the window tree
// rooted at the desktop, and every windowing and drawing call that works on them.
//
// How the pieces fit:
// - Every window owns the pixels of its whole rectangle. Drawing through a window's context writes
//   there; the screen is never drawn on directly.
// - The screen is the desktop with its visible descendants laid over it, each through its
//   rectangle, its region and its parents' client areas (scene.h). Anything that may change what
//   the screen shows bumps `generation`; the backend composes again only for a new generation, so
//   reading pixels of an unchanged screen costs a lookup.
// - Reading through a window's context sees that window with its visible children; for a window
//   without children that is its own pixels, read in place.
// - Drawing through the screen's context lands on the desktop.
// - Handles come from one counter per thread and are never reused, so a stale handle finds
//   nothing, even after the display was replaced.
#include "platform/display.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/device_context.h"
#include "platform/gdi.h"
#include "platform/memory_backend.h"
#include "platform/messages.h"
#include "platform/region.h"
#include "platform/user.h"
#include "platform/window_frame.h"

namespace velmo::platform {

namespace {

// Coordinates from callers are clamped to this before any arithmetic, so no sum overflows.
constexpr int64_t coordinate_limit = 1 << 28;
// The largest bitmap a caller may ask for.
constexpr int64_t max_bitmap_side = 1 << 16;
constexpr int64_t max_bitmap_pixels = int64_t(1) << 26;

int clamp_coordinate(int64_t value) { return static_cast<int>(std::clamp(value, -coordinate_limit, coordinate_limit)); }

enum class Kind : uint8_t { Window, DeviceContext, Bitmap, Region, Palette };

struct PaletteObject {
    std::vector<PALETTEENTRY> entries;
    bool stock = false;
};

struct BitmapObject {
    gfx::Bitmap pixels;
    int bits_per_pixel = 32;
    HDC selected_into = 0;
    bool stock = false;
};

// The next handle value of this thread; shared by all displays the thread makes, so values of a
// replaced display never come back.
thread_local HANDLE next_handle = 0x00010000;

class Display {
public:
    explicit Display(const DisplayOptions& options)
        : options_(options)
        , backend_(std::make_unique<MemoryBackend>(options.screen, options.bits_per_pixel))
    {
        auto desktop = std::make_unique<Window>();
        desktop->handle = issue(Kind::Window);
        desktop->rect = { 0, 0, options.screen.width, options.screen.height };
        desktop->visible = true;
        desktop->background = options.desktop;
        desktop->pixels = gfx::Bitmap(options.screen, options.desktop);
        desktop_ = desktop->handle;
        windows_.emplace(desktop_, std::move(desktop));

        stock_bitmap_ = issue(Kind::Bitmap);
        bitmaps_.emplace(stock_bitmap_, BitmapObject { gfx::Bitmap({ 1, 1 }), 1, 0, true });

        auto standard = standard_palette();
        stock_palette_ = issue(Kind::Palette);
        std::vector<PALETTEENTRY> fixed(standard.begin(), standard.begin() + 10);
        fixed.insert(fixed.end(), standard.end() - 10, standard.end());
        palettes_.emplace(stock_palette_, PaletteObject { std::move(fixed), true });
        if (options.bits_per_pixel <= 8)
            system_palette = std::move(standard);
    }

    // The 256 colours of a palette display: the twenty fixed colours, ten at each end, and between
    // them a 6 x 6 x 6 colour cube followed by greys.
    static std::vector<PALETTEENTRY> standard_palette()
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

    const DisplayOptions& options() const { return options_; }
    DisplayBackend& backend() { return *backend_; }
    HWND desktop() const { return desktop_; }
    HWND foreground = 0;
    std::vector<HWND> to_paint;  // marked for painting, in order
    std::vector<PALETTEENTRY> system_palette;  // empty unless the display works through a palette

    // ---- The handle table -------------------------------------------------------------------

    HANDLE issue(Kind kind)
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
    void release(HANDLE handle) { kinds_.erase(handle); }

    Window* window(HWND handle)
    {
        auto it = windows_.find(handle);
        return it == windows_.end() ? nullptr : it->second.get();
    }
    DeviceContext* dc(HDC handle)
    {
        auto it = dcs_.find(handle);
        return it == dcs_.end() ? nullptr : &it->second;
    }
    BitmapObject* bitmap(HBITMAP handle)
    {
        auto it = bitmaps_.find(handle);
        return it == bitmaps_.end() ? nullptr : &it->second;
    }
    PaletteObject* palette(HPALETTE handle)
    {
        auto it = palettes_.find(handle);
        return it == palettes_.end() ? nullptr : &it->second;
    }
    HPALETTE stock_palette() const { return stock_palette_; }
    HPALETTE add_palette(std::vector<PALETTEENTRY> entries)
    {
        HPALETTE handle = issue(Kind::Palette);
        palettes_.emplace(handle, PaletteObject { std::move(entries), false });
        return handle;
    }
    bool palette_in_use(HPALETTE handle) const
    {
        return std::any_of(dcs_.begin(), dcs_.end(), [&](const auto& entry) { return entry.second.palette == handle; });
    }
    void remove_palette(HPALETTE handle)
    {
        palettes_.erase(handle);
        release(handle);
    }
    Region* region(HRGN handle)
    {
        auto it = regions_.find(handle);
        return it == regions_.end() ? nullptr : &it->second;
    }

    // ---- Objects ----------------------------------------------------------------------------

    HDC add_dc(DeviceContext context)
    {
        context.handle = issue(Kind::DeviceContext);
        if (context.kind == DeviceContext::Kind::Memory)
            context.bitmap = stock_bitmap_;
        context.palette = stock_palette_;
        HDC handle = context.handle;
        dcs_.emplace(handle, context);
        return handle;
    }
    void remove_dc(HDC handle)
    {
        auto* context = dc(handle);
        if (auto* selected = context ? bitmap(context->bitmap) : nullptr; selected && !selected->stock)
            selected->selected_into = 0;
        dcs_.erase(handle);
        release(handle);
    }

    HBITMAP add_bitmap(gfx::Size size, int bits_per_pixel)
    {
        HBITMAP handle = issue(Kind::Bitmap);
        bitmaps_.emplace(handle, BitmapObject { gfx::Bitmap(size), bits_per_pixel, 0, false });
        return handle;
    }
    void remove_bitmap(HBITMAP handle)
    {
        bitmaps_.erase(handle);
        release(handle);
    }

    HRGN add_region(Region value)
    {
        HRGN handle = issue(Kind::Region);
        regions_.emplace(handle, std::move(value));
        return handle;
    }
    Region take_region(HRGN handle)
    {
        Region value = std::move(regions_.at(handle));
        regions_.erase(handle);
        release(handle);
        return value;
    }

    HWND add_window(std::unique_ptr<Window> window)
    {
        window->handle = issue(Kind::Window);
        HWND handle = window->handle;
        windows_.emplace(handle, std::move(window));
        return handle;
    }
    void remove_window(HWND handle)
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
        backend_->window_destroyed(handle);
        views_.erase(handle);
        windows_.erase(handle);
        release(handle);
    }

    // ---- Geometry ---------------------------------------------------------------------------

    Window& parent_of(const Window& w) { return *window(w.parent ? w.parent : desktop_); }

    // Where the window's (0, 0) lies on the screen.
    gfx::Point screen_origin(const Window& w)
    {
        if (w.handle == desktop_)
            return {};
        const Window& parent = parent_of(w);
        gfx::Point parent_client = screen_origin(parent).translated(parent.client_rect().location());
        return parent_client.translated(w.rect.location());
    }

    bool shows_on_screen(const Window& w)
    {
        for (const Window* at = &w; at->handle != desktop_; at = &parent_of(*at)) {
            if (!at->shows())
                return false;
        }
        return true;
    }

    // ---- The screen -------------------------------------------------------------------------

    void changed() { ++generation_; }

    // Adds `w` and its visible descendants, seen through `allowed`, to the layers.
    void add_layers(const Window& w, gfx::Point origin, const Region& allowed, std::vector<SceneLayer>& out, bool apply_region = true)
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

    const gfx::Bitmap& screen()
    {
        return backend_->screen(generation_, [this] {
            std::vector<SceneLayer> layers;
            const Window& desk = *window(desktop_);
            add_layers(desk, {}, Region(desk.rect), layers);
            return layers;
        });
    }

    // The window with its visible children, in window coordinates.
    const gfx::Bitmap& window_view(Window& w)
    {
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

    // ---- What a device context reaches ------------------------------------------------------

    std::optional<DrawingTarget> target(DeviceContext& context)
    {
        switch (context.kind) {
        case DeviceContext::Kind::Memory: {
            auto* selected = bitmap(context.bitmap);
            if (!selected)
                return {};
            return DrawingTarget { &selected->pixels, {}, selected->pixels.rect(), false };
        }
        case DeviceContext::Kind::Screen: {
            Window& desk = *window(desktop_);
            return DrawingTarget { &desk.pixels, {}, desk.pixels.rect(), true };
        }
        case DeviceContext::Kind::Window:
        case DeviceContext::Kind::Client: {
            Window* w = window(context.window);
            if (!w)
                return {};
            gfx::Rect area = context.kind == DeviceContext::Kind::Client ? w->client_rect() : w->pixels.rect();
            return DrawingTarget { &w->pixels, area.location(), area, true };
        }
        }
        return {};
    }

    std::optional<ReadingSource> source(DeviceContext& context)
    {
        switch (context.kind) {
        case DeviceContext::Kind::Memory: {
            auto* selected = bitmap(context.bitmap);
            if (!selected)
                return {};
            return ReadingSource { &selected->pixels, {}, selected->pixels.rect() };
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
            gfx::Rect area = context.kind == DeviceContext::Kind::Client ? w->client_rect() : w->pixels.rect();
            return ReadingSource { &window_view(*w), area.location(), area };
        }
        }
        return {};
    }

    // ---- Windows ----------------------------------------------------------------------------

    void repaint_frame(Window& w) { paint_frame(w, w.parent == 0); }

    // New rectangle and style: new pixels, the old client pixels kept where they were on the
    // screen as far as they fit, the rest in the background colour.
    void reshape(Window& w, gfx::Rect rect, WindowStyle style)
    {
        rect.width = std::max(0, rect.width);
        rect.height = std::max(0, rect.height);
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

    void raise_to_top(Window& w)
    {
        auto& siblings = parent_of(w).children;
        std::erase(siblings, w.handle);
        siblings.push_back(w.handle);
        changed();
    }

private:
    struct View {
        std::unique_ptr<gfx::Bitmap> bitmap;
        uint64_t generation = 0;
    };

    DisplayOptions options_;
    std::unique_ptr<DisplayBackend> backend_;
    std::unordered_map<HANDLE, Kind> kinds_;
    std::unordered_map<HWND, std::unique_ptr<Window>> windows_;
    std::unordered_map<HDC, DeviceContext> dcs_;
    std::unordered_map<HBITMAP, BitmapObject> bitmaps_;
    std::unordered_map<HRGN, Region> regions_;
    std::unordered_map<HPALETTE, PaletteObject> palettes_;
    std::unordered_map<HWND, View> views_;
    HWND desktop_ = 0;
    HBITMAP stock_bitmap_ = 0;
    HPALETTE stock_palette_ = 0;
    uint64_t generation_ = 1;
};

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

COLORREF to_colorref(uint32_t word) { return gfx::Color::from_pixel(word).to_colorref(); }

}  // namespace

// ---- Choosing the display ---------------------------------------------------------------------

void reset_display(const DisplayOptions& options)
{
    if (display_gone)
        return;
    current.display.reset();
    current.display = std::make_unique<Display>(options);
}

const DisplayOptions& display_options() { return display().options(); }

uint64_t screen_compositions()
{
    auto* memory = dynamic_cast<MemoryBackend*>(&display().backend());
    return memory ? memory->compositions() : 0;
}

// ---- Windows for the host ---------------------------------------------------------------------

HWND create_window(const WindowDesc& desc)
{
    auto& d = display();
    Window* parent = d.window(desc.parent ? desc.parent : d.desktop());
    if (!parent)
        return 0;
    if (desc.rect.width < 0 || desc.rect.height < 0 || desc.rect.width > max_bitmap_side || desc.rect.height > max_bitmap_side
        || int64_t(desc.rect.width) * desc.rect.height > max_bitmap_pixels)
        return 0;
    auto w = std::make_unique<Window>();
    w->parent = desc.parent;
    w->rect = { clamp_coordinate(desc.rect.x), clamp_coordinate(desc.rect.y), desc.rect.width, desc.rect.height };
    w->style = desc.style;
    w->title = desc.title;
    w->background = desc.background;
    w->visible = desc.visible;
    w->pixels = gfx::Bitmap(w->rect.size(), desc.background);
    Window& made = *w;
    HWND handle = d.add_window(std::move(w));
    d.repaint_frame(made);
    if (made.style.own_dc)
        made.own_dc = d.add_dc({ 0, DeviceContext::Kind::Client, handle, 0, 0, true });
    parent->children.push_back(handle);
    if (desc.parent == 0 && desc.visible)
        d.foreground = handle;
    d.backend().window_changed(made);
    d.changed();
    return handle;
}

const Window* find_window(HWND window) { return display().window(window); }

bool set_window_style(HWND window, WindowStyle style)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || window == d.desktop())
        return false;
    d.reshape(*w, w->rect, style);
    return true;
}

bool set_window_background(HWND window, gfx::Color color)
{
    Window* w = display().window(window);
    if (!w)
        return false;
    w->background = color;
    return true;
}

bool set_window_show_state(HWND window, ShowState state)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || window == d.desktop())
        return false;
    w->show_state = state;
    d.backend().window_changed(*w);
    d.changed();
    return true;
}

std::optional<DrawingTarget> drawing_target(HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    return context ? d.target(*context) : std::nullopt;
}

void screen_changed() { display().changed(); }

std::optional<ReadingSource> reading_source(HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    return context ? d.source(*context) : std::nullopt;
}

const gfx::Bitmap* bitmap_pixels(HBITMAP bitmap)
{
    auto* object = display().bitmap(bitmap);
    return object ? &object->pixels : nullptr;
}

// ---- Device contexts --------------------------------------------------------------------------

HDC GetDC(HWND window)
{
    auto& d = display();
    if (window == 0 || window == d.desktop())
        return d.add_dc({ 0, DeviceContext::Kind::Screen });
    Window* w = d.window(window);
    if (!w)
        return 0;
    if (w->own_dc)
        return w->own_dc;
    return d.add_dc({ 0, DeviceContext::Kind::Client, window });
}

HDC GetWindowDC(HWND window)
{
    auto& d = display();
    if (window == 0 || window == d.desktop())
        return d.add_dc({ 0, DeviceContext::Kind::Screen });
    if (!d.window(window))
        return 0;
    return d.add_dc({ 0, DeviceContext::Kind::Window, window });
}

int ReleaseDC(HWND, HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    if (!context || context->kind == DeviceContext::Kind::Memory)
        return 0;
    if (!context->owned_by_window)
        d.remove_dc(dc);
    return 1;
}

HDC CreateCompatibleDC(HDC dc)
{
    auto& d = display();
    if (dc != 0 && !d.dc(dc))
        return 0;
    return d.add_dc({ 0, DeviceContext::Kind::Memory });
}

BOOL DeleteDC(HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    if (!context || context->kind != DeviceContext::Kind::Memory)
        return 0;
    d.remove_dc(dc);
    return 1;
}

int GetDeviceCaps(HDC dc, int index)
{
    auto& d = display();
    if (!d.dc(dc))
        return 0;
    auto& backend = d.backend();
    bool palette = backend.bits_per_pixel() <= 8;
    switch (index) {
    case HORZRES: return backend.screen_size().width;
    case VERTRES: return backend.screen_size().height;
    case BITSPIXEL: return backend.bits_per_pixel();
    case PLANES: return 1;
    case RASTERCAPS: return RC_BITBLT | RC_DI_BITMAP | (palette ? RC_PALETTE : 0);
    case SIZEPALETTE: return palette ? 256 : 0;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
    }
}

// ---- Bitmaps and objects ----------------------------------------------------------------------

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    auto& d = display();
    if (!d.dc(dc) || width < 0 || height < 0 || width > max_bitmap_side || height > max_bitmap_side
        || int64_t(width) * height > max_bitmap_pixels)
        return 0;
    // A zero size gives the smallest bitmap there is: one monochrome pixel.
    if (width == 0 || height == 0)
        return d.add_bitmap({ 1, 1 }, 1);
    return d.add_bitmap({ width, height }, 32);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    auto& d = display();
    auto* context = d.dc(dc);
    auto* chosen = d.bitmap(object);
    if (!context || !chosen || context->kind != DeviceContext::Kind::Memory)
        return 0;
    if (!chosen->stock && chosen->selected_into != 0 && chosen->selected_into != dc)
        return 0;
    HBITMAP previous = context->bitmap;
    if (auto* old = d.bitmap(previous); old && !old->stock)
        old->selected_into = 0;
    if (!chosen->stock)
        chosen->selected_into = dc;
    context->bitmap = object;
    return previous;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type)
{
    auto* context = display().dc(dc);
    if (!context)
        return 0;
    if (type == OBJ_PAL)
        return context->palette;
    if (type != OBJ_BITMAP || context->kind != DeviceContext::Kind::Memory)
        return 0;
    return context->bitmap;
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto& d = display();
    if (auto* b = d.bitmap(object)) {
        if (b->stock)
            return 1;
        if (b->selected_into != 0)
            return 0;
        d.remove_bitmap(object);
        return 1;
    }
    if (d.region(object)) {
        d.take_region(object);
        return 1;
    }
    if (auto* p = d.palette(object)) {
        if (p->stock)
            return 1;
        if (d.palette_in_use(object))
            return 0;
        d.remove_palette(object);
        return 1;
    }
    return 0;
}

int GetObjectA(HGDIOBJ object, int size, void* out)
{
    if (auto* p = display().palette(object)) {
        if (!out)
            return sizeof(WORD);
        if (size < static_cast<int>(sizeof(WORD)))
            return 0;
        auto count = static_cast<WORD>(p->entries.size());
        std::memcpy(out, &count, sizeof count);
        return sizeof(WORD);
    }
    auto* b = display().bitmap(object);
    if (!b)
        return 0;
    if (!out)
        return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP record;
    record.bmType = 0;
    record.bmWidth = b->pixels.width();
    record.bmHeight = b->pixels.height();
    record.bmWidthBytes = b->bits_per_pixel == 1 ? ((b->pixels.width() + 15) / 16) * 2 : b->pixels.width() * 4;
    record.bmPlanes = 1;
    record.bmBitsPixel = static_cast<WORD>(b->bits_per_pixel);
    record.bmBits = 0;
    std::memcpy(out, &record, sizeof record);
    return sizeof(BITMAP);
}

// ---- Palettes ---------------------------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* palette)
{
    if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0)
        return 0;
    const PALETTEENTRY* first = palette->palPalEntry;
    return display().add_palette(std::vector<PALETTEENTRY>(first, first + palette->palNumEntries));
}

namespace {
UINT copy_entries(const std::vector<PALETTEENTRY>& from, UINT start, UINT count, PALETTEENTRY* out)
{
    if (!out)
        return static_cast<UINT>(from.size());
    if (start >= from.size())
        return 0;
    UINT n = std::min<UINT>(count, static_cast<UINT>(from.size()) - start);
    std::copy_n(from.begin() + start, n, out);
    return n;
}
}  // namespace

UINT GetSystemPaletteEntries(HDC dc, UINT start, UINT count, PALETTEENTRY* entries)
{
    auto& d = display();
    if (!d.dc(dc))
        return 0;
    return copy_entries(d.system_palette, start, count, entries);
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries)
{
    auto* p = display().palette(palette);
    return p ? copy_entries(p->entries, start, count, entries) : 0;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL)
{
    auto& d = display();
    auto* context = d.dc(dc);
    if (!context || !d.palette(palette))
        return 0;
    return std::exchange(context->palette, palette);
}

UINT RealizePalette(HDC dc)
{
    auto& d = display();
    auto* context = d.dc(dc);
    if (!context)
        return GDI_ERROR;
    auto* p = d.palette(context->palette);
    if (d.system_palette.empty() || !p || p->stock)
        return 0;
    return static_cast<UINT>(std::min<size_t>(p->entries.size(), d.system_palette.size()));
}

HGDIOBJ GetStockObject(int index) { return index == DEFAULT_PALETTE ? display().stock_palette() : 0; }

// ---- Pixels -----------------------------------------------------------------------------------

COLORREF GetPixel(HDC dc, int x, int y)
{
    auto source = reading_source(dc);
    if (!source)
        return CLR_INVALID;
    gfx::Point at = gfx::Point { clamp_coordinate(x), clamp_coordinate(y) }.translated(source->origin);
    if (!source->area.contains(at))
        return CLR_INVALID;
    return to_colorref(source->bitmap->word(at.x, at.y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    auto target = drawing_target(dc);
    if (!target)
        return CLR_INVALID;
    gfx::Point at = gfx::Point { clamp_coordinate(x), clamp_coordinate(y) }.translated(target->origin);
    if (!target->clip.contains(at))
        return CLR_INVALID;
    gfx::Color value = gfx::Color::from_colorref(color);
    target->bitmap->set_pixel(at.x, at.y, value);
    if (target->shows_on_screen)
        screen_changed();
    return value.to_colorref();
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int source_x, int source_y, DWORD rop)
{
    auto to = drawing_target(destination);
    if (!to)
        return 0;
    // Destination edges in the target bitmap's pixels, 64-bit so no caller's value overflows.
    int64_t left = int64_t(x) + to->origin.x, top = int64_t(y) + to->origin.y;
    int64_t right = left + width, bottom = top + height;
    left = std::max<int64_t>(left, to->clip.left());
    top = std::max<int64_t>(top, to->clip.top());
    right = std::min<int64_t>(right, to->clip.right());
    bottom = std::min<int64_t>(bottom, to->clip.bottom());
    if (rop == BLACKNESS || rop == WHITENESS) {
        if (left < right && top < bottom)
            to->bitmap->fill(gfx::Rect::from_edges(int(left), int(top), int(right), int(bottom)), rop == BLACKNESS ? gfx::Color {} : gfx::Color { 255, 255, 255 });
    } else if (rop == SRCCOPY) {
        auto from = reading_source(source);
        if (!from)
            return 0;
        // A destination pixel (x, y) takes the source pixel (x + dx, y + dy); clip by the source too.
        int64_t dx = int64_t(source_x) + from->origin.x - (int64_t(x) + to->origin.x);
        int64_t dy = int64_t(source_y) + from->origin.y - (int64_t(y) + to->origin.y);
        left = std::max<int64_t>(left, from->area.left() - dx);
        top = std::max<int64_t>(top, from->area.top() - dy);
        right = std::min<int64_t>(right, from->area.right() - dx);
        bottom = std::min<int64_t>(bottom, from->area.bottom() - dy);
        if (left >= right || top >= bottom)
            return 1;
        gfx::Rect src = gfx::Rect::from_edges(int(left + dx), int(top + dy), int(right + dx), int(bottom + dy));
        to->bitmap->copy_from(*from->bitmap, src, { int(left), int(top) });
    } else {
        return 0;
    }
    if (to->shows_on_screen)
        screen_changed();
    return 1;
}

// ---- Device-independent bitmaps ---------------------------------------------------------------

namespace {

// The rows of a 32-bit DIB and the bitmap rows they stand for.
struct DibLayout {
    int width = 0;
    int height = 0;
    bool top_down = false;

    // Image row (0 at the top) of scan line `line`.
    int image_row(int line) const { return top_down ? line : height - 1 - line; }
};

std::optional<DibLayout> dib_layout(const BITMAPINFO* info)
{
    if (!info)
        return {};
    const auto& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0
        || h.biHeight == 0 || h.biWidth > max_bitmap_side || h.biHeight > max_bitmap_side || h.biHeight < -max_bitmap_side)
        return {};
    return DibLayout { h.biWidth, std::abs(h.biHeight), h.biHeight < 0 };
}

// Calls `row(dib_line_index, bitmap_row)` for every requested scan line that maps onto the
// bitmap, and returns how many there were.
template<typename Row>
int for_each_line(const DibLayout& dib, const gfx::Bitmap& bitmap, UINT start, UINT lines, Row&& row)
{
    int copied = 0;
    int64_t first = start;
    int64_t end = std::min<int64_t>(first + lines, dib.height);
    for (int64_t line = first; line < end; ++line) {
        int y = dib.image_row(static_cast<int>(line));
        if (y < 0 || y >= bitmap.height())
            continue;
        row(static_cast<size_t>(line - first), y);
        ++copied;
    }
    return copied;
}

}  // namespace

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage)
{
    auto& d = display();
    auto* b = d.bitmap(bitmap);
    if (!d.dc(dc) || !b || !info || usage > 1)
        return 0;
    if (!bits) {
        auto& h = info->bmiHeader;
        if (h.biSize < sizeof(BITMAPINFOHEADER))
            return 0;
        h.biWidth = b->pixels.width();
        h.biHeight = b->pixels.height();
        h.biPlanes = 1;
        h.biBitCount = 32;
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(b->pixels.width()) * b->pixels.height() * 4;
        return b->pixels.height();
    }
    auto dib = dib_layout(info);
    if (!dib)
        return 0;
    int columns = std::min(dib->width, b->pixels.width());
    auto* out = static_cast<uint32_t*>(bits);
    return for_each_line(*dib, b->pixels, start, lines, [&](size_t index, int y) {
        std::memcpy(out + index * dib->width, b->pixels.scanline(y), static_cast<size_t>(columns) * 4);
    });
}

int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    auto& d = display();
    auto* b = d.bitmap(bitmap);
    auto dib = dib_layout(info);
    if (!d.dc(dc) || !b || !bits || !dib || usage > 1 || b->stock)
        return 0;
    int columns = std::min(dib->width, b->pixels.width());
    auto* in = static_cast<const uint32_t*>(bits);
    return for_each_line(*dib, b->pixels, start, lines, [&](size_t index, int y) {
        const uint32_t* from = in + index * dib->width;
        uint32_t* to = b->pixels.scanline(y);
        for (int x = 0; x < columns; ++x)
            to[x] = from[x] & 0x00FFFFFF;
    });
}

// ---- Regions ----------------------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    int l = clamp_coordinate(std::min(left, right));
    int r = clamp_coordinate(std::max(left, right));
    int t = clamp_coordinate(std::min(top, bottom));
    int b = clamp_coordinate(std::max(top, bottom));
    return display().add_region(Region(gfx::Rect::from_edges(l, t, r, b)));
}

int CombineRgn(HRGN destination, HRGN first, HRGN second, int mode)
{
    auto& d = display();
    Region* into = d.region(destination);
    Region* a = d.region(first);
    Region* b = d.region(second);
    if (!into || !a || (mode != RGN_COPY && !b))
        return REGION_ERROR;
    switch (mode) {
    case RGN_AND: *into = a->intersected(*b); break;
    case RGN_OR: *into = a->united(*b); break;
    case RGN_XOR: *into = a->united(*b).subtracted(a->intersected(*b)); break;
    case RGN_DIFF: *into = a->subtracted(*b); break;
    case RGN_COPY: *into = *a; break;
    default: return REGION_ERROR;
    }
    return into->kind();
}

int GetRgnBox(HRGN region, RECT* box)
{
    Region* r = display().region(region);
    if (!r || !box)
        return REGION_ERROR;
    gfx::Rect b = r->bounds();
    *box = { b.left(), b.top(), b.right(), b.bottom() };
    return r->kind();
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    Region* r = display().region(region);
    return r && r->contains(x, y);
}

// ---- Windows ----------------------------------------------------------------------------------

HWND GetDesktopWindow() { return display().desktop(); }
HWND GetForegroundWindow() { return display().foreground; }

BOOL SetForegroundWindow(HWND window)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || window == d.desktop() || w->parent != 0)
        return 0;
    d.raise_to_top(*w);
    d.foreground = window;
    return 1;
}

HWND GetParent(HWND window)
{
    Window* w = display().window(window);
    return w ? w->parent : 0;
}

BOOL IsWindow(HWND window) { return display().window(window) != nullptr; }

BOOL IsWindowVisible(HWND window)
{
    auto& d = display();
    Window* w = d.window(window);
    return w && d.shows_on_screen(*w);
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || !rect)
        return 0;
    gfx::Rect r = gfx::Rect::of(d.screen_origin(*w), w->rect.size());
    *rect = { r.left(), r.top(), r.right(), r.bottom() };
    return 1;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    Window* w = display().window(window);
    if (!w || !rect)
        return 0;
    gfx::Rect client = w->client_rect();
    *rect = { 0, 0, client.width, client.height };
    return 1;
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || !point)
        return 0;
    gfx::Point origin = d.screen_origin(*w).translated(w->client_rect().location());
    point->x = clamp_coordinate(int64_t(point->x) + origin.x);
    point->y = clamp_coordinate(int64_t(point->y) + origin.y);
    return 1;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL)
{
    return SetWindowPos(window, 0, x, y, width, height, SWP_NOZORDER);
}

BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int width, int height, UINT flags)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || window == d.desktop())
        return 0;
    gfx::Rect rect = w->rect;
    if (!(flags & SWP_NOMOVE)) {
        rect.x = clamp_coordinate(x);
        rect.y = clamp_coordinate(y);
    }
    if (!(flags & SWP_NOSIZE)) {
        int64_t wide = std::max(0, width);
        int64_t high = std::max(0, height);
        if (wide > max_bitmap_side || high > max_bitmap_side || wide * high > max_bitmap_pixels)
            return 0;
        rect.width = static_cast<int>(wide);
        rect.height = static_cast<int>(high);
    }
    if (!(flags & SWP_NOZORDER)) {
        auto& siblings = d.parent_of(*w).children;
        std::erase(siblings, window);
        // The window goes just below `insert_after`; the list runs bottom to top.
        auto at = std::find(siblings.begin(), siblings.end(), insert_after);
        if (insert_after == HWND_BOTTOM)
            siblings.insert(siblings.begin(), window);
        else if (insert_after != HWND_TOP && at != siblings.end())
            siblings.insert(at, window);
        else
            siblings.push_back(window);
    }
    if (rect.size() != w->rect.size())
        d.reshape(*w, rect, w->style);
    else
        w->rect = rect;
    if (flags & SWP_SHOWWINDOW)
        w->visible = true;
    if (flags & SWP_HIDEWINDOW)
        w->visible = false;
    d.backend().window_changed(*w);
    d.changed();
    return 1;
}

BOOL BringWindowToTop(HWND window)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || window == d.desktop())
        return 0;
    d.raise_to_top(*w);
    return 1;
}

BOOL ShowWindow(HWND window, int command)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || window == d.desktop())
        return 0;
    BOOL was_visible = w->visible;
    switch (command) {
    case SW_HIDE: w->visible = false; break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        w->visible = true;
        w->show_state = ShowState::Minimized;
        break;
    case SW_SHOWMAXIMIZED:
        w->visible = true;
        w->show_state = ShowState::Maximized;
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        w->visible = true;
        w->show_state = ShowState::Normal;
        break;
    default: w->visible = true; break;
    }
    if (w->visible && w->parent == 0 && w->show_state != ShowState::Minimized) {
        d.raise_to_top(*w);
        d.foreground = window;
    }
    d.backend().window_changed(*w);
    d.changed();
    return was_visible;
}

BOOL DestroyWindow(HWND window)
{
    auto& d = display();
    if (!d.window(window) || window == d.desktop())
        return 0;
    d.remove_window(window);
    d.changed();
    return 1;
}

int SetWindowRgn(HWND window, HRGN region, BOOL)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || window == d.desktop() || (region != 0 && !d.region(region)))
        return 0;
    if (region == 0)
        w->region.reset();
    else
        w->region = d.take_region(region);
    d.backend().window_changed(*w);
    d.changed();
    return 1;
}

int GetWindowRgn(HWND window, HRGN into)
{
    auto& d = display();
    Window* w = d.window(window);
    Region* target = d.region(into);
    if (!w || !target || !w->region)
        return REGION_ERROR;
    *target = *w->region;
    return target->kind();
}

BOOL SetWindowTextA(HWND window, const std::string& text)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w)
        return 0;
    w->title = text;
    return 1;
}

std::string window_text(HWND window)
{
    Window* w = display().window(window);
    return w ? w->title : std::string();
}

COLORREF GetSysColor(int index)
{
    static constexpr COLORREF scheme[] = {
        0xC8C8C8, 0xA56E3A, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
        0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
        0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000,
        0xE1FFFF,
    };
    if (index < 0 || index >= static_cast<int>(std::size(scheme)))
        return 0;
    return scheme[index];
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return 0;
    gfx::Point p = display().backend().cursor_position();
    *point = { p.x, p.y };
    return 1;
}

BOOL SetCursorPos(int x, int y)
{
    auto& d = display();
    gfx::Size screen = d.backend().screen_size();
    d.backend().set_cursor_position({ std::clamp(x, 0, screen.width - 1), std::clamp(y, 0, screen.height - 1) });
    return 1;
}

}  // namespace velmo::platform

namespace velmo::platform {

// ---- Messages ---------------------------------------------------------------------------------

bool set_paint_handler(HWND window, std::function<void()> handler)
{
    Window* w = display().window(window);
    if (!w)
        return false;
    w->paint = std::move(handler);
    return true;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w)
        return 0;
    if (!w->needs_paint) {
        w->needs_paint = true;
        d.to_paint.push_back(window);
    }
    return 1;
}

BOOL UpdateWindow(HWND window)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w)
        return 0;
    if (w->needs_paint) {
        w->needs_paint = false;
        std::erase(d.to_paint, window);
        if (w->paint) {
            auto handler = w->paint;  // the handler may replace itself or destroy the window
            handler();
        }
    }
    return 1;
}

void pump_messages()
{
    auto batch = std::move(display().to_paint);
    display().to_paint.clear();
    for (HWND window : batch) {
        Window* w = display().window(window);
        if (!w || !w->needs_paint)
            continue;
        w->needs_paint = false;
        if (w->paint) {
            auto handler = w->paint;
            handler();
        }
    }
}

}  // namespace velmo::platform
