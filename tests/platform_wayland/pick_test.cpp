// Picking colours on a Wayland compositor: the see-through overlay follows the pointer sway's seat
// places over every output and reads what lies under it, velmo pick prints the colour under the
// pointer over the desktop and over a velmo window, a click on the overlay ends a running pick with
// the clicked place's line, and nothing can move the pointer.
#include "support/sway_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/wayland/wayland_backend.h"
#include "support/command_run.h"
#include "support/seat_keyboard.h"

namespace velmo::platform::wayland {
namespace {

using Clock = std::chrono::steady_clock;

// A command running in the background with its standard output on a pipe, read line by line.
// Unlike testing::RunningCommand every wait is bounded and the command is killed when the test is
// done with it: a window kept up until closed, or a pick that never ends, cannot hold the suite.
class Background {
public:
    explicit Background(const std::string& command)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            dup2(out[1], STDOUT_FILENO);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            close(out[0]);
            close(out[1]);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
    }
    ~Background()
    {
        if (pid_ > 0) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    // The next line without its newline; nothing when none came within `limit` or the output ended.
    std::optional<std::string> line(std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        auto end = Clock::now() + limit;
        for (;;) {
            if (size_t at = buffer_.find('\n'); at != std::string::npos) {
                std::string l = buffer_.substr(0, at);
                buffer_.erase(0, at + 1);
                return l;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            pollfd in { out_, POLLIN, 0 };
            if (left <= 0 || poll(&in, 1, int(left)) <= 0)
                return std::nullopt;
            char chunk[512];
            ssize_t got = read(out_, chunk, sizeof chunk);
            if (got <= 0)
                return std::nullopt;
            buffer_.append(chunk, size_t(got));
        }
    }

    // The exit code once the command ends within `limit`; nothing when it is still running.
    std::optional<int> exit_code(std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return std::nullopt;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};

std::string hex(uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFF);
    return text;
}

// The full line velmo pick prints for the colour `rgb` (0xRRGGBB) at `at`.
std::string pick_line(gfx::Point at, uint32_t rgb)
{
    unsigned red = rgb >> 16 & 0xFF, green = rgb >> 8 & 0xFF, blue = rgb & 0xFF;
    char text[96];
    std::snprintf(text, sizeof text, "%d,%d  R %02X G %02X B %02X  %s  %u", at.x, at.y, red, green, blue, hex(rgb).c_str(),
        red | green << 8 | blue << 16);
    return text;
}

testing::CommandRun velmo(const std::string& arguments)
{
    return testing::run_command(std::string(VELMO_EXE) + " --display wayland " + arguments, testing::StandardError::Apart);
}

// Two outputs side by side, each with a background of its own colour, and a keyboard on the seat
// (the server holds a pointer there), which a headless sway otherwise lacks.
class WaylandPickTest : public testing::SwayTest {
protected:
    static constexpr uint32_t left_colour = 0x203040;
    static constexpr uint32_t right_colour = 0xC08010;
    static constexpr gfx::Rect right_output { 640, 0, 320, 240 };

    void SetUp() override
    {
        SwayTest::SetUp();
        if (IsSkipped())
            return;
        server().swaymsg("create_output");
        server().swaymsg("output HEADLESS-2 resolution 320x240 position 640 0");
        server().swaymsg("output HEADLESS-1 bg '" + hex(left_colour) + "' solid_color");
        server().swaymsg("output HEADLESS-2 bg '" + hex(right_colour) + "' solid_color");
        keyboard_.emplace(server().socket());
        ASSERT_TRUE(wait_for_colour({ 5, 5 }, left_colour) && wait_for_colour({ 700, 5 }, right_colour)) << "the backgrounds were never drawn";
    }

    uint32_t background_at(gfx::Point at) const { return right_output.contains(at) ? right_colour : left_colour; }

    void point_at(gfx::Point at) { server().swaymsg("seat - cursor set " + std::to_string(at.x) + " " + std::to_string(at.y)); }

    // grim's colour at `at` (0xRRGGBB); nothing when grim failed.
    std::optional<uint32_t> grim_colour(gfx::Point at)
    {
        auto file = server().folder() / "pixel.ppm";
        std::string command = "WAYLAND_DISPLAY='" + server().socket() + "' grim -t ppm -g '" + std::to_string(at.x) + "," + std::to_string(at.y)
            + " 1x1' '" + file.string() + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            return std::nullopt;
        std::FILE* f = std::fopen(file.c_str(), "rb");
        if (!f)
            return std::nullopt;
        unsigned char rgb[3] {};
        std::fseek(f, -3, SEEK_END);
        bool read = std::fread(rgb, 1, 3, f) == 3;
        std::fclose(f);
        if (!read)
            return std::nullopt;
        return uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
    }

    bool wait_for_colour(gfx::Point at, uint32_t rgb)
    {
        for (int i = 0; i < 100; ++i) {
            if (grim_colour(at) == rgb)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Lets `backend` take events until `done` holds, for at most five seconds.
    static bool wait_until(WaylandBackend& backend, const std::function<bool()>& done)
    {
        auto end = Clock::now() + std::chrono::seconds(5);
        while (!done() && Clock::now() < end)
            backend.wait_for_events(Clock::now() + std::chrono::milliseconds(100));
        return done();
    }

    testing::SeatKeyboard& keyboard() { return *keyboard_; }

private:
    std::optional<testing::SeatKeyboard> keyboard_;
};

TEST_F(WaylandPickTest, TheOverlayFollowsThePointerOverEveryOutputAndReadsWhatLiesUnder)
{
    WaylandBackend backend(server().socket());
    EXPECT_FALSE(backend.set_cursor_position({ 50, 60 })) << "no Wayland client can move the pointer";
    // The left output as it is without the overlay, the pointer out of the way on the right one.
    const gfx::Rect left_output { 0, 0, 640, 480 };
    point_at({ 900, 200 });
    auto before = backend.screen_area(left_output);
    ASSERT_TRUE(before.has_value());

    // The overlay's enter event gives the place at once, with no motion.
    point_at({ 123, 45 });
    ASSERT_EQ(backend.begin_pointing(), std::nullopt);
    ASSERT_TRUE(wait_until(backend, [&] { return backend.pointing().pointer_known; }));
    EXPECT_EQ(backend.cursor_position(), (gfx::Point { 123, 45 }));

    const gfx::Point places[] = { { 0, 0 }, { 639, 479 }, { 17, 300 }, { 640, 0 }, { 959, 239 }, { 800, 100 } };
    for (gfx::Point at : places) {
        SCOPED_TRACE(std::to_string(at.x) + "," + std::to_string(at.y));
        point_at(at);
        EXPECT_TRUE(wait_until(backend, [&] { return backend.cursor_position() == at; })) << backend.cursor_position().x << "," << backend.cursor_position().y;
        EXPECT_EQ(backend.screen_pixel(at).value_or(0xFFFFFFFF) & 0xFFFFFF, background_at(at));
    }
    // The overlay's pixels are fully transparent: the screen reads as it did without it.
    auto during = backend.screen_area(left_output);
    ASSERT_TRUE(during.has_value());
    EXPECT_TRUE(std::equal(before->pixels().begin(), before->pixels().end(), during->pixels().begin()));
    EXPECT_EQ(backend.pointing().ended, DisplayBackend::PointingEnd::No);
    backend.end_pointing();
}

TEST_F(WaylandPickTest, PickOnceReadsTheColourUnderThePointerOverTheDesktopAndOverAVelmoWindow)
{
    constexpr uint32_t window_colour = 0xC8285A;
    Background window(std::string(VELMO_EXE) + " --display wayland paint HorizGradient 200 40 90 200 40 90 False --size 200x150 -o '"
        + (server().folder() / "window.png").string() + "' --show");
    // A fixed-size window floats in the middle of its output.
    ASSERT_TRUE(wait_for_colour({ 320, 240 }, window_colour)) << "the window never showed";

    struct Case {
        gfx::Point at;
        uint32_t colour;
    };
    const Case cases[] = { { { 10, 10 }, left_colour }, { { 700, 200 }, right_colour }, { { 320, 240 }, window_colour }, { { 250, 200 }, window_colour } };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.at.x) + "," + std::to_string(c.at.y));
        point_at(c.at);
        auto run = velmo("pick --once");
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(run.out, pick_line(c.at, c.colour) + "\n");
    }
}

TEST_F(WaylandPickTest, AClickOrEscapeOnTheOverlayEndsARunningPickWithThePlacesLineLast)
{
    struct Case {
        const char* name;
        gfx::Point end_at;  // where the pointer is when the pick ends
        std::function<void()> end;
    };
    const Case cases[] = {
        { "click", { 900, 50 },
            [&] {
                server().swaymsg("seat - cursor press button1");
                server().swaymsg("seat - cursor release button1");
            } },
        { "Escape", { 100, 100 }, [&] { keyboard().press(1); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Ticks a minute apart: the first line comes from the overlay's enter event, the last from
        // the click, neither from a tick.
        point_at({ 100, 100 });
        Background pick(std::string(VELMO_EXE) + " --display wayland pick --format hex --interval 60000");
        std::string last = pick.line().value_or("");
        ASSERT_EQ(last, hex(left_colour));
        point_at(c.end_at);
        c.end();
        EXPECT_EQ(pick.exit_code(), 0);
        while (auto line = pick.line(std::chrono::milliseconds(500)))
            last = *line;
        EXPECT_EQ(last, hex(background_at(c.end_at)));
    }
}

TEST_F(WaylandPickTest, AtIsRefusedSinceNothingMovesThePointer)
{
    auto run = velmo("pick --once --at 5,5");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("velmo: --at 5,5: ")) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

}  // namespace
}  // namespace velmo::platform::wayland
