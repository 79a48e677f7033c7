// The window: the first 4096 bytes of a file, where the reader looks for the EXIF block.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "exif/byte_view.h"

namespace velmo::exif {

inline constexpr size_t window_size = 4096;

struct FileHead {
    enum class Status {
        Read,      // bytes holds the file's first bytes (all of them for a shorter file)
        NotFound,  // no such file, or a file of 0 bytes
    };
    Status status = Status::NotFound;
    std::array<uint8_t, window_size> buffer {};
    size_t size = 0;

    ByteView bytes() const { return ByteView(std::span<const uint8_t>(buffer.data(), size)); }
};

// Reads the window of the file at path. A file that exists but cannot be opened or read gives a
// window of 4096 blanks, which holds no EXIF block.
void read_file_head(const std::string& path, FileHead& head);

}  // namespace velmo::exif
