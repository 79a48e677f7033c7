// Window messages: the queue, window procedures, timers, capture and paints.
#include "platform/messages.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/display_state.h"
#include "platform/message_queue.h"
#include "platform/user.h"

namespace velmo::platform {

namespace {

constexpr uint64_t any_age = std::numeric_limits<uint64_t>::max();

bool in_range(UINT message, UINT first, UINT last) { return (first == 0 && last == 0) || (message >= first && message <= last); }

MSG make(HWND window, UINT message, WPARAM wparam, LPARAM lparam, const MessageQueue& q)
{
    return MSG { window, message, wparam, lparam, static_cast<DWORD>(q.now()), { q.last_input_at.x, q.last_input_at.y } };
}

bool take_from(std::deque<QueuedMessage>& from, MSG& out, HWND window, UINT first, UINT last, bool remove, uint64_t before)
{
    for (auto it = from.begin(); it != from.end(); ++it) {
        if (it->sequence >= before || (window != 0 && it->msg.hwnd != window) || !in_range(it->msg.message, first, last))
            continue;
        out = it->msg;
        if (remove)
            from.erase(it);
        return true;
    }
    return false;
}

}  // namespace

bool retrieve(Display& d, MSG& out, HWND window, UINT first, UINT last, bool remove, uint64_t before)
{
    MessageQueue& q = d.queue;
    if (take_from(q.posted, out, window, first, last, remove, before))
        return true;

    // Input is addressed one event at a time, so each goes where the capture and the windows are
    // once the messages before it were handled.
    if (q.input.empty() && !q.raw_input.empty() && q.raw_input.front().sequence < before)
        address_input(d);
    if (take_from(q.input, out, window, first, last, remove, before)) {
        if (remove)
            q.last_input_at = { out.pt.x, out.pt.y };
        return true;
    }

    if (in_range(WM_PAINT, first, last)) {
        for (HWND marked : q.to_paint) {
            Window* w = d.window(marked);
            if (w && w->needs_paint && w->paint_mark < before && (window == 0 || window == marked)) {
                out = make(marked, WM_PAINT, 0, 0, q);
                return true;
            }
        }
    }

    if (in_range(WM_TIMER, first, last)) {
        int64_t now = q.now();
        TimerEntry* due = nullptr;
        for (auto& t : q.timers) {
            if (t.due <= now && t.sequence < before && (window == 0 || window == t.window) && (!due || t.due < due->due))
                due = &t;
        }
        if (due) {
            out = make(due->window, WM_TIMER, due->id, 0, q);
            if (remove) {
                // However many periods went by, the timer fires once and stays on its beat.
                due->due += int64_t(due->interval) * ((now - due->due) / due->interval + 1);
                due->sequence = q.stamp();
            }
            return true;
        }
    }

    if (q.quit && in_range(WM_QUIT, first, last)) {
        out = make(0, WM_QUIT, static_cast<WPARAM>(q.quit_code), 0, q);
        if (remove)
            q.quit = false;
        return true;
    }
    return false;
}

void wait_for_message(Display& d)
{
    MSG ignored;
    if (retrieve(d, ignored, 0, 0, 0, false, any_age))
        return;
    MessageQueue& q = d.queue;
    std::optional<int64_t> next;
    for (const auto& t : q.timers)
        next = next ? std::min(*next, t.due) : t.due;
    if (q.clock == ClockKind::Virtual && next) {
        // Nothing else can happen before the timer: time jumps to it.
        q.virtual_now = std::max(q.virtual_now, *next);
        d.backend().wait_for_events(std::chrono::steady_clock::time_point {});
        return;
    }
    DisplayBackend::Deadline deadline;
    if (next)
        deadline = std::chrono::steady_clock::time_point(std::chrono::milliseconds(*next));
    d.backend().wait_for_events(deadline);
}

void forget_window(Display& d, HWND window)
{
    MessageQueue& q = d.queue;
    auto addressed_to = [window](const QueuedMessage& m) { return m.msg.hwnd == window; };
    std::erase_if(q.posted, addressed_to);
    std::erase_if(q.input, addressed_to);
    std::erase_if(q.timers, [window](const TimerEntry& t) { return t.window == window; });
    std::erase(q.to_paint, window);
    if (q.capture == window)
        q.capture = 0;
}

LRESULT call_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Window* w = display().window(window);
    if (!w)
        return 0;
    // Held for the call: the procedure may replace itself or destroy its window.
    auto procedure = w->procedure;
    if (procedure && *procedure)
        return (*procedure)(window, message, wparam, lparam);
    return DefWindowProcA(window, message, wparam, lparam);
}

// ---- Window procedures ------------------------------------------------------------------------

bool set_window_procedure(HWND window, WNDPROC procedure)
{
    Window* w = display().window(window);
    if (!w)
        return false;
    w->procedure = procedure ? std::make_shared<const WNDPROC>(std::move(procedure)) : nullptr;
    return true;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto& d = display();
    Window* w = d.window(window);
    if (!w)
        return 0;
    switch (message) {
    case WM_PAINT:
        if (w->paint) {
            auto handler = w->paint;  // the handler may replace itself or destroy the window
            handler();
        }
        return 0;
    case WM_NCHITTEST: return default_hit_test(d, *w, { GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam) });
    case WM_NCLBUTTONDOWN:
        if (static_cast<LRESULT>(wparam) == HTCAPTION)
            run_move_loop(window);
        return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    default: return 0;
    }
}

