// Paints a window's frame and caption bar into its pixels, in the three-dimensional look of the
// host's windows: a raised frame for top-level windows, a sunken edge for bordered children.
#pragma once

#include "platform/window.h"

namespace velmo::platform {

void paint_frame(Window& window, bool top_level);

}  // namespace velmo::platform
