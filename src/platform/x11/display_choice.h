// Choosing the thread's display: the in-memory one (the default), the X server, or whichever is
// there. A command's --display option and the VELMO_DISPLAY variable both end here.
#pragma once

#include <optional>
#include <string_view>

#include "platform/display.h"

namespace velmo::platform::x11 {

enum class DisplayChoice { Memory, X11, Auto };

// "memory", "x11" or "auto"; nothing for any other text.
std::optional<DisplayChoice> parse_display_choice(std::string_view text);

// Replaces the calling thread's display with one of the chosen kind, made with `options`, and says
// which kind it is. X11 with no server answering throws ConnectionError and leaves the display as
// it was; Auto takes X11 when DISPLAY is set and a server answers, else the memory display.
DisplayChoice use_display(DisplayChoice choice, DisplayOptions options = {});

}  // namespace velmo::platform::x11
