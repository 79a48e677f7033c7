// Connection: one open connection to an X server, with the extensions the real display uses
// (SHAPE, MIT-SHM) and the two failure paths Xlib would otherwise end the process on.
//
// - A protocol error (BadWindow for a window that went away, BadMatch, ...) never reaches Xlib's
//   default handler, which exits: it is recorded, and an ErrorTrap around a call turns it into that
//   call's failure.
// - A lost connection marks the connection lost instead of exiting; every later call fails and
//   `check_alive` throws ConnectionLost.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "gfx/size.h"
#include "platform/display_backend.h"

namespace velmo::platform::x11 {

// The connection could not be opened or has gone.
class ConnectionError : public BackendUnavailable {
public:
    using BackendUnavailable::BackendUnavailable;
};

class Connection {
public:
    // Opens `name` (a display name such as ":1"; empty: the DISPLAY variable). Throws
    // ConnectionError with a message a person can act on when no server answers.
    explicit Connection(const std::string& name = {});
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    ::Display* get() const { return display_; }
    ::Window root() const { return root_; }
    int screen() const { return screen_; }
    ::Visual* visual() const { return visual_; }
    int depth() const { return depth_; }
    gfx::Size screen_size() const;
    int fd() const { return ConnectionNumber(display_); }

    bool has_shm() const { return has_shm_; }
    bool has_shape() const { return has_shape_; }
    // Lets tests and slow links fall back to plain image requests.
    void disable_shm() { has_shm_ = false; }

    // Interned once per name.
    ::Atom atom(const char* name);

    bool lost() const { return lost_; }
    // Throws ConnectionError when the connection has gone.
    void check_alive() const;

    // Whether the running window manager announces `name` in _NET_SUPPORTED.
    bool wm_supports(const char* name);

private:
    friend class ErrorTrap;
    friend int handle_x_error(::Display*, XErrorEvent*);
    friend int handle_io_error(::Display*);
    friend void handle_io_exit(::Display*, void*);

    ::Display* display_ = nullptr;
    ::Window root_ = 0;
    int screen_ = 0;
    ::Visual* visual_ = nullptr;
    int depth_ = 0;
    bool has_shm_ = false;
    bool has_shape_ = false;
    bool lost_ = false;
    // The last protocol error: its request serial and code.
    unsigned long error_serial_ = 0;
    int error_code_ = 0;
    std::unordered_map<std::string, ::Atom> atoms_;
};

// Catches the protocol errors of the requests made while it lives. `failed()` waits for the
// server to answer everything sent so far, then tells whether any of those requests failed.
class ErrorTrap {
public:
    explicit ErrorTrap(Connection& connection);
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    bool failed();
    // The X error code of the first failure (BadWindow, BadMatch, ...); 0 when none.
    int code() const { return code_; }

private:
    Connection& connection_;
    unsigned long first_serial_;
    int code_ = 0;
};

}  // namespace velmo::platform::x11
