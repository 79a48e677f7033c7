#include "platform/x11/mirror_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <X11/cursorfont.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace velmo::platform::x11 {

namespace {

constexpr long event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask
    | KeyReleaseMask | StructureNotifyMask | FocusChangeMask;

unsigned side(int value) { return static_cast<unsigned>(std::max(1, value)); }

}  // namespace

MirrorWindow::MirrorWindow(Connection& connection, gfx::Rect rect, Decorations decorations, const std::string& title)
    : connection_(connection)
    , rect_(rect)
{
    connection.check_alive();
    XSetWindowAttributes attributes {};
    attributes.background_pixmap = None;  // the pushed pixels are the only paint: no flash of a clear
    attributes.event_mask = event_mask;
    attributes.bit_gravity = NorthWestGravity;
    attributes.override_redirect = decorations == Decorations::Overlay;
    window_ = XCreateWindow(connection.get(), connection.root(), rect.x, rect.y, side(rect.width), side(rect.height), 0,
        CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWEventMask | CWBitGravity | CWOverrideRedirect, &attributes);

    ::Atom delete_window = connection.atom("WM_DELETE_WINDOW");
    XSetWMProtocols(connection.get(), window_, &delete_window, 1);
    XSizeHints hints {};
    hints.flags = USPosition | USSize | PPosition | PSize;
    hints.x = rect.x;
    hints.y = rect.y;
    hints.width = rect.width;
    hints.height = rect.height;
    XSetWMNormalHints(connection.get(), window_, &hints);
    XClassHint class_hint { const_cast<char*>("velmo"), const_cast<char*>("Velmo") };
    XSetClassHint(connection.get(), window_, &class_hint);
    set_title(title);
    set_decorations(decorations);
}

MirrorWindow::~MirrorWindow()
{
    if (connection_.lost())
        return;
    ErrorTrap trap(connection_);  // destroyed behind our back: nothing left to do
    XDestroyWindow(connection_.get(), window_);
    XFlush(connection_.get());
}

bool MirrorWindow::set_rect(gfx::Rect rect)
{
    if (connection_.lost())
        return false;
    ErrorTrap trap(connection_);
    XMoveResizeWindow(connection_.get(), window_, rect.x, rect.y, side(rect.width), side(rect.height));
    if (trap.failed())
        return false;
    rect_ = rect;
    return true;
}

bool MirrorWindow::set_title(const std::string& title)
{
    if (connection_.lost())
        return false;
    ErrorTrap trap(connection_);
    XStoreName(connection_.get(), window_, title.c_str());
    XChangeProperty(connection_.get(), window_, connection_.atom("_NET_WM_NAME"), connection_.atom("UTF8_STRING"), 8,
        PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    return !trap.failed();
}

bool MirrorWindow::set_decorations(Decorations decorations)
{
    if (connection_.lost())
        return false;
    // flags (decorations field valid), functions, decorations, input mode, status
    long motif[5] = { 2, 0, decorations == Decorations::Frame ? 1 : 0, 0, 0 };
    ::Atom atom = connection_.atom("_MOTIF_WM_HINTS");
    ErrorTrap trap(connection_);
    XChangeProperty(connection_.get(), window_, atom, atom, 32, PropModeReplace, reinterpret_cast<unsigned char*>(motif), 5);
    return !trap.failed();
}

bool MirrorWindow::show()
{
    if (connection_.lost())
        return false;
    ErrorTrap trap(connection_);
    XMapWindow(connection_.get(), window_);
    return !trap.failed();
}

bool MirrorWindow::hide()
{
    if (connection_.lost())
        return false;
    ErrorTrap trap(connection_);
    XUnmapWindow(connection_.get(), window_);
    return !trap.failed();
}

bool MirrorWindow::set_shape(const std::vector<gfx::Rect>& rects)
{
    if (connection_.lost() || !connection_.has_shape())
        return false;
    std::vector<XRectangle> shape;
    shape.reserve(rects.size());
    for (const gfx::Rect& r : rects) {
        gfx::Rect c = r.intersected({ -32768, -32768, 65535, 65535 });
        if (!c.is_empty())
            shape.push_back({ static_cast<short>(c.x), static_cast<short>(c.y), static_cast<unsigned short>(c.width),
                static_cast<unsigned short>(c.height) });
    }
    ErrorTrap trap(connection_);
    XShapeCombineRectangles(connection_.get(), window_, ShapeBounding, 0, 0, shape.data(), static_cast<int>(shape.size()),
        ShapeSet, Unsorted);
    return !trap.failed();
}

bool MirrorWindow::clear_shape()
{
    if (connection_.lost() || !connection_.has_shape())
        return false;
    ErrorTrap trap(connection_);
    XShapeCombineMask(connection_.get(), window_, ShapeBounding, 0, 0, None, ShapeSet);
    return !trap.failed();
}

bool MirrorWindow::grab_input()
{
    if (connection_.lost())
        return false;
    ::Display* x = connection_.get();
    ErrorTrap trap(connection_);
    XRaiseWindow(x, window_);
    XSync(x, False);
    ::Cursor crosshair = XCreateFontCursor(x, XC_crosshair);
    constexpr unsigned pointer_events = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    bool pointer = false;
    bool keyboard = false;
    // A window manager or a menu may hold a grab for a moment; half a second is plenty for it to let go.
    for (int tries = 0; tries < 50 && !(pointer && keyboard); ++tries) {
        if (tries > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        pointer = pointer
            || XGrabPointer(x, window_, False, pointer_events, GrabModeAsync, GrabModeAsync, None, crosshair, CurrentTime) == GrabSuccess;
        keyboard = keyboard || XGrabKeyboard(x, window_, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
    }
    // The grab keeps the cursor alive as long as it needs it.
    XFreeCursor(x, crosshair);
    if (!(pointer && keyboard)) {
        XUngrabPointer(x, CurrentTime);
        XUngrabKeyboard(x, CurrentTime);
    }
    XFlush(x);
    return pointer && keyboard && !trap.failed();
}

bool restack(Connection& connection, const std::vector<::Window>& bottom_to_top)
{
    if (connection.lost())
        return false;
    if (bottom_to_top.empty())
        return true;
    std::vector<::Window> top_to_bottom(bottom_to_top.rbegin(), bottom_to_top.rend());
    ErrorTrap trap(connection);
    XRaiseWindow(connection.get(), top_to_bottom.front());
    XRestackWindows(connection.get(), top_to_bottom.data(), static_cast<int>(top_to_bottom.size()));
    return !trap.failed();
}

bool begin_wm_move(Connection& connection, ::Window window, gfx::Point pointer, int button)
{
    if (connection.lost() || !connection.wm_supports("_NET_WM_MOVERESIZE"))
        return false;
    constexpr long move = 8;        // _NET_WM_MOVERESIZE_MOVE
    constexpr long application = 1;  // source indication: a normal application
    XUngrabPointer(connection.get(), CurrentTime);
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = connection.atom("_NET_WM_MOVERESIZE");
    event.xclient.format = 32;
    event.xclient.data.l[0] = pointer.x;
    event.xclient.data.l[1] = pointer.y;
    event.xclient.data.l[2] = move;
    event.xclient.data.l[3] = button;
    event.xclient.data.l[4] = application;
    ErrorTrap trap(connection);
    XSendEvent(connection.get(), connection.root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    return !trap.failed();
}

}  // namespace velmo::platform::x11