// ---- The queue --------------------------------------------------------------------------------

BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto& d = display();
    if (window != 0 && !d.window(window))
        return 0;
    MessageQueue& q = d.queue;
    q.posted.push_back({ make(window, message, wparam, lparam, q), q.stamp() });
    return 1;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) { return call_procedure(window, message, wparam, lparam); }

BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove)
{
    if (!msg)
        return 0;
    bool removing = (remove & PM_REMOVE) != 0;
    if (retrieve(display(), *msg, window, first, last, removing, any_age))
        return 1;
    // Input that reached the backend since the last wait (a real server's events) is collected
    // without waiting, as a peek on a real queue sees it.
    display().backend().wait_for_events(std::chrono::steady_clock::time_point {});
    return retrieve(display(), *msg, window, first, last, removing, any_age);
}

BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last)
{
    if (!msg)
        return -1;
    while (!retrieve(display(), *msg, window, first, last, true, any_age))
        wait_for_message(display());
    return msg->message == WM_QUIT ? 0 : 1;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    auto& d = display();
    Window* w = d.window(msg->hwnd);
    if (!w)
        return 0;
    if (msg->message == WM_PAINT && w->needs_paint) {
        w->needs_paint = false;
        std::erase(d.queue.to_paint, msg->hwnd);
    }
    return call_procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WaitMessage()
{
    wait_for_message(display());
    return 1;
}

void PostQuitMessage(int exit_code)
{
    auto& q = display().queue;
    q.quit = true;
    q.quit_code = exit_code;
}

int pump_messages()
{
    // Input that reached the backend (a real server's events) joins the queue first, and a real
    // display shows what was drawn since the last pump.
    display().backend().wait_for_events(std::chrono::steady_clock::time_point {});
    uint64_t before = display().queue.next_sequence;
    int dispatched = 0;
    MSG msg;
    while (retrieve(display(), msg, 0, 0, 0, true, before)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DispatchMessageA(&msg);
        ++dispatched;
    }
    return dispatched;
}

// ---- Timers -----------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse)
{
    auto& d = display();
    if (window != 0 && !d.window(window))
        return 0;
    MessageQueue& q = d.queue;
    auto find = [&](UINT_PTR wanted) {
        return std::find_if(q.timers.begin(), q.timers.end(), [&](const TimerEntry& t) { return t.window == window && t.id == wanted; });
    };
    if (window == 0 && (id == 0 || find(id) == q.timers.end())) {
        do
            id = q.next_thread_timer++;
        while (id == 0 || find(id) != q.timers.end());
    }
    UINT interval = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, 0x7FFFFFFF);
    TimerEntry entry { window, id, interval, q.now() + interval, q.stamp() };
    if (auto it = find(id); it != q.timers.end())
        *it = entry;
    else
        q.timers.push_back(entry);
    return window != 0 && id == 0 ? 1 : id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    auto& timers = display().queue.timers;
    auto it = std::find_if(timers.begin(), timers.end(), [&](const TimerEntry& t) { return t.window == window && t.id == id; });
    if (it == timers.end())
        return 0;
    timers.erase(it);
    return 1;
}

DWORD GetTickCount() { return static_cast<DWORD>(display().queue.now()); }

bool advance_clock(std::chrono::milliseconds by)
{
    auto& q = display().queue;
    if (q.clock != ClockKind::Virtual || by.count() < 0)
        return false;
    q.virtual_now += by.count();
    return true;
}

// ---- Capture ----------------------------------------------------------------------------------

HWND SetCapture(HWND window)
{
    auto& d = display();
    if (!d.window(window) || window == d.desktop())
        return 0;
    HWND before = std::exchange(d.queue.capture, window);
    if (before && before != window)
        SendMessageA(before, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(window));
    return before;
}

BOOL ReleaseCapture()
{
    HWND before = std::exchange(display().queue.capture, 0);
    if (before)
        SendMessageA(before, WM_CAPTURECHANGED, 0, 0);
    return 1;
}

HWND GetCapture() { return display().queue.capture; }

SHORT GetAsyncKeyState(int key)
{
    const MessageQueue& q = display().queue;
    bool held = false;
    switch (key) {
    case VK_LBUTTON: held = q.button_held(MouseButton::Left); break;
    case VK_RBUTTON: held = q.button_held(MouseButton::Right); break;
    case VK_MBUTTON: held = q.button_held(MouseButton::Middle); break;
    case VK_SHIFT: held = q.keys.shift; break;
    case VK_CONTROL: held = q.keys.control; break;
    case VK_MENU: held = q.keys.alt; break;
    default: break;
    }
    return held ? static_cast<SHORT>(0x8000) : SHORT(0);
}

// ---- Paints -----------------------------------------------------------------------------------

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
        w->paint_mark = d.queue.stamp();
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
        SendMessageA(window, WM_PAINT, 0, 0);
    }
    return 1;
}

}  // namespace velmo::platform
