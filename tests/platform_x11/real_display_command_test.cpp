// The command on a real display that fails under it: a server that never answers, a server that
// dies while pick reads it or while skin shows, and a skin closed by a right click. Each ends in
// one line and a clear exit code, with nothing left allocated (the sanitizer build's leak check
// runs in every command started here, and a leak changes the exit code).
#include "support/command_run.h"
#include "support/temp_folder.h"
#include "support/xvfb_server.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/png_writer.h"

namespace {

namespace fs = std::filesystem;
using velmo::testing::CommandRun;
using velmo::testing::lines_of;
using velmo::testing::StandardError;

// Every velmo started here checks for leaks on its way out; `timeout` turns a hang into a failure.
std::string velmo_line(const std::string& arguments)
{
    return "ASAN_OPTIONS=detect_leaks=1 timeout 60 " + std::string(VELMO_EXE) + " " + arguments;
}

// A velmo running in the background: its first line of output is awaited, then the test acts on
// the server, then the rest is collected.
class Running : public velmo::testing::RunningCommand {
public:
    explicit Running(const std::string& arguments) : RunningCommand(velmo_line(arguments)) { }
};

// A TCP port that accepts connections (the kernel completes them) and never says a word, named as
// an X display.
class SilentServer {
public:
    SilentServer()
    {
        for (int number = 300; number < 600 && name_.empty(); ++number) {
            fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address {};
            address.sin_family = AF_INET;
            address.sin_port = htons(static_cast<uint16_t>(6000 + number));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd_, 8) == 0) {
                name_ = "127.0.0.1:" + std::to_string(number);
                break;
            }
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~SilentServer()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    const std::string& name() const { return name_; }

private:
    int fd_ = -1;
    std::string name_;
};

class RealDisplayCommand : public velmo::testing::XvfbTest {
protected:
    velmo::testing::TempFolder dir { "velmo-x11-failures" };

    // A 40 x 30 skin of one colour but for its top-left pixel, which is what shows through.
    std::string solid_skin()
    {
        velmo::gfx::Bitmap bitmap({ 40, 30 });
        bitmap.fill(velmo::gfx::Color { 0xC0, 0x20, 0x20 });
        bitmap.set_pixel(0, 0, velmo::gfx::Color { 0xFF, 0x00, 0xFF });
        fs::path file = dir / "solid.png";
        EXPECT_TRUE(velmo::gfx::write_png(bitmap, file));
        return file.string();
    }

    // Waits until a window is mapped on the server (the skin is up); false when none comes.
    bool wait_for_a_window(::Display* x)
    {
        for (int tries = 0; tries < 300; ++tries) {
            ::Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            bool seen = false;
            if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) {
                for (unsigned i = 0; i < count && !seen; ++i) {
                    XWindowAttributes a;
                    seen = XGetWindowAttributes(x, children[i], &a) && a.map_state == IsViewable;
                }
                if (children)
                    XFree(children);
            }
            if (seen)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
};

TEST_F(RealDisplayCommand, AServerThatNeverAnswersIsOneLineForX11AndTheMemoryDisplayForAuto)
{
    if (IsSkipped())
        return;
    CommandRun memory = velmo::testing::run_command(velmo_line("--display memory pick --once --at 1,1"), StandardError::Apart);
    ASSERT_EQ(memory.exit_code, 0) << memory.err;

    SilentServer silent;
    ASSERT_FALSE(silent.name().empty());
    struct Case {
        const char* what;
        std::function<std::string()> display;  // the DISPLAY to try
    } cases[] = {
        { "a stopped server",
            [&] {
                ::kill(server().pid(), SIGSTOP);
                return server().name();
            } },
        { "a socket that never answers", [&] { return silent.name(); } },
    };
    for (const Case& c : cases) {
        std::string display = c.display();
        CommandRun x11 = velmo::testing::run_command("DISPLAY=" + display + " " + velmo_line("--display x11 pick --once --at 1,1"),
            StandardError::Apart);
        EXPECT_EQ(x11.exit_code, 1) << c.what;
        EXPECT_EQ(x11.out, "") << c.what;
        EXPECT_EQ(x11.err, "velmo: the X display '" + display + "' did not answer within 3 seconds\n") << c.what;

        CommandRun fallback = velmo::testing::run_command("DISPLAY=" + display + " " + velmo_line("--display auto pick --once --at 1,1"),
            StandardError::Apart);
        EXPECT_EQ(fallback.exit_code, 0) << c.what << ": " << fallback.err;
        EXPECT_EQ(fallback.out, memory.out) << c.what;
        ::kill(server().pid(), SIGCONT);
    }
}

TEST_F(RealDisplayCommand, AServerThatDiesEndsPickWithOneLineAndNoInventedColour)
{
    if (IsSkipped())
        return;
    Running pick("--display x11 pick --interval 100 --count 50");
    ASSERT_TRUE(pick.first_line());
    server().kill();
    CommandRun run = pick.finish();
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_EQ(run.err, "velmo: the connection to the X display was lost\n");
    EXPECT_LT(lines_of(run.out).size(), 50u) << run.out;
}

TEST_F(RealDisplayCommand, SkinClosedByARightClickOrADyingServerLeavesNothingBehind)
{
    if (IsSkipped())
        return;
    std::string skin = solid_skin();
    ::Display* x = XOpenDisplay(server().name().c_str());
    ASSERT_NE(x, nullptr);
    struct Case {
        const char* how;
        bool kills_server;
        int exit_code;
        const char* err;
    } cases[] = {
        { "a right click", false, 0, "" },
        { "a dying server", true, 1, "velmo: the connection to the X display was lost\n" },
    };
    for (const Case& c : cases) {
        Running shown("--display x11 skin " + skin);
        ASSERT_TRUE(shown.first_line()) << c.how;
        ASSERT_TRUE(wait_for_a_window(x)) << c.how;
        if (c.kills_server) {
            XCloseDisplay(x);
            x = nullptr;
            server().kill();
        } else {
            // The skin stands in the middle of the 640 x 480 screen.
            XTestFakeMotionEvent(x, 0, 320, 240, 0);
            XTestFakeButtonEvent(x, 3, True, 0);
            XTestFakeButtonEvent(x, 3, False, 0);
            XSync(x, False);
        }
        CommandRun run = shown.finish();
        EXPECT_EQ(run.exit_code, c.exit_code) << c.how << ": " << run.err;
        EXPECT_EQ(run.err, c.err) << c.how;
    }
    if (x)
        XCloseDisplay(x);
}

}  // namespace
