// The display's own state, shared by the files that implement the windowing and drawing calls:
// one handle table for windows, device contexts, bitmaps, regions and palettes, the window tree
// rooted at the desktop, the screen composed from it, and the thread's message queue.
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
// - On the memory display a bitmap shown in a client area (show_bitmap) is copied there only when
//   something looks at the windows or the screen, or is about to change the bitmap: every such path
//   settles the waiting copies first. A bitmap overwritten whole while one waits hands its storage
//   to that copy and takes a spare, so frames shown to nobody cost no copy at all.
// - Handles come from one counter per thread and are never reused, so a stale handle finds
//   nothing, even after the display was replaced.
//
// Internal to the platform layer: callers outside it use display.h, gdi.h, user.h, messages.h.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/device_context.h"
#include "platform/display.h"
#include "platform/display_backend.h"
#include "platform/message_queue.h"
#include "platform/region.h"
#include "platform/window.h"

namespace velmo::platform {

// Coordinates from callers are clamped to this before any arithmetic, so no sum overflows.
inline constexpr int64_t coordinate_limit = 1 << 28;
// The largest bitmap a caller may ask for.
inline constexpr int64_t max_bitmap_side = 1 << 16;
inline constexpr int64_t max_bitmap_pixels = int64_t(1) << 26;
// The largest side of a top-level window asked to be larger than the largest bitmap: a square of
// it is exactly that bitmap.
inline constexpr int64_t largest_window_side = 1 << 13;

inline int clamp_coordinate(int64_t value) { return static_cast<int>(std::clamp(value, -coordinate_limit, coordinate_limit)); }

inline COLORREF to_colorref(uint32_t word) { return gfx::Color::from_pixel(word).to_colorref(); }

enum class Kind : uint8_t { Window, DeviceContext, Bitmap, Region, Palette };

struct PaletteObject {
    std::vector<PALETTEENTRY> entries;
    bool stock = false;
};

// A new bitmap is black, but its storage is blackened only when first read or drawn on, so that a
// copy covering all of it (how a capture starts one) writes each pixel once.
struct BitmapObject {
    gfx::Bitmap storage;
    int bits_per_pixel = 32;
    HDC selected_into = 0;
    bool stock = false;
    bool blank = false;  // the storage holds no values yet; every pixel counts as black

    gfx::Size size() const { return storage.size(); }
    gfx::Bitmap& pixels()
    {
        if (blank) {
            storage.fill(gfx::Color {});
            blank = false;
        }
        return storage;
    }
};

class Display final : public InputSink {
public:
    explicit Display(const DisplayOptions& options);
    ~Display();

    // The 256 colours of a palette display: the twenty fixed colours, ten at each end, and between
    // them a 6 x 6 x 6 colour cube followed by greys.
    static std::vector<PALETTEENTRY> standard_palette();

    const DisplayOptions& options() const { return options_; }
    DisplayBackend& backend() { return *backend_; }
    HWND desktop() const override { return desktop_; }
    HWND foreground = 0;
    std::vector<PALETTEENTRY> system_palette;  // empty unless the display works through a palette
    MessageQueue queue;

    // ---- The handle table -------------------------------------------------------------------

    HANDLE issue(Kind kind);
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
    Region* region(HRGN handle)
    {
        auto it = regions_.find(handle);
        return it == regions_.end() ? nullptr : &it->second;
    }
    HPALETTE stock_palette() const { return stock_palette_; }

    // ---- Objects ----------------------------------------------------------------------------

    HPALETTE add_palette(std::vector<PALETTEENTRY> entries);
    bool palette_in_use(HPALETTE handle) const;
    void remove_palette(HPALETTE handle);
    HDC add_dc(DeviceContext context);
    void remove_dc(HDC handle);
    HBITMAP add_bitmap(gfx::Size size, int bits_per_pixel);
    void remove_bitmap(HBITMAP handle);
    HRGN add_region(Region value);
    Region take_region(HRGN handle);
    HWND add_window(std::unique_ptr<Window> window);
    void remove_window(HWND handle);

    // ---- Geometry ---------------------------------------------------------------------------

