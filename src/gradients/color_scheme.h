// The eight colour schemes of the band gradients (GradientWhatColorLumoConstants): which channels
// carry a band's level.
#pragma once

#include <optional>

#include "automation/checked.h"
#include "runtime/colors.h"

namespace velmo::gradients {

// The colour of `level` in scheme `color`; no colour (the band is not drawn) for a value outside
// the enumeration.
inline std::optional<Long> scheme_color(Long color, Integer level)
{
    switch (color.value()) {
    case 0: return host::RGB(level, 0, 0);           // Red
    case 1: return host::RGB(0, level, 0);           // Green
    case 2: return host::RGB(0, 0, level);           // Blue
    case 3: return host::RGB(level, level, 0);       // RedGreen
    case 4: return host::RGB(level, 0, level);       // RedBlue
    case 5: return host::RGB(0, level, level);       // GreenBlue
    case 6: return host::RGB(level, level, level);   // RedGreenBlue
    case 7: return host::RGB(0, 0, 0);               // None: black at every level
    default: return std::nullopt;
    }
}

}  // namespace velmo::gradients
