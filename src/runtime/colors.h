// The host's colour functions. A colour is a Long: red + 256 * green + 65536 * blue.
#pragma once

#include "automation/checked.h"

namespace velmo::host {

/// A channel above 255 counts as 255; a negative channel raises 5 (invalid argument).
Long RGB(Integer red, Integer green, Integer blue);

/// The sixteen colours of the classic console palette, 0..15; anything else raises 5.
Long QBColor(Integer index);

}  // namespace velmo::host
