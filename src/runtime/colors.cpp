#include "runtime/colors.h"

#include <algorithm>

namespace velmo::host {

Long RGB(Integer red, Integer green, Integer blue)
{
    auto channel = [](Integer value) -> int32_t {
        if (value.value() < 0)
            raise(err::InvalidArgument);
        return std::min<int32_t>(value.value(), 255);
    };
    return Long(channel(red) + 256 * channel(green) + 65536 * channel(blue));
}

Long QBColor(Integer index)
{
    static constexpr int32_t palette[16] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    if (index.value() < 0 || index.value() > 15)
        raise(err::InvalidArgument);
    // The table is written as blue-green-red, the way the colour Long stores its bytes.
    return Long(palette[index.value()]);
}

}  // namespace velmo::host
