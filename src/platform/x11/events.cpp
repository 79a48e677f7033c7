#include "platform/x11/events.h"

#include "platform/x11/desktop.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace velmo::platform::x11 {

namespace {

int virtual_key(KeySym symbol)
{
    if (symbol >= XK_a && symbol <= XK_z)
        return static_cast<int>(symbol - XK_a + 'A');
    if ((symbol >= XK_A && symbol <= XK_Z) || (symbol >= XK_0 && symbol <= XK_9))
        return static_cast<int>(symbol);
    switch (symbol) {
    case XK_Escape: return 0x1B;
    case XK_Return: return 0x0D;
    case XK_space: return 0x20;
    default: return 0;
    }
}

}  // namespace

std::optional<InputEvent> translate(Connection& connection, const XEvent& event)
{
    InputEvent out;
    switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
        out.kind = event.type == ButtonPress ? InputEvent::Kind::ButtonDown : InputEvent::Kind::ButtonUp;
        out.window = event.xbutton.window;
        out.position = { event.xbutton.x, event.xbutton.y };
        out.screen = { event.xbutton.x_root, event.xbutton.y_root };
        out.button = static_cast<int>(event.xbutton.button);
        return out;
    case MotionNotify:
        out.kind = InputEvent::Kind::Motion;
        out.window = event.xmotion.window;
        out.position = { event.xmotion.x, event.xmotion.y };
        out.screen = { event.xmotion.x_root, event.xmotion.y_root };
        return out;
    case KeyPress:
    case KeyRelease: {
        out.kind = event.type == KeyPress ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
        out.window = event.xkey.window;
        out.position = { event.xkey.x, event.xkey.y };
        out.screen = { event.xkey.x_root, event.xkey.y_root };
        XKeyEvent key = event.xkey;
        out.key = virtual_key(XLookupKeysym(&key, 0));
        return out;
    }
    case Expose:
        out.kind = InputEvent::Kind::Repaint;
        out.window = event.xexpose.window;
        out.area = { event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height };
        return out;
    case ConfigureNotify: {
        out.kind = InputEvent::Kind::Reshaped;
        out.window = event.xconfigure.window;
        // A synthetic event from the window manager carries root coordinates. Otherwise the server
        // is asked where the window is now: a reparenting manager reports coordinates in its frame,
        // and an event queued before later moves must not undo them.
        if (event.xconfigure.send_event) {
            out.area = { event.xconfigure.x, event.xconfigure.y, event.xconfigure.width, event.xconfigure.height };
            return out;
        }
        auto now = window_rect(connection, event.xconfigure.window);
        if (!now)
            return std::nullopt;
        out.area = *now;
        return out;
    }
    case ClientMessage:
        if (event.xclient.message_type == connection.atom("WM_PROTOCOLS")
            && static_cast<::Atom>(event.xclient.data.l[0]) == connection.atom("WM_DELETE_WINDOW")) {
            out.kind = InputEvent::Kind::CloseRequest;
            out.window = event.xclient.window;
            return out;
        }
        return std::nullopt;
    case DestroyNotify:
        out.kind = InputEvent::Kind::Destroyed;
        out.window = event.xdestroywindow.window;
        return out;
    default:
        return std::nullopt;
    }
}

}  // namespace velmo::platform::x11
