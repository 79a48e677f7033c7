// How `velmo rename` names files: a camera clock corrected by a shift, and the shots of one second
// numbered instead of left behind.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo::cli {

// "[+|-]H:MM[:SS]" in seconds: hours of any size, minutes and seconds of two digits below 60.
// Nothing for any other text.
std::optional<int64_t> parse_shift(std::string_view text);

// A "DDMMYYYY_HHMMSS" stem moved by that many seconds across days, months and years; "" when the
// stem names no real moment or the result falls outside the years 1 to 9999.
std::string shifted_stem(std::string_view stem, int64_t seconds);

// A SubsecTimeOriginal text as a fraction of a second ("5" is 0.5, "050" 0.05); 0 when missing or
// not digits.
double subsecond(std::string_view digits);

struct Shot {
    std::string path;
    std::string stem;  // "" for a file without a usable time stamp
    double subsecond = 0;
};

// For each shot, the number its name carries (1: the plain stem, 2: "_2", ...). Shots of one
// target are numbered in the order of their subsecond, then of the list; each takes the lowest
// number no earlier shot took and whose name is not held on disk by another file (held_by_other
// answers that for a target and the shot's own path).
using HeldByOther = std::function<bool(const std::string& target, const std::string& image)>;
std::vector<unsigned> sequence_numbers(const std::vector<Shot>& shots, const HeldByOther& held_by_other);

// held_by_other for the real file system: the target exists and is not the image itself.
bool held_on_disk_by_other(const std::string& target, const std::string& image);

}  // namespace velmo::cli
