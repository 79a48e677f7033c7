// The message queue, timers on the virtual clock, mouse input through regions and capture, and the
// move loop.
#include <gtest/gtest.h>

#include <vector>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/input.h"
#include "platform/messages.h"
#include "platform/user.h"
#include "support/memory_display.h"

namespace velmo::platform {
namespace {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    friend bool operator==(const Seen&, const Seen&) = default;
};

class MessagesTest : public velmo::testing::MemoryDisplayTest {
protected:
    MessagesTest()
        : MemoryDisplayTest({ { 400, 300 }, 32, {}, ClockKind::Virtual })
    {
    }

    // A shown window whose procedure writes down every message except hit tests, then does the
    // default.
    HWND window(gfx::Rect rect, WindowStyle style = WindowStyle::borderless(), HWND parent = 0)
    {
        WindowDesc desc;
        desc.parent = parent;
        desc.rect = rect;
        desc.style = style;
        desc.visible = true;
        HWND made = create_window(desc);
        set_window_procedure(made, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) {
            if (m != WM_NCHITTEST && m != WM_CAPTURECHANGED)
                seen.push_back({ w, m, wp, lp });
            return DefWindowProcA(w, m, wp, lp);
        });
        return made;
    }

    std::vector<UINT> messages_of(HWND w) const
    {
        std::vector<UINT> out;
        for (const auto& s : seen)
            if (s.window == w)
                out.push_back(s.message);
        return out;
    }

    static gfx::Point top_left(HWND w)
    {
        RECT r;
        GetWindowRect(w, &r);
        return { r.left, r.top };
    }

    std::vector<Seen> seen;
};

TEST_F(MessagesTest, PostedMessagesArriveInOrderThroughTheFilters)
{
    HWND a = window({ 0, 0, 10, 10 });
    HWND b = window({ 20, 0, 10, 10 });
    PostMessageA(a, WM_USER + 1, 1, 0);
    PostMessageA(b, WM_USER + 2, 2, 0);
    PostMessageA(a, WM_USER + 3, 3, 0);

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 2u);
    ASSERT_TRUE(PeekMessageA(&msg, 0, WM_USER + 3, WM_USER + 3, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(pump_messages(), 2);
    EXPECT_EQ(seen, (std::vector<Seen> { { a, WM_USER + 1, 1, 0 }, { a, WM_USER + 3, 3, 0 } }));
    EXPECT_FALSE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));
}

TEST_F(MessagesTest, SendCallsTheProcedureAtOnceAndReturnsItsAnswer)
{
    HWND a = window({ 0, 0, 10, 10 });
    set_window_procedure(a, [](HWND, UINT m, WPARAM wp, LPARAM) -> LRESULT { return m == WM_USER ? LRESULT(wp * 2) : 0; });
    EXPECT_EQ(SendMessageA(a, WM_USER, 21, 0), 42);
}

TEST_F(MessagesTest, StaleHandlesFailWithZero)
{
    HWND gone = window({ 0, 0, 10, 10 });
    DestroyWindow(gone);
    MSG msg { gone, WM_USER, 0, 0, 0, {} };
    EXPECT_EQ(PostMessageA(gone, WM_USER, 0, 0), 0);
    EXPECT_EQ(SendMessageA(gone, WM_USER, 0, 0), 0);
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_EQ(SetTimer(gone, 1, 100), 0u);
    EXPECT_EQ(KillTimer(gone, 1), 0);
    EXPECT_EQ(KillTimer(0, 12345), 0);
    EXPECT_EQ(SetCapture(gone), 0u);
    EXPECT_EQ(GetCapture(), 0u);
    EXPECT_FALSE(set_window_procedure(gone, {}));
    EXPECT_EQ(GetMessageA(nullptr, 0, 0, 0), -1);
}

TEST_F(MessagesTest, MessagesOfADestroyedWindowAreDropped)
{
    HWND a = window({ 0, 0, 10, 10 });
    PostMessageA(a, WM_USER, 0, 0);
    SetTimer(a, 1, 10);
    InvalidateRect(a, nullptr, 0);
    DestroyWindow(a);
    advance_clock(std::chrono::milliseconds(50));
    EXPECT_EQ(pump_messages(), 0);
}

TEST_F(MessagesTest, APumpLeavesWhatHandlersPostForTheNextOne)
{
    HWND a = window({ 0, 0, 10, 10 });
    set_window_procedure(a, [&](HWND w, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_USER)
            PostMessageA(w, WM_USER, 0, 0);
        return 0;
    });
    PostMessageA(a, WM_USER, 0, 0);
    EXPECT_EQ(pump_messages(), 1);
    EXPECT_EQ(pump_messages(), 1);
}

