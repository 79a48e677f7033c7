// The command on a real display: the global --display option (and VELMO_DISPLAY), and keeping a
// window up until the person closes it.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "platform/types.h"

namespace velmo::cli {

// --display memory|x11|auto, before the command: where windows show and the screen is read.
void add_display_option(CLI::App& app);

// Whether the thread's display is a real one, where a person can see and close windows.
bool on_real_display();

// Why the connection to a real display has gone, in one line; nothing while it is there.
std::optional<std::string> display_lost();

// Fails (cli::fail) unless a person can point at the display: nobody can on the memory display of
// a command of its own, where `option` would wait for ever.
void require_pointing(const char* option);

// Fails (cli::fail) when the display cannot read the screen's pixels, rather than hand out black.
void require_screen_pixels();

enum class RightClick { Ignored, Closes };

// Shows the top-level window holding `window` and delivers the thread's messages until it is
// closed: by the window manager's close button, by Escape, or by a right click when asked. Throws
// a command failure (cli::fail) when the connection to the display is lost meanwhile.
void keep_shown(platform::HWND window, RightClick right_click = RightClick::Ignored);

}  // namespace velmo::cli
