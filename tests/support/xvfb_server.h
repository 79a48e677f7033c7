// XvfbServer: a private X server for one test. It starts Xvfb on a display number Xvfb itself
// finds free (-displayfd), so tests running side by side never share a screen, and stops it when
// the test ends. XvfbTest skips a test only when no Xvfb is installed.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <optional>
#include <string>

#include "gfx/size.h"

namespace velmo::testing {

class XvfbServer {
public:
    static bool available();

    // Throws std::runtime_error when the server does not come up.
    explicit XvfbServer(gfx::Size screen = { 640, 480 });
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", for XOpenDisplay or DISPLAY.
    const std::string& name() const { return name_; }
    // Ends the server now, as a crash or a logout would.
    void kill();
    // The server's process, for tests that stop and resume it (SIGSTOP, SIGCONT).
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// A test with its own X server; the DISPLAY variable names it while the test runs.
class XvfbTest : public ::testing::Test {
protected:
    explicit XvfbTest(gfx::Size screen = { 640, 480 })
        : screen_(screen)
    {
    }
    void SetUp() override;
    void TearDown() override;

    XvfbServer& server() { return *server_; }
    gfx::Size screen_size() const { return screen_; }

private:
    gfx::Size screen_;
    std::optional<XvfbServer> server_;
    std::optional<std::string> saved_display_;
};

}  // namespace velmo::testing
