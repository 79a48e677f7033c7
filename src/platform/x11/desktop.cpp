#include "platform/x11/desktop.h"

#include <X11/Xatom.h>

namespace velmo::platform::x11 {

std::optional<gfx::Point> pointer_position(Connection& connection)
{
    if (connection.lost())
        return std::nullopt;
    ::Window root = 0, child = 0;
    int x = 0, y = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    if (!XQueryPointer(connection.get(), connection.root(), &root, &child, &x, &y, &wx, &wy, &mask))
        return std::nullopt;
    return gfx::Point { x, y };
}

bool warp_pointer(Connection& connection, gfx::Point to)
{
    if (connection.lost())
        return false;
    ErrorTrap trap(connection);
    XWarpPointer(connection.get(), None, connection.root(), 0, 0, 0, 0, to.x, to.y);
    return !trap.failed();
}

std::optional<::Window> active_window(Connection& connection)
{
    if (connection.lost())
        return std::nullopt;
    ::Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ErrorTrap trap(connection);
    int status = XGetWindowProperty(connection.get(), connection.root(), connection.atom("_NET_ACTIVE_WINDOW"), 0, 1, False,
        XA_WINDOW, &type, &format, &count, &after, &data);
    std::optional<::Window> found;
    if (status == Success && data && format == 32 && count == 1) {
        ::Window w = *reinterpret_cast<::Window*>(data);
        if (w != None)
            found = w;
    }
    if (data)
        XFree(data);
    if (trap.failed())
        return std::nullopt;
    return found;
}

std::optional<gfx::Rect> window_rect(Connection& connection, ::Window window)
{
    if (connection.lost())
        return std::nullopt;
    ErrorTrap trap(connection);
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(connection.get(), window, &attributes) || trap.failed())
        return std::nullopt;
    int x = 0, y = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(connection.get(), window, connection.root(), 0, 0, &x, &y, &child) || trap.failed())
        return std::nullopt;
    return gfx::Rect { x, y, attributes.width, attributes.height };
}

bool is_viewable(Connection& connection, ::Window window)
{
    if (connection.lost())
        return false;
    ErrorTrap trap(connection);
    XWindowAttributes attributes {};
    return XGetWindowAttributes(connection.get(), window, &attributes) && !trap.failed() && attributes.map_state == IsViewable;
}

}  // namespace velmo::platform::x11
