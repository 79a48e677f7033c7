// A minimal JPEG with an EXIF block (little-endian, IFD0 only: Make "Velmocam", Orientation 6),
// for tests that must not link the EXIF code themselves.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace velmo::package_test {

inline void write_small_photo(const std::filesystem::path& path)
{
    const std::vector<uint8_t> tiff = {
        'I', 'I', 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,  // header, IFD0 at 8
        0x02, 0x00,                                      // two entries
        0x0F, 0x01, 0x02, 0x00, 0x09, 0x00, 0x00, 0x00, 0x26, 0x00, 0x00, 0x00,  // Make, ASCII 9 at 38
        0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,  // Orientation, SHORT 6
        0x00, 0x00, 0x00, 0x00,                          // no next IFD
        'V', 'e', 'l', 'm', 'o', 'c', 'a', 'm', 0x00,
    };
    std::vector<uint8_t> file = { 0xFF, 0xD8, 0xFF, 0xE1 };
    const size_t length = 2 + 6 + tiff.size();
    file.push_back(static_cast<uint8_t>(length >> 8));
    file.push_back(static_cast<uint8_t>(length & 0xFF));
    for (char c : { 'E', 'x', 'i', 'f', '\0', '\0' })
        file.push_back(static_cast<uint8_t>(c));
    file.insert(file.end(), tiff.begin(), tiff.end());
    file.insert(file.end(), { 0xFF, 0xD9 });
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

}  // namespace velmo::package_test