TEST_F(MessagesTest, QuitEndsGetMessageAndStaysQueuedThroughAPump)
{
    HWND a = window({ 0, 0, 10, 10 });
    PostMessageA(a, WM_USER, 0, 0);
    PostQuitMessage(7);
    EXPECT_EQ(pump_messages(), 1);
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, 0, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MessagesTest, ATimerDueManyTimesBetweenPumpsFiresOnce)
{
    HWND a = window({ 0, 0, 10, 10 });
    ASSERT_EQ(SetTimer(a, 5, 100), 5u);
    struct Case {
        int advance_ms;
        size_t ticks_after;
    };
    const Case cases[] = { { 99, 0 }, { 1, 1 }, { 0, 1 }, { 350, 2 }, { 49, 2 }, { 1, 3 } };
    for (const auto& c : cases) {
        advance_clock(std::chrono::milliseconds(c.advance_ms));
        pump_messages();
        EXPECT_EQ(messages_of(a).size(), c.ticks_after) << "at " << GetTickCount();
    }
    EXPECT_EQ(seen.back(), (Seen { a, WM_TIMER, 5, 0 }));
}

TEST_F(MessagesTest, GetMessageJumpsTheVirtualClockToTheNextTimer)
{
    HWND a = window({ 0, 0, 10, 10 });
    DWORD start = GetTickCount();
    SetTimer(a, 1, 250);
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, 0, 0, 0), 1);
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(GetTickCount() - start, 250u);
    UINT_PTR thread_timer = SetTimer(0, 0, 40);
    ASSERT_EQ(GetMessageA(&msg, 0, 0, 0), 1);
    EXPECT_EQ(msg.hwnd, 0u);
    EXPECT_EQ(msg.wParam, thread_timer);
    EXPECT_FALSE(advance_clock(std::chrono::milliseconds(-1)));
}

TEST_F(MessagesTest, HandlersMayKillTheirTimerDestroyTheirWindowOrPumpAgain)
{
    HWND killer = window({ 0, 0, 10, 10 });
    HWND doomed = window({ 20, 0, 10, 10 });
    HWND nested = window({ 40, 0, 10, 10 });
    int kills = 0, dooms = 0, nests = 0;
    set_window_procedure(killer, [&](HWND w, UINT m, WPARAM id, LPARAM) -> LRESULT {
        if (m == WM_TIMER && ++kills) {
            EXPECT_EQ(KillTimer(w, id), 1);
        }
        return 0;
    });
    set_window_procedure(doomed, [&](HWND w, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_TIMER && ++dooms)
            DestroyWindow(w);
        return 0;
    });
    set_window_procedure(nested, [&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_TIMER && ++nests)
            pump_messages();
        return 0;
    });
    for (HWND w : { killer, doomed, nested })
        SetTimer(w, 1, 10);
    for (int i = 0; i < 3; ++i) {
        advance_clock(std::chrono::milliseconds(10));
        pump_messages();
    }
    EXPECT_EQ(kills, 1);
    EXPECT_EQ(dooms, 1);
    EXPECT_EQ(nests, 3);
    EXPECT_FALSE(IsWindow(doomed));
}

TEST_F(MessagesTest, SettingATimerAgainRestartsItWithTheNewPeriod)
{
    HWND a = window({ 0, 0, 10, 10 });
    SetTimer(a, 1, 100);
    advance_clock(std::chrono::milliseconds(80));
    SetTimer(a, 1, 50);
    advance_clock(std::chrono::milliseconds(40));
    EXPECT_EQ(pump_messages(), 0);
    advance_clock(std::chrono::milliseconds(10));
    EXPECT_EQ(pump_messages(), 1);
}

TEST_F(MessagesTest, MouseMessagesGoToTheWindowUnderThePointThroughRegions)
{
    HWND below = window({ 10, 10, 100, 100 });
    HWND above = window({ 10, 10, 100, 100 });
    SetWindowRgn(above, CreateRectRgn(0, 0, 50, 100), 0);
    HWND child = window({ 5, 5, 20, 20 }, WindowStyle::borderless(), above);
    HWND framed = window({ 200, 100, 100, 80 }, WindowStyle::sizable());
    // A press activates (raises) the window it lands in, so the cases run from the top down.
    struct Case {
        gfx::Point at;
        HWND window;
        std::vector<UINT> messages;
        WPARAM down_wparam;
        LPARAM down_lparam;
    };
    const Case cases[] = {
        { { 17, 18 }, child, { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP }, MK_LBUTTON, MAKELPARAM(2, 3) },
        { { 30, 60 }, above, { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP }, MK_LBUTTON, MAKELPARAM(20, 50) },  // inside the region
        { { 80, 60 }, below, { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP }, MK_LBUTTON, MAKELPARAM(70, 50) },  // outside: what lies below
        { { 210, 150 }, framed, { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP }, MK_LBUTTON, MAKELPARAM(6, 26) },
        { { 201, 150 }, framed, { WM_NCMOUSEMOVE, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP }, WPARAM(HTBORDER), MAKELPARAM(201, 150) },
        // The caption starts the move loop, which takes the release.
        { { 250, 110 }, framed, { WM_NCMOUSEMOVE, WM_NCLBUTTONDOWN, WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE }, WPARAM(HTCAPTION), MAKELPARAM(250, 110) },
        { { 350, 250 }, GetDesktopWindow(), {}, 0, 0 },  // nobody's window
    };
    for (const auto& c : cases) {
        seen.clear();
        inject_pointer_move(c.at.x, c.at.y);
        inject_click();
        pump_messages();
        EXPECT_EQ(messages_of(c.window), c.messages) << c.at.x << "," << c.at.y;
        EXPECT_EQ(messages_of(c.window).size(), seen.size());
        if (c.messages.size() > 1) {
            EXPECT_EQ(seen[1].wparam, c.down_wparam);
            EXPECT_EQ(seen[1].lparam, c.down_lparam);
        }
    }
}

