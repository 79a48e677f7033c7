// SeatKeyboard: a keyboard on a compositor that has none, to press keys with. A headless sway runs
// without input devices; while a SeatKeyboard holds a virtual keyboard there, the seat has one,
// and the keys it presses go to whichever surface has the keyboard.
#pragma once

#include <cstdint>
#include <string>

struct wl_display;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

namespace velmo::testing {

class SeatKeyboard {
public:
    // Connects to the compositor at `socket`; throws std::runtime_error when it offers no virtual keyboards.
    explicit SeatKeyboard(const std::string& socket);
    ~SeatKeyboard();
    SeatKeyboard(const SeatKeyboard&) = delete;
    SeatKeyboard& operator=(const SeatKeyboard&) = delete;

    // Presses and releases the key with Linux input code `code` (1 is Escape).
    void press(uint32_t code);

private:
    wl_display* display_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwp_virtual_keyboard_manager_v1* manager_ = nullptr;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
};

}  // namespace velmo::testing
