// What a backend reports beyond pointer and buttons (input.cpp): keys and close requests become
// posted messages, placements by the window manager become moves, and other programs' windows get
// handles of their own, outside the window tree.
#include <memory>

#include "platform/display_state.h"
#include "platform/messages.h"
#include "platform/user.h"

namespace velmo::platform {

void Display::key_changed(HWND handle, int key, bool down)
{
    PostMessageA(handle, down ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(key), 0);
}

void Display::close_requested(HWND handle) { PostMessageA(handle, WM_CLOSE, 0, 0); }

void Display::window_placed(HWND handle, gfx::Rect outer)
{
    if (window(handle))
        MoveWindow(handle, outer.x, outer.y, outer.width, outer.height, 1);
}

HWND Display::foreign_window_seen(uint64_t id, gfx::Rect rect)
{
    if (auto known = foreign_.find(id); known != foreign_.end()) {
        if (Window* w = window(known->second)) {
            w->rect = rect;
            return known->second;
        }
        foreign_.erase(known);
    }
    auto w = std::make_unique<Window>();
    w->server_id = id;
    w->rect = rect;
    w->visible = true;
    w->pixels = gfx::Bitmap(rect.size());
    HWND handle = add_window(std::move(w));
    foreign_[id] = handle;
    return handle;
}

void Display::foreign_window_gone(uint64_t id)
{
    if (auto known = foreign_.find(id); known != foreign_.end())
        remove_window(known->second);
}

const gfx::Bitmap* Display::window_pixels(HWND handle)
{
    Window* w = window(handle);
    if (!w)
        return nullptr;
    settle();
    return &window_view(*w);
}

}  // namespace velmo::platform
