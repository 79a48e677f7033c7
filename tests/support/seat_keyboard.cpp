#include "support/seat_keyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>
#include <stdexcept>

#include "virtual-keyboard-unstable-v1-client.h"

namespace velmo::testing {

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwp_virtual_keyboard_manager_v1* manager = nullptr;
};

void on_global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    auto* g = static_cast<Globals*>(data);
    if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        g->manager = static_cast<zwp_virtual_keyboard_manager_v1*>(wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}
void on_global_remove(void*, wl_registry*, uint32_t) { }
const wl_registry_listener registry_listener { on_global, on_global_remove };

// The usual keyboard, from the system's keyboard descriptions; the compositor compiles it.
constexpr char keymap[] = "xkb_keymap {\n"
                          "  xkb_keycodes { include \"evdev+aliases(qwerty)\" };\n"
                          "  xkb_types { include \"complete\" };\n"
                          "  xkb_compat { include \"complete\" };\n"
                          "  xkb_symbols { include \"pc+us+inet(evdev)\" };\n"
                          "};\n";

}  // namespace

SeatKeyboard::SeatKeyboard(const std::string& socket)
{
    display_ = wl_display_connect(socket.c_str());
    if (!display_)
        throw std::runtime_error("no compositor at " + socket);
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display_);
    wl_registry_add_listener(registry, &registry_listener, &globals);
    wl_display_roundtrip(display_);
    wl_registry_destroy(registry);
    seat_ = globals.seat;
    manager_ = globals.manager;
    if (!manager_ || !seat_) {
        if (seat_)
            wl_seat_destroy(seat_);
        wl_display_disconnect(display_);
        throw std::runtime_error("the compositor offers no virtual keyboards");
    }
    keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager_, seat_);
    int fd = memfd_create("velmo-test-keymap", MFD_CLOEXEC);
    if (fd < 0 || write(fd, keymap, sizeof keymap) != static_cast<ssize_t>(sizeof keymap))
        throw std::runtime_error("no memory for a keymap");
    zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, sizeof keymap);
    close(fd);
    wl_display_roundtrip(display_);
}

SeatKeyboard::~SeatKeyboard()
{
    zwp_virtual_keyboard_v1_destroy(keyboard_);
    // The manager has no destroy request: this frees the proxy only.
    zwp_virtual_keyboard_manager_v1_destroy(manager_);
    wl_seat_destroy(seat_);
    wl_display_roundtrip(display_);
    wl_display_disconnect(display_);
}

void SeatKeyboard::press(uint32_t code)
{
    zwp_virtual_keyboard_v1_key(keyboard_, 0, code, WL_KEYBOARD_KEY_STATE_PRESSED);
    zwp_virtual_keyboard_v1_key(keyboard_, 0, code, WL_KEYBOARD_KEY_STATE_RELEASED);
    wl_display_roundtrip(display_);
}

}  // namespace velmo::testing
