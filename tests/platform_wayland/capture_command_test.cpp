// velmo capture on a Wayland compositor as a person runs it: the whole screen and each monitor by
// name or index equal grim's capture of the same outputs; what cannot be captured is one line.
#include "support/sway_server.h"

#include <chrono>
#include <thread>

#include "gfx/png_writer.h"
#include "support/command_run.h"
#include "support/png_file.h"

namespace velmo {
namespace {

testing::CommandRun velmo(const std::string& arguments)
{
    return testing::run_command(std::string(VELMO_EXE) + " --display wayland " + arguments, testing::StandardError::Apart);
}

// The first pixel where the two pictures differ, as text; empty when they agree.
std::string first_difference(const testing::Png& expected, const testing::Png& got)
{
    if (!expected.pixels || !got.pixels)
        return "unreadable";
    if (expected.width != got.width || expected.height != got.height)
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) + " for " + std::to_string(expected.width) + "x"
            + std::to_string(expected.height);
    for (int y = 0; y < got.height; ++y)
        for (int x = 0; x < got.width; ++x)
            if (got.rgb(x, y) != expected.rgb(x, y))
                return "at " + std::to_string(x) + "," + std::to_string(y);
    return {};
}

class WaylandCaptureCommandTest : public testing::SwayTest {
protected:
    void SetUp() override
    {
        SwayTest::SetUp();
        if (IsSkipped())
            return;
        gfx::Bitmap picture({ 160, 90 });
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 160; ++x)
                picture.set_pixel(x, y, { uint8_t(x * 255 / 160), uint8_t(y * 255 / 90), uint8_t((x * y) % 256) });
        ASSERT_TRUE(gfx::write_png(picture, server().folder() / "background.png"));
        server().swaymsg("create_output");
        server().swaymsg("output HEADLESS-2 resolution 320x240 position 640 0");
        server().swaymsg("output '*' bg " + (server().folder() / "background.png").string() + " stretch");
        // The backgrounds are drawn once grim sees the same picture twice, not black.
        std::string last;
        for (int i = 0; i < 60; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!server().grim(at("settle.ppm")))
                continue;
            testing::Png now = testing::load_png(at("settle.ppm"));
            std::string bytes(reinterpret_cast<const char*>(now.pixels.get()), size_t(now.width) * now.height * 3);
            if (bytes == last && now.rgb(700, 200) != std::array<int, 3> { 0, 0, 0 })
                return;
            last = bytes;
        }
        FAIL() << "the backgrounds were never drawn";
    }

    std::string at(const std::string& name) { return (server().folder() / name).string(); }
};

TEST_F(WaylandCaptureCommandTest, ScreenAndMonitorsEqualGrimsCapture)
{
    struct Case {
        std::string arguments;
        std::string grim_output;  // empty: the whole layout
    };
    const Case cases[] = { { "", "" }, { "--monitor HEADLESS-2", "HEADLESS-2" }, { "--monitor 1", "HEADLESS-2" }, { "--monitor 0", "HEADLESS-1" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        auto run = velmo("capture " + c.arguments + " -o " + at("velmo.png"));
        ASSERT_EQ(run.exit_code, 0) << run.err;
        ASSERT_TRUE(server().grim(at("grim.ppm"), c.grim_output));
        EXPECT_EQ(first_difference(testing::load_png(at("grim.ppm")), testing::load_png(at("velmo.png"))), "");
    }
}

TEST_F(WaylandCaptureCommandTest, WhatCannotBeCapturedIsOneLine)
{
    struct Case {
        std::string arguments;
        std::string says;
    };
    const Case cases[] = {
        { "capture --monitor HEADLESS-7", "velmo: no monitor is called HEADLESS-7; the monitors are 0 HEADLESS-1, 1 HEADLESS-2\n" },
        { "capture --monitor 2", "velmo: no monitor is called 2; the monitors are 0 HEADLESS-1, 1 HEADLESS-2\n" },
        { "capture --window 4242", "velmo: no window has the handle 0x1092 (4242)\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        auto run = velmo(c.arguments + " -o " + at("never.png"));
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err, c.says);
        EXPECT_FALSE(std::filesystem::exists(at("never.png")));
    }
}

TEST(WaylandCommand, NoCompositorIsOneLine)
{
    auto run = testing::run_command("WAYLAND_DISPLAY=/nonexistent/wayland-9 " + std::string(VELMO_EXE) + " --display wayland capture -o /tmp/never.png",
        testing::StandardError::Apart);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("/nonexistent/wayland-9"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace velmo
