// The colour picker: its period, the texts and value each tick raises, the hidden form, and which
// picker hears the ticks.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "automation/dynamic_object.h"
#include "automation/late.h"
#include "host/do_events.h"
#include "host/hidden_form.h"
#include "picker/color_text.h"
#include "picker/pick_col_from_mouse.h"
#include "picker/picker_form.h"
#include "platform/display.h"
#include "platform/display_backend.h"
#include "platform/gdi.h"
#include "platform/memory_backend.h"
#include "platform/messages.h"
#include "platform/user.h"
#include "support/memory_display.h"

namespace velmo::picker {
namespace {

using namespace velmo::platform;
using std::chrono::milliseconds;

struct Raised {
    std::string R, G, b;
    int32_t lCol;
    friend bool operator==(const Raised&, const Raised&) = default;
};

class PickerTest : public velmo::testing::MemoryDisplayTest {
protected:
    PickerTest()
        : MemoryDisplayTest({ { 64, 48 }, 32, {}, ClockKind::Virtual })
    {
    }
    void TearDown() override
    {
        StopGettingRGBOnAnyPicker();
        MemoryDisplayTest::TearDown();
    }
    static void StopGettingRGBOnAnyPicker() { picker_timer().let_Interval(0); }

    // A picker whose events are written down; handlers scribble on the by-ref arguments, which
    // nobody reads back.
    std::shared_ptr<clsKxLumoPickColFromMouseA> picker(std::vector<Raised>& log)
    {
        auto made = clsKxLumoPickColFromMouseA::create();
        auto sink = std::make_shared<DynamicObject>("Sink");
        sink->on("RGBUnderMousePointer", [&log](Args a) {
            log.push_back({ a[0]->to_string(), a[1]->to_string(), a[2]->to_string(), a[3]->to_long().value() });
            *a[0] = Variant(std::string("scribbled"));
            return Variant {};
        });
        EXPECT_TRUE(connect_events(made, sink));
        return made;
    }

    static void put_screen_pixel(int x, int y, COLORREF color)
    {
        HDC screen = GetDC(0);
        SetPixel(screen, x, y, color);
        ReleaseDC(0, screen);
    }

    static void wait(int ms)
    {
        advance_clock(milliseconds(ms));
        host::DoEvents();
    }
};

TEST_F(PickerTest, WithoutAnIntervalTheTimerTicksEvery100msAndTheIntervalKeepsIt)
{
    std::vector<Raised> log;
    auto p = picker(log);
    EXPECT_EQ(late::get(p, "TimeInterval").to_long().value(), 0);
    late::call(p, "StartGettingRGB");
    EXPECT_EQ(late::get(p, "TimeInterval").to_long().value(), 100);
    EXPECT_EQ(picker_timer().get_Interval().value(), 100);
    wait(99);
    EXPECT_TRUE(log.empty());
    wait(1);
    EXPECT_EQ(log.size(), 1u);
    wait(100);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(PickerTest, EachTickRaisesThePixelUnderThePointerAsTextsAndValue)
{
    std::vector<Raised> log;
    auto p = picker(log);
    late::let(p, "TimeInterval", 50);
    p->StartGettingRGB();
    struct Case {
        COLORREF pixel;
        Raised raised;
        const char* caption;
    };
    const Case cases[] = {
        { 0x0000FF, { "FF", "00", "00", 255 }, "R:FF G:00 B:00" },
        { 0x0A0B0C, { "0C", "0B", "0A", 0x0A0B0C }, "R:0C G:0B B:0A" },
        { 0xFF8000, { "00", "80", "FF", 0xFF8000 }, "R:00 G:80 B:FF" },
        { 0x000000, { "00", "00", "00", 0 }, "R:00 G:00 B:00" },
    };
    int x = 3;
    for (const auto& c : cases) {
        put_screen_pixel(x, 7, c.pixel);
        SetCursorPos(x, 7);
        log.clear();
        wait(50);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], c.raised);
        EXPECT_EQ(picker_form().get_Caption(), c.caption);
        ++x;
    }
}

// A pointer beside the screen (a monitor the display does not cover) has no pixel to read.
class OffScreenPointer final : public DisplayBackend {
public:
    OffScreenPointer() : memory_({ 64, 48 }, 32) { }
    gfx::Size screen_size() const override { return memory_.screen_size(); }
    int bits_per_pixel() const override { return 32; }
    const gfx::Bitmap& screen(uint64_t generation, const std::function<std::vector<SceneLayer>()>& scene) override
    {
        return memory_.screen(generation, scene);
    }
    gfx::Point cursor_position() const override { return { -20, 10 }; }
    bool set_cursor_position(gfx::Point) override { return false; }
    void wait_for_events(Deadline deadline) override { memory_.wait_for_events(deadline); }
    void wake() override { memory_.wake(); }

private:
    MemoryBackend memory_;
};

TEST_F(PickerTest, AnUnreadablePixelGivesFFFFFFAndMinusOne)
{
    reset_display({ { 64, 48 }, 32, {}, ClockKind::Virtual, [](const DisplayOptions&) { return std::make_unique<OffScreenPointer>(); } });
    std::vector<Raised> log;
    auto p = picker(log);
    p->StartGettingRGB();
    wait(100);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Raised { "FF", "FF", "FF", -1 }));
    EXPECT_EQ(picker_form().get_Caption(), "R:FF G:FF B:FF");
}

