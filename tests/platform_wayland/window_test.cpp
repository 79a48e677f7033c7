// velmo's windows on a Wayland compositor as grim sees them and as a person drives them through
// the compositor's seat: a gradient form read back by velmo, a skinned window's see-through parts
// and its drag by the body, the live windows of snow and paint, and a compositor that goes away
// under a shown window.
#include "support/sway_server.h"

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "automation/dynamic_object.h"
#include "automation/late.h"
#include "automation/registry.h"
#include "capture/register.h"
#include "gfx/png_writer.h"
#include "gradients/register.h"
#include "host/form.h"
#include "platform/display.h"
#include "platform/messages.h"
#include "platform/registry/display_registry.h"
#include "platform/user.h"
#include "platform/wayland/wayland_backend.h"
#include "services/kxbasalt10.h"
#include "skin/register.h"
#include "support/command_run.h"
#include "support/message_pump.h"
#include "support/picture_pixels.h"
#include "support/png_file.h"

namespace velmo::platform::wayland {
namespace {

constexpr uint32_t desktop = 0x204060;  // the compositor's background, as a bitmap word
constexpr uint32_t see_through = 0xFF00FF;  // a skin's transparent colour (its top-left pixel)

// Where `part` stands in `screen`, pixel for pixel; nothing when it is nowhere.
std::optional<gfx::Point> find(const gfx::Bitmap& screen, const gfx::Bitmap& part)
{
    for (int top = 0; top + part.height() <= screen.height(); ++top)
        for (int left = 0; left + part.width() <= screen.width(); ++left) {
            bool same = true;
            for (int y = 0; y < part.height() && same; ++y)
                same = std::equal(part.scanline(y), part.scanline(y) + part.width(), screen.scanline(top + y) + left);
            if (same)
                return gfx::Point { left, top };
        }
    return std::nullopt;
}

// How many pixels of `area` in `screen` are not `word`.
int count_other_than(const gfx::Bitmap& screen, gfx::Rect area, uint32_t word)
{
    int other = 0;
    for (int y = area.y; y < area.bottom(); ++y)
        for (int x = area.x; x < area.right(); ++x)
            other += screen.word(x, y) != word;
    return other;
}

// A 60 x 40 ring: a black rim, a red body, see-through outside and in the 20 x 12 hole.
gfx::Bitmap ring_skin()
{
    gfx::Bitmap skin({ 60, 40 });
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            bool hole = x >= 20 && x < 40 && y >= 14 && y < 26;
            bool outside = (x < 6 || x >= 54) && (y < 6 || y >= 34);  // the corners
            bool rim = x < 2 || x >= 58 || y < 2 || y >= 38;
            skin.set_word(x, y, hole || outside ? see_through : rim ? 0x000000 : 0xC02020);
        }
    return skin;
}

// The skin as it must look on the desktop: its see-through pixels show the background.
gfx::Bitmap on_desktop(const gfx::Bitmap& skin)
{
    gfx::Bitmap shown = skin;
    for (int y = 0; y < skin.height(); ++y)
        for (int x = 0; x < skin.width(); ++x)
            if (skin.word(x, y) == see_through)
                shown.set_word(x, y, desktop);
    return shown;
}

class WaylandWindowTest : public testing::SwayTest {
protected:
    void SetUp() override
    {
        SwayTest::SetUp();
        if (IsSkipped())
            return;
        server().swaymsg("output '*' bg '#204060' solid_color");
        gfx::Bitmap empty = grim_until([](const gfx::Bitmap& screen) { return screen.word(0, 0) == desktop; });
        ASSERT_EQ(count_other_than(empty, empty.rect(), desktop), 0) << "a desktop of one colour";
        kxbasalt10::load();
    }
    void TearDown() override
    {
        reset_display();
        kxbasalt10::unload();
        unregister_library("Velmo10");
        SwayTest::TearDown();
    }

    // velmo's display on this compositor, with the library's classes registered anew.
    static void use_wayland()
    {
        ASSERT_EQ(use_display("wayland"), "wayland");
        unregister_library("Velmo10");
        capture::register_classes();
        skin::register_classes();
        gradients::register_classes();
    }

    enum class Motion { Still, Live };

