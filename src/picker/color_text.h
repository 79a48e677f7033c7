// The texts a picker tick makes of a colour value: plain C++ over a Long, testable alone.
#pragma once

#include <cstdint>
#include <string>

namespace velmo::picker {

struct ColorText {
    std::string hex6;     // the last six of "000000" followed by the upper-case hex of the value
    std::string R, G, b;  // two hex digits each: the last two, the middle two, the first two of hex6
    std::string caption;  // "R:FF G:80 B:00"
};

// For a colour value 0x00BBGGRR; -1 (a pixel that could not be read) gives FFFFFF.
ColorText color_text(int32_t lCol);

}  // namespace velmo::picker
