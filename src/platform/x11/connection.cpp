#include "platform/x11/connection.h"

#include <X11/Xatom.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/shape.h>

#include <mutex>

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
    const char* wanted = name.empty() ? nullptr : name.c_str();
    display_ = XOpenDisplay(wanted);
    if (!display_) {
        std::string shown = wanted ? name : (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
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
