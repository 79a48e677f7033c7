#include "picker/color_text.h"

namespace velmo::picker {

ColorText color_text(int32_t lCol)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    // The hex form of a Long is of its 32 bits, so six digits are always the low three bytes.
    auto bits = static_cast<uint32_t>(lCol);
    ColorText text;
    text.hex6.resize(6);
    for (int i = 5; i >= 0; --i, bits >>= 4)
        text.hex6[static_cast<size_t>(i)] = digits[bits & 0xF];
    text.R = text.hex6.substr(4, 2);
    text.G = text.hex6.substr(2, 2);
    text.b = text.hex6.substr(0, 2);
    text.caption = "R:" + text.R + " G:" + text.G + " B:" + text.b;
    return text;
}

}  // namespace velmo::picker
