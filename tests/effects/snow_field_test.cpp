// The flake step on small plain buffers, with scripted draws of R where the values matter and a
// seeded generator where only repeatability does.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

#include "effects/snow_field.h"

namespace velmo::effects {
namespace {

constexpr uint32_t black = 0;
constexpr uint32_t white = 0x00FFFFFF;
constexpr uint32_t red = 0x00FF0000;     // blue byte 0: free
constexpr uint32_t blueish = 0x00000001;  // blue byte 1: occupied

// A picture of plain pixels, bottom-up like the effect's buffer.
struct Buffer {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;

    Buffer(int32_t w, int32_t h, uint32_t fill = black) : width(w), height(h), pixels(size_t(w) * h, fill) { }
    PixelView view() { return { pixels.data(), width, height }; }
    uint32_t& at(int32_t x, int32_t y) { return pixels[size_t(y) * width + x]; }
    void fill_rows(int32_t from_y, int32_t to_y, uint32_t color)
    {
        for (int32_t y = from_y; y <= to_y; ++y)
            for (int32_t x = 0; x < width; ++x)
                at(x, y) = color;
    }
};

// Hands out the given values in order; running dry is a test failure.
struct Script {
    std::deque<float> values;
    size_t drawn = 0;

    Uniform uniform()
    {
        return [this] {
            ++drawn;
            if (values.empty()) {
                ADD_FAILURE() << "R drawn more often than scripted";
                return 0.0f;
            }
            float v = values.front();
            values.pop_front();
            return v;
        };
    }
};

Uniform seeded(uint32_t seed)
{
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine] { return static_cast<float>((*engine)() >> 8) / 16777216.0f; };
}

SnowFlake flake_at(int32_t x, int32_t y, uint8_t fall_steps = 0, uint8_t stuck = 0)
{
    SnowFlake f;
    f.X = x;
    f.Y = y;
    f.FallSteps = fall_steps;
    f.StuckFrames = stuck;
    return f;
}

// ---- One step in a small picture ------------------------------------------------------------

struct StepCase {
    const char* name;
    SnowFlake flake;
    std::vector<std::pair<std::pair<int, int>, uint32_t>> occupied;  // pixels set before the step
    std::vector<float> R;
    int32_t X, Y;
    uint8_t FallSteps, StuckFrames;
};

TEST(FlakeStep, MovesAsTheRulesSay)
{
    const StepCase cases[] = {
        { "falls one row", flake_at(5, 5), {}, {}, 5, 4, 1, 0 },
        { "a fall clears StuckFrames", flake_at(5, 5, 0, 40), {}, {}, 5, 4, 1, 0 },
        { "row 1 is the lowest a fall reaches", flake_at(5, 1, 1), {}, {}, 5, 1, 2, 0 },
        { "4th fall step, R > 0.5: one column right", flake_at(5, 5, 3), {}, { 0.75f }, 6, 4, 0, 0 },
        { "4th fall step, R = 0.5 rounds to 0: one column left", flake_at(5, 5, 3), {}, { 0.5f }, 4, 4, 0, 0 },
        { "4th fall step, right pixel taken (tested on the new row)", flake_at(5, 5, 3), { { { 6, 4 }, white } }, { 0.75f }, 5, 4, 0, 0 },
        { "4th fall step, pixel right of the old row does not matter", flake_at(5, 5, 3), { { { 6, 5 }, white } }, { 0.75f }, 6, 4, 0, 0 },
        { "4th fall step, no move right from X 598", flake_at(598, 5, 3), {}, { 0.9f }, 598, 4, 0, 0 },
        { "4th fall step, no move left from X 1", flake_at(1, 5, 3), {}, { 0.1f }, 1, 4, 0, 0 },
        { "blocked, R > 0.5, slides down right", flake_at(5, 5), { { { 5, 4 }, white } }, { 0.6f }, 6, 4, 0, 0 },
        { "blocked, R < 0.5, slides down left", flake_at(5, 5, 2, 7), { { { 5, 4 }, white } }, { 0.2f }, 4, 4, 2, 0 },
        { "blocked, slide needs the side pixel free too", flake_at(5, 5), { { { 5, 4 }, white }, { { 6, 5 }, white } }, { 0.6f }, 5, 5, 0, 1 },
        { "blocked, slide needs the diagonal free", flake_at(5, 5, 0, 9), { { { 5, 4 }, white }, { { 4, 4 }, white } }, { 0.1f }, 5, 5, 0, 10 },
        { "blocked by any colour with blue", flake_at(5, 5), { { { 5, 4 }, blueish }, { { 6, 4 }, blueish } }, { 0.6f }, 5, 5, 0, 1 },
        { "blocked at X 599, right slide ruled out: nothing counts", flake_at(599, 5, 0, 3), { { { 599, 4 }, white } }, { 0.9f }, 599, 5, 0, 3 },
        { "blocked at X 0, left slide ruled out: nothing counts", flake_at(0, 5, 0, 3), { { { 0, 4 }, white } }, { 0.1f }, 0, 5, 0, 3 },
        { "red below is free", flake_at(5, 5), { { { 5, 4 }, red } }, {}, 5, 4, 1, 0 },
        { "row 0 is never blocked", flake_at(5, 0, 0, 50), { { { 4, 0 }, white }, { { 6, 0 }, white }, { { 5, 1 }, white } }, {}, 5, 0, 1, 0 },
        { "a blocked flake on row 1 slides to row 0", flake_at(5, 1), { { { 5, 0 }, white } }, { 0.7f }, 6, 0, 0, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Buffer picture(600, 10);
        for (const auto& [xy, color] : c.occupied)
            picture.at(xy.first, xy.second) = color;
        SnowFlake flake = c.flake;
        picture.at(flake.X, flake.Y) = white;  // a flake lies where it is drawn
        Script script { { c.R.begin(), c.R.end() } };
        int16_t attempts = 0;
        EXPECT_EQ(step_flake(flake, picture.view(), script.uniform(), attempts), StepEnd::Done);
        EXPECT_EQ(script.drawn, c.R.size());
        EXPECT_EQ(flake.X, c.X);
        EXPECT_EQ(flake.Y, c.Y);
        EXPECT_EQ(flake.FallSteps, c.FallSteps);
        EXPECT_EQ(flake.StuckFrames, c.StuckFrames);
        EXPECT_EQ(picture.at(c.X, c.Y), white);
        if (c.X != c.flake.X || c.Y != c.flake.Y) {
            EXPECT_EQ(picture.at(c.flake.X, c.flake.Y), black) << "the old pixel is erased";
        }
    }
}

TEST(FlakeStep, EraseKeepsTheReservedByteAndDrawLeavesIt)
{
    Buffer picture(10, 10);
    picture.at(5, 5) = 0xAB123456;
    SnowFlake flake = flake_at(5, 5);
    picture.at(5, 4) = 0xCD000000;  // reserved byte only: free
    int16_t attempts = 0;
    step_flake(flake, picture.view(), Script {}.uniform(), attempts);
    EXPECT_EQ(picture.at(5, 5), 0xAB000000u);
    EXPECT_EQ(picture.at(5, 4), 0xCDFFFFFFu);
}

TEST(FlakeStep, PureRedIsFreeAndLeftBlackWhereAFlakePassed)
{
    Buffer picture(10, 10);
    picture.fill_rows(3, 5, red);
    SnowFlake flake = flake_at(5, 8);
    int16_t attempts = 0;
    Uniform R = seeded(1);
    for (int frame = 0; frame < 7; ++frame)
        step_flake(flake, picture.view(), R, attempts);
    EXPECT_EQ(flake.Y, 1);
    int blackened = 0;
    for (int y = 3; y <= 5; ++y) {
        for (int x = 0; x < 10; ++x) {
            uint32_t p = picture.at(x, y);
            EXPECT_TRUE(p == red || p == black) << x << "," << y;
            blackened += p == black;
        }
    }
    EXPECT_EQ(blackened, 3) << "one pixel per row the flake passed";
}

// ---- Respawn and restart --------------------------------------------------------------------

// A flake stuck on a flat white floor: blocked below, and both slides blocked.
struct Stuck {
    Buffer picture { 600, 600 };
    SnowFlake flake = flake_at(300, 101);
    Stuck()
    {
        picture.fill_rows(0, 100, white);
        picture.at(300, 101) = white;
    }
};

TEST(Respawn, After101BlockedFramesIntoTheTopBandLeavingLyingSnow)
{
    Stuck s;
    Uniform R = seeded(7);
    int16_t attempts = 0;
    for (int frame = 1; frame <= 101; ++frame) {
        step_flake(s.flake, s.picture.view(), R, attempts);
        ASSERT_EQ(s.flake.StuckFrames, frame);
        ASSERT_EQ(s.flake.X, 300);
        ASSERT_EQ(s.flake.Y, 101);
    }
    attempts = 17;
    step_flake(s.flake, s.picture.view(), R, attempts);
    EXPECT_EQ(attempts, 0) << "a successful respawn clears the count";
    EXPECT_GE(s.flake.X, 2);
    EXPECT_LE(s.flake.X, 591);
    EXPECT_GE(s.flake.Y, 578) << "respawned into rows 579 to 599, then fell one row";
    EXPECT_LE(s.flake.Y, 598);
    EXPECT_EQ(s.flake.StuckFrames, 0);
    EXPECT_EQ(s.picture.at(300, 101), white) << "the old pixel stays as lying snow";
}

TEST(Respawn, CandidatesFromTheDrawsOfR)
{
    struct Case {
        float rx, ry;
        int32_t X, Y;  // where the respawned flake lands before falling one row
    };
    const Case cases[] = {
        { 0.0f, 0.0f, 2, 579 },
        { 0.99999994f, 0.99999994f, 591, 599 },
        { 0.5f, 0.5f, 297, 589 },
        { 0.5f, 0.53f, 297, 590 },
        { 0.5f, 0.47f, 297, 588 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rx << " " << c.ry);
        Buffer picture(600, 600);
        SnowFlake flake = flake_at(10, 10, 0, 101);
        picture.at(10, 9) = white;
        Script script { { c.rx, c.ry } };
        int16_t attempts = 0;
        step_flake(flake, picture.view(), script.uniform(), attempts);
        EXPECT_EQ(flake.X, c.X);
        EXPECT_EQ(flake.Y, c.Y - 1);
    }
}

TEST(Respawn, TheThousandthCandidateRestartsUntested)
{
    Stuck s;
    s.picture.fill_rows(579, 599, white);
    s.flake.StuckFrames = 101;
    s.picture.at(2, 579) = black;
    // 999 occupied candidates (297, 589), then a free one (2, 579) that is never tested.
    Script script;
    for (int i = 0; i < 999; ++i)
        script.values.insert(script.values.end(), { 0.5f, 0.5f });
    script.values.insert(script.values.end(), { 0.0f, 0.0f });
    int16_t attempts = 0;
    SnowFlake before = s.flake;
    EXPECT_EQ(step_flake(s.flake, s.picture.view(), script.uniform(), attempts), StepEnd::Restart);
    EXPECT_EQ(attempts, 1000) << "a restart keeps the count";
    EXPECT_TRUE(script.values.empty());
    EXPECT_EQ(s.flake.X, before.X);
    EXPECT_EQ(s.flake.Y, before.Y);
    EXPECT_EQ(s.flake.StuckFrames, 101);
    EXPECT_EQ(s.picture.at(300, 101), white) << "an abandoned step erased nothing";
}

TEST(Respawn, CountCarriesAcrossFlakesAndStopsAt32767)
{
    struct Case {
        int16_t before;
        StepEnd end;
        int16_t after;
    };
    // The count runs on from flake to flake (only success clears it); once past 1000 a search
    // gives up after its bound and the flake stays lying this frame.
    const Case cases[] = {
        { 998, StepEnd::Restart, 1000 },
        { 0, StepEnd::Restart, 1000 },
        { 1000, StepEnd::Done, 2000 },
        { 32000, StepEnd::Done, 32767 },
        { 32767, StepEnd::Done, 32767 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        Stuck s;
        s.picture.fill_rows(579, 599, white);
        s.flake.StuckFrames = 101;
        int16_t attempts = c.before;
        Uniform R = seeded(3);
        EXPECT_EQ(step_flake(s.flake, s.picture.view(), R, attempts), c.end);
        EXPECT_EQ(attempts, c.after);
        if (c.end == StepEnd::Done) {
            EXPECT_EQ(s.flake.X, 300);
            EXPECT_EQ(s.flake.Y, 101);
            EXPECT_EQ(s.flake.StuckFrames, 102) << "blocked where it lies, and counted";
        }
    }
}

TEST(Respawn, NotBeforeMoreThan100)
{
    Stuck s;
    s.flake.StuckFrames = 100;
    Script script { { 0.9f } };  // the slide direction only
    int16_t attempts = 0;
    step_flake(s.flake, s.picture.view(), script.uniform(), attempts);
    EXPECT_EQ(s.flake.StuckFrames, 101);
    EXPECT_EQ(s.flake.Y, 101);
}

// ---- Placement ------------------------------------------------------------------------------

TEST(Placement, CandidatesUntilAFreePixel)
{
    Buffer picture(600, 600);
    picture.at(297, 310) = white;  // (0.5, 0.5): 309.5 rounds to the even 310, taken
    std::vector<SnowFlake> flakes(2, flake_at(0, 0, 3, 7));
    Script script { { 0.5f, 0.5f, 0.0f, 0.0f, 0.99999994f, 0.99999994f } };
    place_flakes(flakes, picture.view(), script.uniform());
    EXPECT_EQ(flakes[0].X, 2);
    EXPECT_EQ(flakes[0].Y, 20);
    EXPECT_EQ(flakes[1].X, 591);
    EXPECT_EQ(flakes[1].Y, 599);
    EXPECT_EQ(flakes[1].FallSteps, 3) << "counters stay";
    EXPECT_EQ(flakes[1].StuckFrames, 7);
    EXPECT_EQ(picture.at(2, 20), black) << "placed flakes are not drawn";
}

TEST(Placement, OutsideTheBufferIsAcceptedAtOnce)
{
    Buffer picture(100, 50, white);
    std::vector<SnowFlake> flakes(1);
    Script script { { 0.5f, 0.5f } };
    place_flakes(flakes, picture.view(), script.uniform());
    EXPECT_EQ(flakes[0].X, 297);
    EXPECT_EQ(flakes[0].Y, 310);
    EXPECT_FALSE(flakes[0].waiting);
}

TEST(Placement, NoFreePixelMakesTheFlakeWaitUntilThereIsOne)
{
    Buffer picture(600, 600, white);
    std::vector<SnowFlake> flakes(1);
    Uniform R = seeded(5);
    place_flakes(flakes, picture.view(), R);
    EXPECT_TRUE(flakes[0].waiting);

    int16_t attempts = 0;
    step_flake(flakes[0], picture.view(), R, attempts);
    EXPECT_TRUE(flakes[0].waiting);
    EXPECT_EQ(picture.pixels, Buffer(600, 600, white).pixels) << "a waiting flake touches nothing";

    picture.fill_rows(20, 599, black);
    step_flake(flakes[0], picture.view(), R, attempts);
    EXPECT_FALSE(flakes[0].waiting);
    EXPECT_GE(flakes[0].Y, 20);
    EXPECT_EQ(picture.at(flakes[0].X, flakes[0].Y), black) << "placed, not drawn";
}

// ---- A frame --------------------------------------------------------------------------------

TEST(Frame, LowerIndexesMoveFirst)
{
    // Flake 0 moves away first, so flake 1 above it can fall; flake 2 is blocked by flake 3's
    // pixel of the previous frame.
    Buffer picture(20, 20);
    std::vector<SnowFlake> flakes { flake_at(5, 4), flake_at(5, 5), flake_at(10, 5), flake_at(10, 4) };
    for (const auto& f : flakes)
        picture.at(f.X, f.Y) = white;
    picture.at(9, 4) = white;
    picture.at(11, 4) = white;
    Script script { { 0.9f } };  // flake 2's slide direction
    int16_t attempts = 0;
    EXPECT_EQ(move_flakes(flakes, picture.view(), script.uniform(), attempts), StepEnd::Done);
    EXPECT_EQ(flakes[0].Y, 3);
    EXPECT_EQ(flakes[1].Y, 4);
    EXPECT_EQ(flakes[2].Y, 5);
    EXPECT_EQ(flakes[2].StuckFrames, 1);
    EXPECT_EQ(flakes[3].Y, 3);
}

TEST(Frame, OutsideTheBufferTestsPassAndWritesDoNothing)
{
    Buffer picture(50, 40, blueish);
    const Buffer before = picture;
    std::vector<SnowFlake> flakes {
        flake_at(60, 30, 3),  // right of the picture: drifts left through the outside
        flake_at(20, 45),     // above the top: falls
        flake_at(20, 40),     // just above the top, white below: the slide's outside pixel passes
    };
    Script script { { 0.1f, 0.9f } };
    int16_t attempts = 0;
    move_flakes(flakes, picture.view(), script.uniform(), attempts);
    EXPECT_EQ(flakes[0].X, 59);
    EXPECT_EQ(flakes[0].Y, 29);
    EXPECT_EQ(flakes[1].Y, 44);
    EXPECT_EQ(flakes[2].X, 21);
    EXPECT_EQ(flakes[2].Y, 39);
    auto expected = before.pixels;
    expected[39 * 50 + 21] = white;
    EXPECT_EQ(picture.pixels, expected);
}

TEST(Frame, NoBufferAtAll)
{
    std::vector<SnowFlake> flakes(flake_count);
    Uniform R = seeded(9);
    place_flakes(flakes, PixelView(), R);
    int16_t attempts = 0;
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(move_flakes(flakes, PixelView(), R, attempts), StepEnd::Done);
    for (const auto& f : flakes)
        EXPECT_GE(f.Y, 17);
}

}  // namespace
}  // namespace velmo::effects