    Window& parent_of(const Window& w) { return *window(w.parent ? w.parent : desktop_); }
    // Where the window's (0, 0) lies on the screen.
    gfx::Point screen_origin(const Window& w);
    bool shows_on_screen(const Window& w);
    // The deepest shown window whose visible part (rectangle, region, parents' client areas)
    // holds the screen point; the desktop when no other does.
    HWND window_at(gfx::Point screen);

    // ---- The screen -------------------------------------------------------------------------

    void changed() { ++generation_; }
    // Pixels of the window were drawn on.
    void damaged(HWND handle);
    const gfx::Bitmap& screen();
    // The window with its visible children, in window coordinates.
    const gfx::Bitmap& window_view(Window& w);

    // ---- Bitmaps shown in client areas, copied when next looked at -------------------------

    void show_bitmap(HWND window, HBITMAP bitmap);
    // Copies every waiting bitmap into its client area.
    void settle();
    // Call before the pixels of `bitmap` change. A copy from it still waiting is made now, unless
    // the caller writes every pixel before any read (Whole): then the waiting copy keeps the
    // storage it would have read, and the bitmap takes another.
    enum class Overwrite { Part, Whole };
    void before_write(HBITMAP bitmap, Overwrite overwrite = Overwrite::Part);

    // ---- What a device context reaches ------------------------------------------------------

    std::optional<DrawingTarget> target(DeviceContext& context);
    std::optional<ReadingSource> source(DeviceContext& context);

    // ---- Windows ----------------------------------------------------------------------------

    void repaint_frame(Window& w);
    // New rectangle and style: new pixels, the old client pixels kept where they were on the
    // screen as far as they fit, the rest in the background colour.
    void reshape(Window& w, gfx::Rect rect, WindowStyle style);
    void raise_to_top(Window& w);

    // Input from the backend or injected (InputSink): queued raw, addressed when retrieved.
    void pointer_moved(gfx::Point screen) override;
    void button_changed(MouseButton button, bool down) override;
    // The rest of what a backend reports (backend_sink.cpp).
    void key_changed(HWND window, int key, bool down) override;
    void close_requested(HWND window) override;
    void window_placed(HWND window, gfx::Rect outer) override;
    HWND foreign_window_seen(uint64_t id, gfx::Rect rect) override;
    void foreign_window_gone(uint64_t id) override;
    const Window* window_state(HWND handle) override { return window(handle); }
    const gfx::Bitmap* window_pixels(HWND handle) override;

private:
    struct View {
        std::unique_ptr<gfx::Bitmap> bitmap;
        uint64_t generation = 0;
    };

    // A bitmap waiting to be copied into a window's client area; `kept` holds its pixels as they
    // were shown once the bitmap has been overwritten since.
    struct WaitingShow {
        HWND window = 0;
        HBITMAP bitmap = 0;
        std::optional<gfx::Bitmap> kept;
    };

    void add_layers(const Window& w, gfx::Point origin, const Region& allowed, std::vector<SceneLayer>& out, bool apply_region = true);
    void copy_shown(WaitingShow& show);
    HWND child_at(const Window& w, gfx::Point origin, gfx::Point screen);

    DisplayOptions options_;
    std::unique_ptr<DisplayBackend> backend_;
    std::unordered_map<HANDLE, Kind> kinds_;
    std::unordered_map<HWND, std::unique_ptr<Window>> windows_;
    std::unordered_map<HDC, DeviceContext> dcs_;
    std::unordered_map<HBITMAP, BitmapObject> bitmaps_;
    std::unordered_map<HRGN, Region> regions_;
    std::unordered_map<HPALETTE, PaletteObject> palettes_;
    std::unordered_map<HWND, View> views_;
    std::unordered_map<uint64_t, HWND> foreign_;  // other programs' windows by the server's id
    std::vector<WaitingShow> waiting_shows_;
    std::optional<gfx::Bitmap> spare_storage_;  // a kept storage back from its window, for reuse
    HWND desktop_ = 0;
    HBITMAP stock_bitmap_ = 0;
    HPALETTE stock_palette_ = 0;
    uint64_t generation_ = 1;
};

// The calling thread's display, made with the default options on first use.
Display& display();

}  // namespace velmo::platform
