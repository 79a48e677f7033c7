// Mouse input: injected or delivered by the backend, queued raw, and addressed when retrieved to
// the capturing window or the window under the point (regions respected), as client or
// non-client mouse messages.
#include "platform/input.h"

#include <algorithm>

#include "platform/display_state.h"
#include "platform/message_queue.h"
#include "platform/user.h"

namespace velmo::platform {

namespace {

WPARAM held_flags(const MessageQueue& q)
{
    WPARAM flags = 0;
    if (q.button_held(MouseButton::Left))
        flags |= MK_LBUTTON;
    if (q.button_held(MouseButton::Right))
        flags |= MK_RBUTTON;
    if (q.button_held(MouseButton::Middle))
        flags |= MK_MBUTTON;
    if (q.keys.shift)
        flags |= MK_SHIFT;
    if (q.keys.control)
        flags |= MK_CONTROL;
    return flags;
}

// The client message of an event; its non-client twin lies WM_MOUSEMOVE - WM_NCMOUSEMOVE below it.
UINT client_message(const RawInput& in)
{
    if (!in.is_button)
        return WM_MOUSEMOVE;
    switch (in.button) {
    case MouseButton::Left: return in.down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case MouseButton::Right: return in.down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case MouseButton::Middle: return in.down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    }
    return WM_MOUSEMOVE;
}

void queue_raw(Display& d, RawInput in)
{
    in.sequence = d.queue.stamp();
    in.held = held_flags(d.queue);
    d.queue.raw_input.push_back(in);
}

}  // namespace

bool address_input(Display& d)
{
    MessageQueue& q = d.queue;
    if (q.raw_input.empty())
        return false;
    RawInput in = q.raw_input.front();
    q.raw_input.pop_front();

    MSG msg;
    msg.time = static_cast<DWORD>(q.now());
    msg.pt = { in.at.x, in.at.y };
    UINT client = client_message(in);
    if (Window* captured = d.window(q.capture)) {
        gfx::Point local = in.at - d.screen_origin(*captured).translated(captured->client_rect().location());
        msg = { q.capture, client, in.held, MAKELPARAM(local.x, local.y), msg.time, msg.pt };
    } else {
        HWND target = d.window_at(in.at);
        LRESULT hit = call_procedure(target, WM_NCHITTEST, 0, MAKELPARAM(in.at.x, in.at.y));
        Window* w = d.window(target);
        if (!w)
            return true;  // the hit test destroyed it
        if (in.is_button && in.down && target != d.desktop()) {
            // A press activates the top-level window it lands in.
            HWND top = target;
            while (Window* up = d.window(top)) {
                if (up->parent == 0)
                    break;
                top = up->parent;
            }
            if (GetForegroundWindow() != top)
                SetForegroundWindow(top);
        }
        if (hit == HTCLIENT) {
            gfx::Point local = in.at - d.screen_origin(*w).translated(w->client_rect().location());
            msg = { target, client, in.held, MAKELPARAM(local.x, local.y), msg.time, msg.pt };
        } else {
            msg = { target, client - (WM_MOUSEMOVE - WM_NCMOUSEMOVE), static_cast<WPARAM>(hit), MAKELPARAM(in.at.x, in.at.y), msg.time, msg.pt };
        }
    }
    q.input.push_back({ msg, in.sequence });
    return true;
}

LRESULT default_hit_test(Display& d, const Window& w, gfx::Point screen)
{
    gfx::Point local = screen - d.screen_origin(w);
    if (w.client_rect().contains(local))
        return HTCLIENT;
    if (!gfx::Rect::of({}, w.rect.size()).contains(local))
        return HTNOWHERE;
    int border = w.style.border;
    if (w.style.caption > 0 && local.y >= border && local.y < border + w.style.caption && local.x >= border && local.x < w.rect.width - border)
        return HTCAPTION;
    return HTBORDER;
}

void Display::pointer_moved(gfx::Point screen) { queue_raw(*this, { false, MouseButton::Left, false, screen }); }

void Display::button_changed(MouseButton button, bool down)
{
    queue.buttons[static_cast<int>(button)] = down;
    queue_raw(*this, { true, button, down, backend_->cursor_position() });
}

void inject_pointer_move(int x, int y)
{
    auto& d = display();
    gfx::Size screen = d.backend().screen_size();
    gfx::Point at { std::clamp(x, 0, std::max(0, screen.width - 1)), std::clamp(y, 0, std::max(0, screen.height - 1)) };
    d.backend().set_cursor_position(at);
    static_cast<InputSink&>(d).pointer_moved(at);
}

void inject_button(MouseButton button, bool down) { static_cast<InputSink&>(display()).button_changed(button, down); }

void inject_held_keys(HeldKeys keys) { display().queue.keys = keys; }

}  // namespace velmo::platform
