// SwayServer: a private headless sway for one test or suite: its own runtime folder, Wayland
// socket and IPC socket, pixels rendered in software, no input devices. sway refuses to run as
// root, so as root it runs as the unprivileged velmo-test user (scripts/setup.sh adds it); tests
// connect through the socket's absolute path. grim and swaymsg, run against the same sockets, are
// the peers that read its pixels and drive its seat. A headless seat has no pointer until a device
// joins it, so the server holds a virtual pointer for its whole life: `swaymsg seat - cursor ...`
// then moves and presses it, and clients get pointer events. Its cursor is see-through: a headless
// output draws the cursor into the pixels grim reads. SwayTest skips a test only when sway is not
// installed or, as root, there is no velmo-test user.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/point.h"
#include "gfx/size.h"

namespace velmo::testing {

class SwayServer {
public:
    // Why sway cannot run here; nothing when it can.
    static std::optional<std::string> unavailable();

    // One output `output` sized; `config` lines are added to sway's configuration. Throws
    // std::runtime_error when sway does not come up.
    explicit SwayServer(gfx::Size output = { 640, 480 }, const std::vector<std::string>& config = {});
    ~SwayServer();
    SwayServer(const SwayServer&) = delete;
    SwayServer& operator=(const SwayServer&) = delete;

    // The Wayland socket's absolute path, for wl_display_connect or WAYLAND_DISPLAY.
    const std::string& socket() const { return socket_; }
    // A folder sway can read, for files a configuration names (backgrounds).
    const std::filesystem::path& folder() const { return folder_; }

    // Runs `swaymsg COMMAND...` against this sway; its output. Throws std::runtime_error when it fails.
    std::string swaymsg(const std::string& arguments) const;
    // Captures the whole layout (or `output`) with grim into `file`, a PPM picture; false when grim failed.
    bool grim(const std::filesystem::path& file, const std::string& output = {}) const;
    // Ends sway now, as a crash or a logout would.
    void kill();

    // The virtual pointer as a person's mouse: to `at` on the first output, and the left button
    // down or up. Each returns once sway has handled it. (`swaymsg seat - cursor` goes around the
    // input path: its release does not end a move the compositor runs.)
    void pointer_to(gfx::Point at);
    void pointer_button(bool down);

private:
    struct PointerDevice;

    pid_t pid_ = -1;
    gfx::Size output_;
    std::unique_ptr<PointerDevice> pointer_;
    std::filesystem::path folder_;
    std::string socket_;
    std::string ipc_;
};

// A test with its own sway; WAYLAND_DISPLAY names its socket while the test runs.
class SwayTest : public ::testing::Test {
protected:
    explicit SwayTest(gfx::Size output = { 640, 480 })
        : output_(output)
    {
    }
    void SetUp() override;
    void TearDown() override;
    // Configuration lines for sway, read when the test starts it.
    virtual std::vector<std::string> config() const { return {}; }

    SwayServer& server() { return *server_; }
    gfx::Size output_size() const { return output_; }

private:
    gfx::Size output_;
    std::optional<SwayServer> server_;
    std::optional<std::string> saved_display_;
};

}  // namespace velmo::testing
