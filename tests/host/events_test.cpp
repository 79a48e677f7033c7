// DoEvents and the run loop, the Timer control, the mouse events of forms and picture boxes, and
// hidden library forms.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "automation/dynamic_object.h"
#include "automation/late.h"
#include "host/do_events.h"
#include "host/form.h"
#include "host/hidden_form.h"
#include "host/picture_box.h"
#include "host/timer.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/messages.h"
#include "platform/user.h"
#include "support/memory_display.h"
#include "support/velmo_error.h"

namespace velmo::host {
namespace {

using namespace velmo::platform;
using std::chrono::milliseconds;

class HostEventsTest : public velmo::testing::MemoryDisplayTest {
protected:
    HostEventsTest()
        : MemoryDisplayTest({ { 400, 300 }, 32, {}, ClockKind::Virtual })
    {
    }

    // A sink that writes each event as "Name" or "Name(Button,Shift,X,Y)".
    ObjectRef recorder(std::vector<std::string>& log)
    {
        auto sink = std::make_shared<DynamicObject>("Sink");
        for (std::string name : { "Click", "Timer" })
            sink->on(name, [&log, name](Args) { log.push_back(name); return Variant {}; });
        for (std::string name : { "MouseDown", "MouseMove", "MouseUp" }) {
            sink->on(name, [&log, name](Args a) {
                log.push_back(name + "(" + a[0]->to_string() + "," + a[1]->to_string() + "," + a[2]->to_string() + "," + a[3]->to_string() + ")");
                return Variant {};
            });
        }
        return sink;
    }
};

TEST_F(HostEventsTest, DoEventsRunsPostedHandlersAndEveryPendingWindowMessage)
{
    std::vector<std::string> log;
    HWND window = create_window({});
    set_window_procedure(window, [&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
        log.push_back(m == WM_TIMER ? "timer" : m == WM_USER ? "posted" : "other");
        return 0;
    });
    post_message([&] { log.push_back("handler"); });
    PostMessageA(window, WM_USER, 0, 0);
    SetTimer(window, 1, 50);
    advance_clock(milliseconds(50));
    DoEvents();
    EXPECT_EQ(log, (std::vector<std::string> { "handler", "posted", "timer" }));
}

TEST_F(HostEventsTest, TheTimerTicksAtItsIntervalWhileEnabled)
{
    std::vector<std::string> log;
    auto timer = Timer::create();
    timer->connect_events(recorder(log));
    EXPECT_EQ(late::get(timer, "Interval").to_long().value(), 0);
    EXPECT_EQ(late::get(timer, "Enabled").as<Boolean>(), True);

    struct Case {
        const char* step;
        std::function<void()> change;
        int advance_ms;
        size_t ticks_after;
    };
    const Case cases[] = {
        { "interval 0 does not tick", [] {}, 500, 0 },
        { "interval 100", [&] { late::let(timer, "Interval", 100); }, 100, 1 },
        { "late pumps tick once", [] {}, 350, 2 },
        { "disabled", [&] { late::let(timer, "Enabled", False); }, 200, 2 },
        { "enabled again", [&] { late::let(timer, "Enabled", True); }, 100, 3 },
        { "interval 0 stops", [&] { late::let(timer, "Interval", 0); }, 500, 3 },
        { "interval 30", [&] { late::let(timer, "Interval", 30); }, 30, 4 },
    };
    for (const auto& c : cases) {
        c.change();
        advance_clock(milliseconds(c.advance_ms));
        DoEvents();
        EXPECT_EQ(log.size(), c.ticks_after) << c.step;
    }
    EXPECT_VELMO_ERROR(late::let(timer, "Interval", -1), 380, "Host");
    EXPECT_EQ(late::get(timer, "Interval").to_long().value(), 30);
    advance_clock(milliseconds(30));
    DoEvents();
    EXPECT_EQ(log.size(), 5u) << "a refused interval leaves the timer running";
}

TEST_F(HostEventsTest, ATimerLetGoStopsTicking)
{
    std::vector<std::string> log;
    auto timer = Timer::create();
    timer->connect_events(recorder(log));
    timer->let_Interval(10);
    timer.reset();
    advance_clock(milliseconds(100));
    DoEvents();
    EXPECT_TRUE(log.empty());
}

TEST_F(HostEventsTest, RunUntilSleepsToEachTimerAndStopsWhenTheConditionHolds)
{
    auto timer = Timer::create();
    int ticks = 0;
    auto sink = std::make_shared<DynamicObject>("Sink");
    sink->on("Timer", [&](Args) { ++ticks; return Variant {}; });
    timer->connect_events(sink);
    timer->let_Interval(100);
    DWORD start = GetTickCount();
    run_until([&] { return ticks == 3; });
    EXPECT_EQ(GetTickCount() - start, 300u);
}

TEST_F(HostEventsTest, TheRunLoopEndsWhenTheLastVisibleFormIsHidden)
{
    auto first = Form::create(50, 50);
    auto second = Form::create(50, 50);
    first->Show({}, {});
    second->Show({}, {});
    auto timer = Timer::create();
    auto sink = std::make_shared<DynamicObject>("Sink");
    int ticks = 0;
    sink->on("Timer", [&](Args) {
        (++ticks == 1 ? first : second)->let_Visible(False);
        return Variant {};
    });
    timer->connect_events(sink);
    timer->let_Interval(40);
    run_while_forms_visible();
    EXPECT_EQ(ticks, 2);
}

TEST_F(HostEventsTest, FormsAndPictureBoxesRaiseMouseEventsInTheirScale)
{
    auto form = Form::create(200, 150);
    late::let(form, "Left", 0);
    late::let(form, "Top", 0);
    form->Show({}, {});
    auto box = PictureBox::create(60, 40, form);
    late::let(box, "Left", 1500);  // 100 pixels in the form's twips
    late::let(box, "Top", 750);
    late::let(box, "ScaleMode", 3);
    std::vector<std::string> form_log, box_log;
    form->connect_events(recorder(form_log));
    box->connect_events(recorder(box_log));

    POINT box_origin { 0, 0 };
    ClientToScreen(box->window(), &box_origin);
    POINT form_origin { 0, 0 };
    ClientToScreen(form->window(), &form_origin);

    inject_pointer_move(box_origin.x + 10, box_origin.y + 20);
    inject_held_keys({ true, true, false });
    inject_button(MouseButton::Left, true);
    inject_pointer_move(box_origin.x + 12, box_origin.y + 21);
    inject_button(MouseButton::Left, false);
    inject_held_keys({});
    inject_pointer_move(form_origin.x + 4, form_origin.y + 2);
    inject_click(MouseButton::Right);
    DoEvents();

    EXPECT_EQ(box_log, (std::vector<std::string> { "MouseMove(0,0,10,20)", "MouseDown(1,3,10,20)", "MouseMove(1,3,12,21)", "MouseUp(1,3,12,21)", "Click" }));
    EXPECT_EQ(form_log, (std::vector<std::string> { "MouseMove(0,0,60,30)", "MouseDown(2,0,60,30)", "MouseUp(2,0,60,30)", "Click" }));
    EXPECT_EQ(GetCapture(), 0u);
}

TEST_F(HostEventsTest, AButtonReleasedOutsideStillReachesTheSurfaceButClicksNothing)
{
    auto box = PictureBox::create(40, 40);
    box->parent()->Show({}, {});
    late::let(box, "ScaleMode", 3);
    std::vector<std::string> log;
    box->connect_events(recorder(log));
    POINT origin { 0, 0 };
    ClientToScreen(box->window(), &origin);
    inject_pointer_move(origin.x + 5, origin.y + 5);
    inject_button(MouseButton::Left, true);
    inject_pointer_move(origin.x + 45, origin.y + 5);
    inject_button(MouseButton::Left, false);
    DoEvents();
    EXPECT_EQ(log, (std::vector<std::string> { "MouseMove(0,0,5,5)", "MouseDown(1,0,5,5)", "MouseMove(1,0,45,5)", "MouseUp(1,0,45,5)" }));
}

TEST_F(HostEventsTest, HiddenFormsAreOnePerThreadAndKindAndNeverShown)
{
    EXPECT_FALSE(hidden_form_exists("frmA"));
    auto a = hidden_form("frmA");
    EXPECT_TRUE(hidden_form_exists("frmA"));
    EXPECT_EQ(hidden_form("frmA"), a);
    EXPECT_NE(hidden_form("frmB"), a);
    EXPECT_FALSE(IsWindowVisible(a->window()));
    EXPECT_EQ(a->get_Caption(), "frmA");

    bool other_thread_has_its_own = false;
    std::thread([&] { other_thread_has_its_own = hidden_form("frmA") != a; }).join();
    EXPECT_TRUE(other_thread_has_its_own);

    reset_display({ { 400, 300 }, 32, {}, ClockKind::Virtual });
    EXPECT_FALSE(hidden_form_exists("frmA"));
    auto again = hidden_form("frmA");
    EXPECT_NE(again, a);
    EXPECT_TRUE(IsWindow(again->window()));
}

}  // namespace
}  // namespace velmo::host
