#include "xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace velmo::testing {

namespace {

std::optional<std::filesystem::path> find_xvfb()
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::filesystem::path candidate = std::filesystem::path(dirs.substr(start, end - start)) / "Xvfb";
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace

bool XvfbServer::available() { return find_xvfb().has_value(); }

XvfbServer::XvfbServer(gfx::Size screen)
{
    auto xvfb = find_xvfb();
    if (!xvfb)
        throw std::runtime_error("Xvfb is not installed");
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    std::string fd = std::to_string(fds[1]);
    std::string geometry = std::to_string(screen.width) + "x" + std::to_string(screen.height) + "x24";
    pid_ = fork();
    if (pid_ == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execl(xvfb->c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", geometry.c_str(), "-nolisten", "tcp",
            "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        throw std::runtime_error("fork failed");
    }
    // Xvfb writes the display number once it accepts connections.
    std::string number;
    pollfd wait { fds[0], POLLIN, 0 };
    while (number.find('\n') == std::string::npos && poll(&wait, 1, 15000) > 0) {
        char buffer[32];
        ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        number.append(buffer, static_cast<size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        kill();
        throw std::runtime_error("Xvfb did not start");
    }
    name_ = ":" + number.substr(0, number.find('\n'));
}

XvfbServer::~XvfbServer() { kill(); }

void XvfbServer::kill()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

void XvfbTest::SetUp()
{
    if (!XvfbServer::available())
        GTEST_SKIP() << "Xvfb is not installed (scripts/setup.sh installs it)";
    server_.emplace(screen_);
    if (const char* display = std::getenv("DISPLAY"))
        saved_display_ = display;
    setenv("DISPLAY", server_->name().c_str(), 1);
}

void XvfbTest::TearDown()
{
    if (saved_display_)
        setenv("DISPLAY", saved_display_->c_str(), 1);
    else
        unsetenv("DISPLAY");
    // The server itself stops with the fixture, after the test's own connections have closed.
}

}  // namespace velmo::testing
