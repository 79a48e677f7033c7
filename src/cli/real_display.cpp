#include "cli/real_display.h"

#include "cli/error_output.h"
#include "platform/display.h"
#include "platform/display_backend.h"
#include "platform/messages.h"
#include "platform/registry/display_registry.h"
#include "platform/user.h"

namespace velmo::cli {

using namespace velmo::platform;

void add_display_option(CLI::App& app)
{
    // Applied as soon as it is read, so the command after it already runs on the chosen display.
    // A backend that cannot be had is one line on standard error (exit 1), as a command's own
    // failure is.
    app.add_option_function<std::string>(
           "--display", [](const std::string& name) { use_display(name); },
           "where windows show and the screen is read: memory (built in, the default), wayland (the "
           "compositor WAYLAND_DISPLAY names), x11 (the X server DISPLAY names) or auto (the first of "
           "those that answers, else memory); also "
           "VELMO_DISPLAY. Connecting gives up after " + std::to_string(connect_timeout_ms / 1000) + " seconds")
        ->envname("VELMO_DISPLAY")
        ->check(CLI::IsMember(display_names()))
        ->trigger_on_parse();
}

bool on_real_display() { return display_backend().is_real(); }

std::optional<std::string> display_lost() { return display_backend().lost(); }

void require_pointing(const char* option)
{
    if (!on_real_display())
        fail(std::string(option) + " needs a display a person can point at: run it with velmo --display x11");
}

void require_screen_pixels()
{
    if (auto reason = display_backend().screen_unreadable())
        fail(*reason);
}

void keep_shown(HWND window, RightClick right_click)
{
    HWND top = window;
    while (HWND parent = GetParent(top))
        top = parent;
    ShowWindow(top, SW_SHOW);
    SetForegroundWindow(top);
    // A heartbeat, so a lost connection is noticed even when nothing else happens.
    UINT_PTR heartbeat = SetTimer(0, 0, 250);
    MSG msg;
    while (IsWindow(top) && GetMessageA(&msg, 0, 0, 0) > 0) {
        bool escape = msg.message == WM_KEYDOWN && msg.wParam == WPARAM(VK_ESCAPE);
        bool right = msg.message == WM_RBUTTONUP && right_click == RightClick::Closes;
        if (escape || right) {
            DestroyWindow(top);
            break;
        }
        DispatchMessageA(&msg);
        if (auto lost = display_lost()) {
            KillTimer(0, heartbeat);
            fail(*lost);
        }
    }
    KillTimer(0, heartbeat);
}

}  // namespace velmo::cli
