#include "sway_server.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "wlr-virtual-pointer-unstable-v1-client.h"

namespace velmo::testing {

// A client of the server that does nothing but hold a virtual pointer on its seat.
struct SwayServer::PointerDevice {
    wl_display* display = nullptr;
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    zwlr_virtual_pointer_v1* pointer = nullptr;

    explicit PointerDevice(const std::string& socket)
    {
        display = wl_display_connect(socket.c_str());
        if (!display)
            throw std::runtime_error("cannot connect to sway at " + socket);
        wl_registry* registry = wl_display_get_registry(display);
        static const wl_registry_listener listener {
            [](void* data, wl_registry* r, uint32_t name, const char* interface, uint32_t) {
                auto* self = static_cast<PointerDevice*>(data);
                if (std::string(interface) == wl_seat_interface.name && !self->seat)
                    self->seat = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
                else if (std::string(interface) == zwlr_virtual_pointer_manager_v1_interface.name)
                    self->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                        wl_registry_bind(r, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
            },
            [](void*, wl_registry*, uint32_t) {},
        };
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(display);
        wl_registry_destroy(registry);
        if (!seat || !manager) {
            close();
            throw std::runtime_error("sway offers no virtual pointer");
        }
        pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
        wl_display_roundtrip(display);
    }
    ~PointerDevice() { close(); }

    // Sends the event and waits until sway has handled it.
    void sent()
    {
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
    }
    uint32_t now() { return ++time; }
    uint32_t time = 0;

    void close()
    {
        if (pointer)
            zwlr_virtual_pointer_v1_destroy(pointer);
        if (manager)
            zwlr_virtual_pointer_manager_v1_destroy(manager);
        if (seat)
            wl_seat_destroy(seat);
        wl_display_disconnect(display);
        pointer = nullptr;
        manager = nullptr;
        seat = nullptr;
    }
};

namespace {

constexpr const char* sway_user = "velmo-test";

bool installed(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        if (access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::string quoted(const std::string& text)
{
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// An Xcursor theme whose cursors are one see-through pixel, in `icons`: a headless output draws the
// cursor into its pixels, where it would cover what the tests compare.
void write_blank_cursor_theme(const std::filesystem::path& icons)
{
    std::filesystem::path cursors = icons / "velmo-blank" / "cursors";
    std::filesystem::create_directories(cursors);
    // The file: a header, one table entry, one image chunk of 1 x 1 (little-endian 32-bit words).
    constexpr uint32_t image_type = 0xFFFD0002, nominal = 24;
    const uint32_t words[] = { 0x72756358 /* "Xcur" */, 16, 0x10000, 1, image_type, nominal, 28,
        36, image_type, nominal, 1, 1, 1, 0, 0, 0, 0x00000000 };
    for (const char* name : { "left_ptr", "default", "grab", "grabbing", "move", "all-scroll", "text", "pointer", "xterm" }) {
        std::ofstream file(cursors / name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(words), sizeof words);
    }
}

}  // namespace

std::optional<std::string> SwayServer::unavailable()
{
    for (const char* program : { "sway", "swaymsg", "grim" })
        if (!installed(program))
            return std::string(program) + " is not installed (scripts/setup.sh installs it)";
    if (geteuid() == 0 && !getpwnam(sway_user))
        return std::string("sway refuses root and there is no ") + sway_user + " user (scripts/setup.sh adds it)";
    return std::nullopt;
}

SwayServer::SwayServer(gfx::Size output, const std::vector<std::string>& config)
    : output_(output)
{
    char name[] = "/tmp/velmo-sway-XXXXXX";
    if (!mkdtemp(name))
        throw std::runtime_error("no folder for sway");
    folder_ = name;
    {
        std::ofstream file(folder_ / "config");
        file << "output HEADLESS-1 resolution " << output.width << "x" << output.height << " position 0,0\n";
        file << "default_border none\nfocus_follows_mouse no\n";
        file << "seat * xcursor_theme velmo-blank 24\n";
        for (const std::string& line : config)
            file << line << "\n";
    }
    bool root = geteuid() == 0;
    uid_t uid = getuid();
    gid_t gid = getgid();
    if (root) {
        passwd* user = getpwnam(sway_user);
        if (!user)
            throw std::runtime_error("no velmo-test user");
        uid = user->pw_uid;
        gid = user->pw_gid;
    }
    chmod(folder_.c_str(), 0700);
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
        [[maybe_unused]] int ignored = chown(entry.path().c_str(), uid, gid);
    [[maybe_unused]] int ignored = chown(folder_.c_str(), uid, gid);

    write_blank_cursor_theme(folder_ / "icons");
    std::string runtime = "XDG_RUNTIME_DIR=" + folder_.string();
    std::string cursor_path = "XCURSOR_PATH=" + (folder_ / "icons").string();
    std::string config_path = (folder_ / "config").string();
    pid_ = fork();
    if (pid_ == 0) {
        int log = open((folder_ / "sway.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        setpgid(0, 0);
        const char* env = "/usr/bin/env";
        if (root)
            execl("/usr/sbin/runuser", "runuser", "-u", sway_user, "--", env, "-i", "PATH=/usr/bin:/bin", runtime.c_str(),
                "WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", cursor_path.c_str(), "sway", "-c",
                config_path.c_str(), static_cast<char*>(nullptr));
        else
            execl(env, "env", "-i", "PATH=/usr/bin:/bin", runtime.c_str(), "WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                "WLR_LIBINPUT_NO_DEVICES=1", cursor_path.c_str(), "sway", "-c", config_path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    // sway is ready once both sockets are there and its IPC answers.
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < end) {
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            std::string file = entry.path().filename();
            if (file.starts_with("wayland-") && !file.ends_with(".lock"))
                socket_ = entry.path();
            if (file.starts_with("sway-ipc."))
                ipc_ = entry.path();
        }
        if (!socket_.empty() && !ipc_.empty()) {
            bool answers = false;
            try {
                swaymsg("-t get_version");
                answers = true;
            } catch (const std::runtime_error&) {
            }
            if (answers) {
                try {
                    pointer_ = std::make_unique<PointerDevice>(socket_);
                } catch (const std::runtime_error&) {
                    kill();
                    throw;
                }
                return;
            }
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill();
    throw std::runtime_error("sway did not start; see " + (folder_ / "sway.log").string());
}

SwayServer::~SwayServer()
{
    kill();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string SwayServer::swaymsg(const std::string& arguments) const
{
    std::string command = "swaymsg -s " + quoted(ipc_) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("swaymsg did not run");
    std::string out;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("swaymsg " + arguments + " failed: " + out);
    return out;
}

bool SwayServer::grim(const std::filesystem::path& file, const std::string& output) const
{
    std::string command = "WAYLAND_DISPLAY=" + quoted(socket_) + " grim -t ppm" + (output.empty() ? "" : " -o " + quoted(output)) + " "
        + quoted(file.string()) + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

void SwayServer::pointer_to(gfx::Point at)
{
    if (!pointer_)
        throw std::runtime_error("sway has gone");
    zwlr_virtual_pointer_v1_motion_absolute(pointer_->pointer, pointer_->now(), uint32_t(at.x), uint32_t(at.y), uint32_t(output_.width),
        uint32_t(output_.height));
    pointer_->sent();
}

void SwayServer::pointer_button(bool down)
{
    if (!pointer_)
        throw std::runtime_error("sway has gone");
    constexpr uint32_t left = 0x110;  // BTN_LEFT
    zwlr_virtual_pointer_v1_button(pointer_->pointer, pointer_->now(), left, down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    pointer_->sent();
}

void SwayServer::kill()
{
    pointer_.reset();
    if (pid_ <= 0)
        return;
    // sway and what it started (its background) form the process group made at the fork.
    ::kill(-pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

void SwayTest::SetUp()
{
    if (auto why = SwayServer::unavailable())
        GTEST_SKIP() << *why;
    server_.emplace(output_, config());
    if (const char* display = std::getenv("WAYLAND_DISPLAY"))
        saved_display_ = display;
    setenv("WAYLAND_DISPLAY", server_->socket().c_str(), 1);
}

void SwayTest::TearDown()
{
    if (saved_display_)
        setenv("WAYLAND_DISPLAY", saved_display_->c_str(), 1);
    else
        unsetenv("WAYLAND_DISPLAY");
}

}  // namespace velmo::testing