TEST_F(PickerTest, TicksGoToTheNewestPickerWhicheverStartedTheTimer)
{
    std::vector<Raised> first_log, second_log;
    auto first = picker(first_log);
    first->StartGettingRGB();
    auto second = picker(second_log);
    wait(100);
    EXPECT_TRUE(first_log.empty());
    EXPECT_EQ(second_log.size(), 1u);
    EXPECT_EQ(ActivePicker(), second);

    // Let go, the newest picker is still held and still hears the ticks until a stop.
    second.reset();
    wait(100);
    EXPECT_EQ(second_log.size(), 2u);
    first->StopGettingRGB();
    wait(500);
    EXPECT_EQ(second_log.size(), 2u);
}

TEST_F(PickerTest, StopBeforeAnyStartLoadsTheHiddenFormAndLeavesTheTimerOff)
{
    std::vector<Raised> log;
    auto p = picker(log);
    EXPECT_FALSE(host::hidden_form_exists(picker_form_name));
    p->StopGettingRGB();
    EXPECT_TRUE(host::hidden_form_exists(picker_form_name));
    EXPECT_FALSE(IsWindowVisible(picker_form().window()));
    EXPECT_EQ(picker_timer().get_Interval().value(), 0);
    wait(1000);
    EXPECT_TRUE(log.empty());
}

TEST_F(PickerTest, ARefusedPeriodLeavesTheTimerAsItWasWithoutAnError)
{
    std::vector<Raised> log;
    auto p = picker(log);
    p->StartGettingRGB();
    late::let(p, "TimeInterval", -5);
    late::call(p, "StartGettingRGB");
    EXPECT_EQ(late::get(p, "TimeInterval").to_long().value(), -5);
    EXPECT_EQ(picker_timer().get_Interval().value(), 100);
    wait(100);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(PickerTest, AFailingHandlerEndsOnlyItsTick)
{
    auto p = clsKxLumoPickColFromMouseA::create();
    auto sink = std::make_shared<DynamicObject>("Sink");
    int calls = 0;
    sink->on("RGBUnderMousePointer", [&](Args) -> Variant {
        ++calls;
        raise(5);
    });
    connect_events(p, sink);
    put_screen_pixel(0, 0, 0x0000FF);
    SetCursorPos(0, 0);
    p->StartGettingRGB();
    EXPECT_NO_THROW(wait(100));
    EXPECT_NO_THROW(wait(100));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(picker_form().get_Caption(), "R:FF G:00 B:00");
}

TEST_F(PickerTest, ATickOnAThreadWithoutPickersMakesOne)
{
    bool made = false;
    std::thread([&] {
        picker_tick();
        made = ActivePicker() != nullptr;
    }).join();
    EXPECT_TRUE(made);
}

TEST(ColorText, HexOfTheLongKeepsTheLowThreeBytes)
{
    struct Case {
        int32_t lCol;
        const char* hex6;
    };
    const Case cases[] = { { 0, "000000" }, { 255, "0000FF" }, { 0x0A0B0C, "0A0B0C" }, { -1, "FFFFFF" }, { 0x12345678, "345678" } };
    for (const auto& c : cases)
        EXPECT_EQ(color_text(c.lCol).hex6, c.hex6) << c.lCol;
}

}  // namespace
}  // namespace velmo::picker
