// A compositor that offers no screen copies (weston, like GNOME and KDE, keeps them to itself):
// whatever reads the screen says so in one line instead of writing a black picture.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/command_run.h"
#include "support/temp_folder.h"

namespace velmo {
namespace {

namespace fs = std::filesystem;

// A headless weston of the test's own, in its own runtime folder and process group.
class Weston {
public:
    Weston()
    {
        fs::permissions(runtime_.path(), fs::perms::owner_all, fs::perm_options::replace);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            std::string runtime = "XDG_RUNTIME_DIR=" + runtime_.string();
            ::execl("/usr/bin/env", "env", "-i", "PATH=/usr/bin:/bin", runtime.c_str(), "weston", "--backend=headless-backend.so",
                "--socket=velmo-weston", "--width=320", "--height=240", "--idle-time=0", "--log=/dev/null", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 200 && !fs::exists(socket()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ~Weston()
    {
        if (pid_ > 0) {
            ::kill(-pid_, SIGTERM);
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Weston(const Weston&) = delete;
    Weston& operator=(const Weston&) = delete;

    std::string socket() const { return (runtime_ / "velmo-weston").string(); }
    fs::path at(const std::string& name) const { return runtime_ / name; }

private:
    testing::TempFolder runtime_ { "velmo-weston" };
    pid_t pid_ = -1;
};

TEST(WaylandWithoutScreenCopies, WhatReadsTheScreenIsOneLineAndNoPicture)
{
    if (::access("/usr/bin/weston", X_OK) != 0)
        GTEST_SKIP() << "weston is not installed";
    Weston weston;
    ASSERT_TRUE(fs::exists(weston.socket())) << "weston did not start";

    const std::string says = "velmo: the Wayland compositor offers no screen copies (wlr-screencopy), so velmo cannot read the screen "
                             "there; velmo's own windows can still be captured\n";
    const std::string file = weston.at("never.png").string();
    for (const std::string& arguments : { "capture -o " + file, "capture --monitor 0 -o " + file, "capture --rect 0,0,8,8 -o " + file,
             std::string("pick --once") }) {
        SCOPED_TRACE(arguments);
        auto run = testing::run_command("WAYLAND_DISPLAY=" + weston.socket() + " " + VELMO_EXE + " --display wayland " + arguments,
            testing::StandardError::Apart);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, says);
        EXPECT_FALSE(fs::exists(file));
    }
}

}  // namespace
}  // namespace velmo
