#include "platform/x11/connection.h"

#include <X11/Xatom.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/shape.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace velmo::platform::x11 {

namespace {

// Xlib's handlers are process-wide; they find the Connection of the Display they are called for.
std::mutex registry_mutex;
std::unordered_map<::Display*, Connection*>& registry()
{
    static std::unordered_map<::Display*, Connection*> connections;
    return connections;
}

Connection* find(::Display* display)
{
    std::lock_guard lock(registry_mutex);
    auto it = registry().find(display);
    return it == registry().end() ? nullptr : it->second;
}

// Opens the display on a thread of its own, so that a server which never answers (stopped, or a
// socket that accepts and stays silent) costs `limit` and no more. Xlib cannot be interrupted
// while it reads the server's greeting, so an attempt given up is left to finish on its own; if
// the server wakes up later, it closes what it opened.
::Display* open_in_time(const char* name, std::chrono::milliseconds limit, bool& timed_out)
{
    struct Attempt {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        bool abandoned = false;
        ::Display* display = nullptr;
    };
    auto attempt = std::make_shared<Attempt>();
    std::optional<std::string> wanted;
    if (name)
        wanted = name;
    std::thread([attempt, wanted] {
        ::Display* display = XOpenDisplay(wanted ? wanted->c_str() : nullptr);
        std::lock_guard lock(attempt->mutex);
        if (attempt->abandoned) {
            if (display)
                XCloseDisplay(display);
            return;
        }
        attempt->display = display;
        attempt->done = true;
        attempt->finished.notify_one();
    }).detach();
    std::unique_lock lock(attempt->mutex);
    timed_out = !attempt->finished.wait_for(lock, limit, [&] { return attempt->done; });
    if (timed_out)
        attempt->abandoned = true;
    return attempt->display;
}

}  // namespace

int handle_x_error(::Display* display, XErrorEvent* error)
{
    if (Connection* c = find(display)) {
        c->error_serial_ = error->serial;
        c->error_code_ = error->error_code;
    }
    return 0;
}

int handle_io_error(::Display* display)
{
    if (Connection* c = find(display))
        c->lost_ = true;
    return 0;
}

// Returning from here, instead of exiting, leaves the Display marked dead: every later request
// fails at once.
void handle_io_exit(::Display* display, void*)
{
    handle_io_error(display);
}

Connection::Connection(const std::string& name)
{
    // Threads each open a connection of their own; Xlib's shared state needs its locks for that
    // (libX11 from 1.8 takes them by itself, older ones only when asked first).
    static std::once_flag threads_ready;
    std::call_once(threads_ready, [] { XInitThreads(); });
    const char* wanted = name.empty() ? nullptr : name.c_str();
    bool timed_out = false;
    display_ = open_in_time(wanted, std::chrono::milliseconds(connect_timeout_ms), timed_out);
    if (!display_) {
        std::string shown = wanted ? name : (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        if (timed_out)
            throw ConnectionError("the X display '" + shown + "' did not answer within " + std::to_string(connect_timeout_ms / 1000)
                + " seconds");
        throw ConnectionError(shown.empty() ? "no X display: DISPLAY is not set"
                                            : "cannot open X display '" + shown + "'");
    }
    {
        std::lock_guard lock(registry_mutex);
        registry()[display_] = this;
    }
    XSetErrorHandler(handle_x_error);
    XSetIOErrorHandler(handle_io_error);
    XSetIOErrorExitHandler(display_, handle_io_exit, nullptr);

    screen_ = DefaultScreen(display_);
    root_ = RootWindow(display_, screen_);
    visual_ = DefaultVisual(display_, screen_);
    depth_ = DefaultDepth(display_, screen_);

    int major = 0, minor = 0;
    Bool pixmaps = False;
    has_shm_ = XShmQueryVersion(display_, &major, &minor, &pixmaps) && XShmGetEventBase(display_) >= 0;
    int event_base = 0, error_base = 0;
    has_shape_ = XShapeQueryExtension(display_, &event_base, &error_base);
}

Connection::~Connection()
{
    XCloseDisplay(display_);
    std::lock_guard lock(registry_mutex);
    registry().erase(display_);
}

gfx::Size Connection::screen_size() const
{
    return { DisplayWidth(display_, screen_), DisplayHeight(display_, screen_) };
}

::Atom Connection::atom(const char* name)
{
    auto it = atoms_.find(name);
    if (it != atoms_.end())
        return it->second;
    ::Atom a = XInternAtom(display_, name, False);
    atoms_.emplace(name, a);
    return a;
}

void Connection::check_alive() const
{
    if (lost_)
        throw ConnectionError("the connection to the X display was lost");
}

bool Connection::wm_supports(const char* name)
{
    ::Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ErrorTrap trap(*this);
    int status = XGetWindowProperty(display_, root_, atom("_NET_SUPPORTED"), 0, 4096, False, XA_ATOM, &type, &format,
        &count, &after, &data);
    bool found = false;
    if (status == Success && data && format == 32) {
        ::Atom wanted = atom(name);
        auto* atoms = reinterpret_cast<::Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = atoms[i] == wanted;
    }
    if (data)
        XFree(data);
    return found && !trap.failed();
}

ErrorTrap::ErrorTrap(Connection& connection)
    : connection_(connection)
    , first_serial_(NextRequest(connection.get()))
{
}

bool ErrorTrap::failed()
{
    if (connection_.lost_)
        return true;
    XSync(connection_.get(), False);
    if (connection_.lost_)
        return true;
    if (connection_.error_code_ != 0 && connection_.error_serial_ >= first_serial_)
        code_ = connection_.error_code_;
    return code_ != 0;
}

}  // namespace velmo::platform::x11