    // grim's picture once `ready` holds for it (and, for a still screen, the next one is the
    // same), delivering this thread's messages meanwhile (velmo's own windows push their pixels as
    // they do); the last picture, with a failure, when that never happens.
    gfx::Bitmap grim_until(const std::function<bool(const gfx::Bitmap&)>& ready, Motion motion = Motion::Still)
    {
        auto file = server().folder() / "grim.ppm";
        std::optional<gfx::Bitmap> last;
        bool last_ready = false;
        for (int tries = 0; tries < 150; ++tries) {
            testing::pump_until([] { return true; });
            if (!server().grim(file)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            gfx::Bitmap now = testing::bitmap_of(testing::load_png(file));
            bool now_ready = ready(now);
            if (now_ready && motion == Motion::Live)
                return now;
            if (now_ready && last_ready && std::equal(now.pixels().begin(), now.pixels().end(), last->pixels().begin()))
                return now;
            last = std::move(now);
            last_ready = now_ready;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "grim never saw what was awaited";
        return last ? *last : gfx::Bitmap({});
    }

    // A command of velmo on this compositor, in the background; it must end within a minute and
    // leak nothing.
    std::unique_ptr<testing::RunningCommand> start(const std::string& arguments)
    {
        return std::make_unique<testing::RunningCommand>(
            "ASAN_OPTIONS=detect_leaks=1 timeout 60 " + std::string(VELMO_EXE) + " --display wayland " + arguments);
    }

    std::string at(const std::string& name) { return (server().folder() / name).string(); }
};

TEST_F(WaylandWindowTest, GradientFormCapturedByVelmoIsWhatGrimSees)
{
    struct Case {
        const char* name;
        int border_style;
    };
    // Bare, and with a frame the compositor draws: velmo's capture holds the frame as grim does.
    const Case cases[] = { { "borderless", 0 }, { "sizable frame", 2 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        use_wayland();
        auto form = host::Form::create(200, 120);
        ObjectRef f = form;
        late::let(f, "BorderStyle", c.border_style);
        late::call(f, "Show");
        std::vector<Variant> args { f, Long(2) };
        std::vector<Variant*> refs { &args[0], &args[1] };
        late::invoke(create_object("Velmo10.clsKxLumoGradientsA"), "Gradient02", Invoke::Call, refs);
        late::call(f, "Refresh");
        ObjectRef image_picture = late::get(f, "Image").to_object();
        const gfx::Bitmap* image = testing::picture_pixels(image_picture);
        ASSERT_NE(image, nullptr);
        // Colours only: drawing may leave a pixel's reserved byte set, a screen never has it.
        gfx::Bitmap gradient(image->size());
        for (int y = 0; y < gradient.height(); ++y)
            for (int x = 0; x < gradient.width(); ++x)
                gradient.set_word(x, y, image->word(x, y));
        ASSERT_GT(count_other_than(gradient, gradient.rect(), gradient.word(0, 0)), 0) << "a gradient, not one colour";

        gfx::Bitmap seen = grim_until([&](const gfx::Bitmap& screen) { return find(screen, gradient).has_value(); });
        ObjectRef picture = late::call(create_object("Velmo10.clsKxLumoImageCaptureA"), "CaptureScreen").to_object();
        const gfx::Bitmap* captured = testing::picture_pixels(picture);
        ASSERT_NE(captured, nullptr);
        ASSERT_EQ(captured->size(), seen.size());
        int differ = 0;
        for (int y = 0; y < seen.height(); ++y)
            for (int x = 0; x < seen.width(); ++x)
                differ += captured->word(x, y) != seen.word(x, y);
        EXPECT_EQ(differ, 0) << "pixels differ from grim's";
        EXPECT_TRUE(find(*captured, gradient).has_value());
        reset_display();
    }
}

TEST_F(WaylandWindowTest, SkinnedWindowShowsTheDesktopThroughAndMovesByItsBody)
{
    gfx::Bitmap skin_pixels = ring_skin();
    ASSERT_TRUE(gfx::write_png(skin_pixels, at("ring.png")));
    gfx::Bitmap expected = on_desktop(skin_pixels);

    use_wayland();
    auto form = host::Form::create(60, 40);
    ObjectRef f = form;
    late::let(f, "BorderStyle", 0);
    late::call(f, "Show");
    ObjectRef skin = create_object("Velmo10.clsKxLumoUIFormSkinA");
    late::let(skin, "SkinFile", at("ring.png"));
    late::set(skin, "FormObject", f);
    late::call(skin, "Show");
    // The host's MouseDown handler lets the skin drag the form, as the skin command's does.
    bool handed_over = false;
    auto handler = std::make_shared<DynamicObject>("Form1");
    handler->on("MouseDown", [&](Args event) {
        Variant* args[] = { event[0] };
        late::invoke(skin, "MakeMoveable", Invoke::Call, args);
        handed_over = true;
        return Variant {};
    });
    form->connect_events(handler);

    std::optional<gfx::Point> place;
    gfx::Bitmap before = grim_until([&](const gfx::Bitmap& screen) { return (place = find(screen, expected)).has_value(); });
    ASSERT_TRUE(place) << "the ring, the desktop in its hole and corners";
    EXPECT_EQ(count_other_than(before, before.rect(), desktop), count_other_than(expected, expected.rect(), desktop))
        << "nothing but the ring on the desktop";

    // Pressed on the body's left side, dragged, released: the compositor moves the window.
    const gfx::Point grab = place->translated(8, 20);
    const gfx::Point by { 150, 90 };
    server().pointer_to(grab);
    server().pointer_button(true);
    ASSERT_TRUE(testing::pump_until([&] { return handed_over; })) << "the press reached the form";
    // The move request is with the compositor before the pointer moves.
    current_wayland_backend()->connection().roundtrip();
    server().pointer_to(grab.translated(by.x / 2, by.y / 3));
    server().pointer_to(grab.translated(by));
    server().pointer_button(false);

    std::optional<gfx::Point> moved;
    gfx::Bitmap after = grim_until([&](const gfx::Bitmap& screen) { return (moved = find(screen, expected)) != place; });
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, place->translated(by));
    EXPECT_EQ(count_other_than(after, gfx::Rect::of(*place, expected.size()), desktop), 0) << "the old place shows the desktop";
    form->disconnect_events(handler);
}

TEST_F(WaylandWindowTest, LiveWindowsOfSnowAndPaintAppearAndCloseWhenTheCompositorAsks)
{
    struct Case {
        std::string arguments;
        // Whether grim's picture shows the window's pixels.
        std::function<bool(const gfx::Bitmap&)> shown;
    };
    // snow's scene has a ledge of this colour at least 40 pixels wide; paint's picture is the file
    // it writes as well, which must stand on the screen pixel for pixel.
    auto ledge = [](const gfx::Bitmap& screen) {
        int longest = 0;
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0, run = 0; x < screen.width(); ++x) {
                run = screen.word(x, y) == 0x0096AA ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        return longest >= 40;
    };
    std::string painted = at("painted.png");
    auto paint = [painted](const gfx::Bitmap& screen) {
        testing::Png png = testing::load_png(painted);
        return png.pixels && find(screen, testing::bitmap_of(png)).has_value();
    };
    const Case cases[] = {
        { "snow --show", ledge },
        { "paint CircleGradient 255 255 255 0 64 160 True -o " + painted + " --show", paint },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        auto running = start(c.arguments);
        grim_until(c.shown, Motion::Live);
        server().swaymsg("'[app_id=velmo]' kill");
        auto run = running->finish();
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(run.err, "");
    }
}

// Each command gets a compositor of its own, killed while the command waits for its window's events.
class WaylandWindowLossTest : public WaylandWindowTest, public ::testing::WithParamInterface<const char*> { };

TEST_P(WaylandWindowLossTest, ACompositorThatGoesAwayUnderAShownWindowIsOneLine)
{
    ASSERT_TRUE(gfx::write_png(ring_skin(), at("ring.png")));
    std::string command = GetParam();
    if (command == "skin")
        command += " " + at("ring.png");
    auto running = start(command);
    grim_until([](const gfx::Bitmap& screen) { return count_other_than(screen, screen.rect(), desktop) > 0; }, Motion::Live);
    server().kill();
    auto run = running->finish();
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "velmo: the connection to the Wayland compositor was lost\n");
}

INSTANTIATE_TEST_SUITE_P(Commands, WaylandWindowLossTest, ::testing::Values("skin", "snow --show"));

}  // namespace
}  // namespace velmo::platform::wayland
