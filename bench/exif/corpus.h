// The benchmark corpus: camera-like JPEG files of 1-2 KB, half little-endian, half big-endian,
// each with its own capture time, an IFD0, an Exif directory and a thumbnail directory.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velmo::exif::bench {

// Writes count files named 0000.jpg, 0001.jpg, ... into folder; returns their paths.
std::vector<std::string> write_corpus(const std::filesystem::path& folder, int count);

}  // namespace velmo::exif::bench
