#include "cli/real_display.h"

#include "cli/error_output.h"
#include "platform/messages.h"
#include "platform/user.h"
#include "platform/x11/display_choice.h"
#include "platform/x11/x11_backend.h"

namespace velmo::cli {

using namespace velmo::platform;

void add_display_option(CLI::App& app)
{
    // Applied as soon as it is read, so the command after it already runs on the chosen display.
    app.add_option_function<std::string>(
           "--display",
           [](const std::string& name) { x11::use_display(*x11::parse_display_choice(name)); },
           "where windows show and the screen is read: memory (built in, the default), x11 (the X "
           "server DISPLAY names) or auto (x11 when a server answers, else memory); also VELMO_DISPLAY")
        ->envname("VELMO_DISPLAY")
        ->check(CLI::IsMember({ "memory", "x11", "auto" }))
        ->trigger_on_parse();
}

bool on_real_display() { return x11::current_x11_backend() != nullptr; }

bool display_lost()
{
    auto* x = x11::current_x11_backend();
    return x && x->connection().lost();
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
        if (display_lost()) {
            KillTimer(0, heartbeat);
            fail("the connection to the X display was lost");
        }
    }
    KillTimer(0, heartbeat);
}

}  // namespace velmo::cli