TEST_F(MessagesTest, TheCaptureTakesEveryMouseMessageUntilReleased)
{
    HWND holder = window({ 10, 10, 50, 50 });
    HWND other = window({ 100, 100, 50, 50 });
    EXPECT_EQ(SetCapture(holder), 0u);
    EXPECT_EQ(GetCapture(), holder);
    inject_pointer_move(120, 130);
    inject_held_keys({ true, false, false });
    inject_button(MouseButton::Right, true);
    pump_messages();
    EXPECT_EQ(seen, (std::vector<Seen> { { holder, WM_MOUSEMOVE, 0, MAKELPARAM(110, 120) }, { holder, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(110, 120) } }));
    EXPECT_NE(GetAsyncKeyState(VK_RBUTTON) & 0x8000, 0);
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);

    seen.clear();
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), 0u);
    inject_button(MouseButton::Right, false);
    pump_messages();
    EXPECT_EQ(seen, (std::vector<Seen> { { other, WM_RBUTTONUP, MK_SHIFT, MAKELPARAM(20, 30) } }));
}

TEST_F(MessagesTest, ACaptionDraggedByInputEndsWhereThePointerWentWithTimersFiringMeanwhile)
{
    HWND framed = window({ 50, 40, 120, 90 }, WindowStyle::sizable());
    int ticks = 0;
    HWND ticker = window({ 300, 200, 10, 10 });
    set_window_procedure(ticker, [&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
        // The drag goes on only when the timer fires: the loop must deliver it while it runs.
        if (m == WM_TIMER && ++ticks == 1) {
            inject_pointer_move(160, 120);
            inject_button(MouseButton::Left, false);
        }
        return 0;
    });
    SetTimer(ticker, 1, 30);
    inject_pointer_move(60, 50);  // on the caption, 10 and 10 from the corner
    inject_button(MouseButton::Left, true);
    inject_pointer_move(100, 80);
    pump_messages();

    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(top_left(framed), (gfx::Point { 150, 110 }));
    EXPECT_EQ(GetCapture(), 0u);
    EXPECT_EQ(messages_of(framed), (std::vector<UINT> { WM_NCMOUSEMOVE, WM_NCLBUTTONDOWN, WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE }));
}

TEST_F(MessagesTest, AClientPressHandedToTheCaptionMovesAChildWindowInItsParent)
{
    HWND parent = window({ 10, 10, 300, 250 });
    HWND child = window({ 20, 20, 40, 40 }, WindowStyle::borderless(), parent);
    set_window_procedure(child, [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_LBUTTONDOWN) {
            ReleaseCapture();
            return SendMessageA(w, WM_NCLBUTTONDOWN, WPARAM(HTCAPTION), 0);
        }
        return DefWindowProcA(w, m, wp, lp);
    });
    inject_pointer_move(40, 40);
    inject_button(MouseButton::Left, true);
    inject_pointer_move(80, 130);
    inject_pointer_move(90, 140);
    inject_button(MouseButton::Left, false);
    pump_messages();
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ((gfx::Point { r.left, r.top }), (gfx::Point { 80, 130 }));
    EXPECT_EQ(find_window(child)->rect.location(), (gfx::Point { 70, 120 }));
}

TEST_F(MessagesTest, TheMoveLoopReturnsAtOnceWhenTheButtonIsUp)
{
    HWND framed = window({ 50, 40, 120, 90 }, WindowStyle::sizable());
    EXPECT_EQ(SendMessageA(framed, WM_NCLBUTTONDOWN, WPARAM(HTCAPTION), 0), 0);
    EXPECT_EQ(top_left(framed), (gfx::Point { 50, 40 }));
    EXPECT_EQ(GetCapture(), 0u);
}

}  // namespace
}  // namespace velmo::platform
