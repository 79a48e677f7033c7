// Windows: made for the host, placed, ordered, shown, shaped and titled; the pointer position.
#include "platform/display_state.h"

#include "platform/user.h"
#include "platform/window_frame.h"

namespace velmo::platform {

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

const Window* find_window(HWND window)
{
    auto& d = display();
    d.settle();
    return d.window(window);
}

std::vector<HWND> top_level_windows()
{
    auto& d = display();
    return d.window(d.desktop())->children;
}

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


// ---- Windows ----------------------------------------------------------------------------------

HWND GetDesktopWindow() { return display().desktop(); }
HWND GetForegroundWindow()
{
    auto& d = display();
    if (auto active = d.backend().foreground_window())
        return *active;
    return d.foreground;
}

BOOL SetForegroundWindow(HWND window)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w || window == d.desktop() || w->parent != 0 || w->server_id)
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
        if (wide > max_bitmap_side || high > max_bitmap_side || wide * high > max_bitmap_pixels) {
            // A top-level window is held to the largest size a window can have, as a window system
            // holds one to its largest tracking size (a skinned form is asked to be fifteen times
            // its skin); a child window that large is refused.
            if (w->parent != 0)
                return 0;
            wide = std::min(wide, largest_window_side);
            high = std::min(high, largest_window_side);
        }
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
        d.backend().window_restacked(d.parent_of(*w));
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
    d.backend().window_reshaped(*w);
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
    d.backend().window_titled(*w);
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
    return d.backend().set_cursor_position({ std::clamp(x, 0, screen.width - 1), std::clamp(y, 0, screen.height - 1) }) ? 1 : 0;
}

}  // namespace velmo::platform
