// Input for the display: injected by tests and by commands on the memory display, the same way a
// real backend delivers it. The pointer and the buttons change at once (GetCursorPos,
// GetAsyncKeyState); the mouse messages are queued and go, when retrieved, to the window holding
// the capture or else to the window under the point, regions respected.
#pragma once

#include "platform/display_backend.h"

namespace velmo::platform {

// Moves the pointer (screen coordinates, kept on the screen) and queues a mouse move.
void inject_pointer_move(int x, int y);
// Presses or releases a button where the pointer is.
void inject_button(MouseButton button, bool down);
// A press and release where the pointer is.
inline void inject_click(MouseButton button = MouseButton::Left)
{
    inject_button(button, true);
    inject_button(button, false);
}

// The modifier keys held from now on; they go into the mouse messages made afterwards.
struct HeldKeys {
    bool shift = false;
    bool control = false;
    bool alt = false;
};
void inject_held_keys(HeldKeys keys);

}  // namespace velmo::platform
