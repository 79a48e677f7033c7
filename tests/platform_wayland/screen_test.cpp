// The screen of a Wayland compositor as velmo reads it through screen copies, against grim's
// capture of the same outputs: every transform an output can have, several outputs as one screen,
// small areas and single pixels, and a compositor that goes away.
#include "support/sway_server.h"

#define STB_IMAGE_IMPLEMENTATION
#include "support/png_file.h"

#include <chrono>
#include <thread>

#include "gfx/png_writer.h"
#include "platform/wayland/wayland_backend.h"

namespace velmo::platform::wayland {
namespace {

// A picture no turn or mirror of which looks like another: red across, green down, blue in bands.
gfx::Bitmap background(gfx::Size size)
{
    gfx::Bitmap b(size);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            b.set_word(x, y, (uint32_t(x * 255 / size.width) << 16) | (uint32_t(y * 255 / size.height) << 8) | uint32_t((x / 7 + y / 5) * 37 % 256));
    return b;
}

// The first pixel where `area` of `screen` and `expected` differ, as text; empty when none does.
std::string first_difference(const gfx::Bitmap& expected, gfx::Rect area, const gfx::Bitmap& got)
{
    if (got.size() != area.size())
        return "size " + std::to_string(got.width()) + "x" + std::to_string(got.height());
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x)
            if (got.word(x, y) != expected.word(area.x + x, area.y + y))
                return "at " + std::to_string(x) + "," + std::to_string(y);
    return {};
}

class WaylandScreenTest : public testing::SwayTest {
protected:
    void SetUp() override
    {
        SwayTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(gfx::write_png(background({ 300, 200 }), server().folder() / "background.png"));
        server().swaymsg("output '*' bg " + (server().folder() / "background.png").string() + " stretch");
    }

    // grim's picture of the whole layout once the compositor has settled: three captures in
    // a row agree (the background is drawn anew after a change, a moment later) and the background
    // is drawn (its top-left corner is not sway's empty black).
    gfx::Bitmap settled_grim()
    {
        auto file = server().folder() / "grim.ppm";
        std::optional<gfx::Bitmap> last;
        int agreeing = 0;
        for (int tries = 0; tries < 100 && agreeing < 3; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!server().grim(file))
                continue;
            gfx::Bitmap now = testing::bitmap_of(testing::load_png(file));
            bool same = last && last->size() == now.size() && std::equal(now.pixels().begin(), now.pixels().end(), last->pixels().begin());
            agreeing = same && now.word(0, 0) != 0 ? agreeing + 1 : 0;
            last = std::move(now);
        }
        if (agreeing < 3)
            ADD_FAILURE() << "the compositor never showed a settled picture";
        return last ? *last : gfx::Bitmap({});
    }

    // The whole screen, a band, a small square and single pixels at corners, read by velmo,
    // each equal to the same part of grim's picture.
    void expect_reads_match(WaylandBackend& backend, const gfx::Bitmap& expected)
    {
        ASSERT_EQ(backend.screen_size(), expected.size());
        const gfx::Bitmap& whole = backend.screen(0, {});
        EXPECT_EQ(first_difference(expected, expected.rect(), whole), "") << "the whole screen";
        gfx::Size s = expected.size();
        const gfx::Rect areas[] = { { 0, 0, s.width, 17 }, { s.width / 2 - 5, s.height / 3, 11, 9 }, { s.width - 3, s.height - 2, 3, 2 } };
        for (gfx::Rect area : areas) {
            auto got = backend.screen_area(area);
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(first_difference(expected, area, *got), "") << "area " << area.x << "," << area.y << " " << area.width << "x" << area.height;
        }
        const gfx::Point points[] = { { 0, 0 }, { s.width - 1, 0 }, { 0, s.height - 1 }, { s.width - 1, s.height - 1 }, { s.width / 3, s.height / 2 } };
        for (gfx::Point p : points)
            EXPECT_EQ(backend.screen_pixel(p), expected.word(p.x, p.y)) << "pixel " << p.x << "," << p.y;
    }
};

TEST_F(WaylandScreenTest, EveryOutputTransformReadsAsGrimSeesIt)
{
    for (const char* transform : { "normal", "90", "180", "270", "flipped", "flipped-90", "flipped-180", "flipped-270" }) {
        SCOPED_TRACE(transform);
        server().swaymsg(std::string("output HEADLESS-1 transform ") + transform);
        gfx::Bitmap expected = settled_grim();
        WaylandBackend backend(server().socket());
        expect_reads_match(backend, expected);
    }
}

TEST_F(WaylandScreenTest, SeveralOutputsFormOneScreenByTheirPlaces)
{
    server().swaymsg("create_output");
    server().swaymsg("output HEADLESS-2 resolution 320x240 position 640 120");
    server().swaymsg("output '*' bg " + (server().folder() / "background.png").string() + " stretch");
    gfx::Bitmap expected = settled_grim();
    WaylandBackend backend(server().socket());
    auto outputs = backend.monitors();
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(outputs[0].name, "HEADLESS-1");
    EXPECT_EQ(outputs[0].rect, (gfx::Rect { 0, 0, 640, 480 }));
    EXPECT_EQ(outputs[1].name, "HEADLESS-2");
    EXPECT_EQ(outputs[1].rect, (gfx::Rect { 640, 120, 320, 240 }));
    expect_reads_match(backend, expected);
    // An area across both outputs comes from both.
    gfx::Rect across { 600, 200, 80, 20 };
    auto got = backend.screen_area(across);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(first_difference(expected, across, *got), "");
}

TEST_F(WaylandScreenTest, ACompositorThatGoesAwayEndsWaitsAndReads)
{
    WaylandBackend backend(server().socket());
    server().kill();
    // Both return, however long the deadline, and nothing is read from a gone compositor.
    backend.wait_for_events(std::chrono::steady_clock::now() + std::chrono::seconds(30));
    backend.wait_for_events(std::chrono::steady_clock::now() + std::chrono::seconds(30));
    EXPECT_TRUE(backend.connection().lost());
    EXPECT_FALSE(backend.screen_pixel({ 1, 1 }).has_value());
    EXPECT_FALSE(backend.screen_area({ 0, 0, 10, 10 }).has_value());
}

TEST(WaylandConnection, NoCompositorAtThePathIsAConnectionError)
{
    EXPECT_THROW(WaylandBackend("/nonexistent/wayland-9"), ConnectionError);
}

}  // namespace
}  // namespace velmo::platform::wayland
