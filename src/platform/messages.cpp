// Window messages: paints of invalidated windows.
#include "platform/display_state.h"

#include "platform/messages.h"

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
        d.queue.to_paint.push_back(window);
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
        std::erase(d.queue.to_paint, window);
        if (w->paint) {
            auto handler = w->paint;  // the handler may replace itself or destroy the window
            handler();
        }
    }
    return 1;
}

void pump_messages()
{
    auto batch = std::move(display().queue.to_paint);
    display().queue.to_paint.clear();
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
