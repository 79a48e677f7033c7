// The modal move loop that a press on a caption starts: the window holds the capture and follows
// the pointer, keeping the grab point under it, until the left button is up. Mouse messages are
// the loop's own; every other message (paints, timers, posted ones) is dispatched as usual.
#include <limits>

#include "platform/display_state.h"
#include "platform/message_queue.h"
#include "platform/user.h"

namespace velmo::platform {

namespace {

bool is_mouse_message(UINT message)
{
    return (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP) || (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONUP);
}

// Puts the window's top-left corner at the screen point.
void place(HWND window, gfx::Point screen)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w)
        return;
    gfx::Point at = screen;
    if (w->parent != 0) {
        Window& parent = d.parent_of(*w);
        at = screen - d.screen_origin(parent).translated(parent.client_rect().location());
    }
    if (at != w->rect.location())
        SetWindowPos(window, 0, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace

void run_move_loop(HWND window)
{
    auto& d = display();
    Window* w = d.window(window);
    MessageQueue& q = d.queue;
    // Nothing to follow: the button is already up and no input is queued that could say otherwise.
    if (!w || window == d.desktop() || (!q.button_held(MouseButton::Left) && q.raw_input.empty() && q.input.empty()))
        return;
    if (w->parent == 0 && d.backend().begin_window_move(*w, q.last_input_at))
        return;
    gfx::Point grab = q.last_input_at - d.screen_origin(*w);
    SetCapture(window);
    SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
    for (;;) {
        auto& now = display();
        if (!now.window(window) || now.queue.capture != window)
            break;  // destroyed, or the capture was taken away
        MSG msg;
        if (!retrieve(now, msg, 0, 0, 0, true, std::numeric_limits<uint64_t>::max())) {
            if (!now.queue.button_held(MouseButton::Left) && now.queue.raw_input.empty())
                break;
            wait_for_message(now);
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!is_mouse_message(msg.message)) {
            DispatchMessageA(&msg);
            continue;
        }
        place(window, gfx::Point { msg.pt.x, msg.pt.y } - grab);
        if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP)
            break;
    }
    if (IsWindow(window))
        SendMessageA(window, WM_EXITSIZEMOVE, 0, 0);
    if (GetCapture() == window)
        ReleaseCapture();
}

}  // namespace velmo::platform
