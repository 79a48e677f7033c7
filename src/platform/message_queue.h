// MessageQueue: the thread's pending window messages, timers, mouse state and clock, kept by its
// display, and the pieces of the queue that messages.cpp, input.cpp and move_loop.cpp share.
//
// Every queued item carries a sequence number from one counter; a pump delivers only items older
// than the pump itself, so what handlers add while it runs waits for the next one. A timer takes a
// new number each time it fires.
#pragma once

#include <chrono>
#include <deque>
#include <vector>

#include "gfx/point.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/messages.h"

namespace velmo::platform {

class Display;
struct Window;

struct QueuedMessage {
    MSG msg;
    uint64_t sequence = 0;
};

struct RawInput {
    bool is_button = false;
    MouseButton button = MouseButton::Left;
    bool down = false;
    gfx::Point at;  // screen
    uint64_t sequence = 0;
    WPARAM held = 0;  // MK_ flags as they were when the event happened
};

struct TimerEntry {
    HWND window = 0;
    UINT_PTR id = 0;
    UINT interval = 0;
    int64_t due = 0;  // clock milliseconds
    uint64_t sequence = 0;
};

struct MessageQueue {
    uint64_t next_sequence = 1;
    std::deque<QueuedMessage> posted;
    std::deque<RawInput> raw_input;     // not yet turned into messages
    std::deque<QueuedMessage> input;    // mouse messages, addressed
    std::vector<HWND> to_paint;         // marked for painting, in order
    std::vector<TimerEntry> timers;
    UINT_PTR next_thread_timer = 0x7FFF;
    bool quit = false;
    int quit_code = 0;

    HWND capture = 0;
    bool buttons[3] = {};  // held now, by MouseButton
    HeldKeys keys;
    gfx::Point last_input_at;  // where the last retrieved mouse message happened, screen

    ClockKind clock = ClockKind::Monotonic;
    int64_t virtual_now = 0;

    uint64_t stamp() { return next_sequence++; }
    int64_t now() const
    {
        if (clock == ClockKind::Virtual)
            return virtual_now;
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    bool button_held(MouseButton b) const { return buttons[static_cast<int>(b)]; }
};

// Takes the first message matching the filter among items older than `before`.
bool retrieve(Display& d, MSG& out, HWND window, UINT first, UINT last, bool remove, uint64_t before);
// Sleeps until a message may be there (a timer due, input, a wake-up); returns at once when one is.
void wait_for_message(Display& d);
// Turns the oldest raw input into an addressed mouse message; false when there was none.
bool address_input(Display& d);
// Where the screen point lies in the window: HTCLIENT, HTCAPTION, HTBORDER.
LRESULT default_hit_test(Display& d, const Window& w, gfx::Point screen);
// Drops everything queued for the window and its timers and capture; the window is going away.
void forget_window(Display& d, HWND window);
// Runs the move loop of a window dragged by its caption; returns once the left button is up.
void run_move_loop(HWND window);
// The window's procedure applied, or DefWindowProcA.
LRESULT call_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace velmo::platform
