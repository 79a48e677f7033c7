// PNG output of a bitmap (or a part of it): 8-bit RGB, made for speed (screen captures are large).
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "gfx/bitmap.h"

namespace velmo::gfx {

// The PNG file's bytes for the part of `area` inside the bitmap; empty when nothing is inside or
// the compressor cannot start.
std::vector<uint8_t> encode_png(const Bitmap& bitmap, Rect area);

// Writes the part of `area` inside the bitmap as an RGB PNG. Returns false, and leaves whatever
// the file system made of a partial write, when the file cannot be written or nothing is inside.
bool write_png(const Bitmap& bitmap, Rect area, const std::filesystem::path& path);
inline bool write_png(const Bitmap& bitmap, const std::filesystem::path& path)
{
    return write_png(bitmap, bitmap.rect(), path);
}

// How writing to a descriptor went: written, nothing to encode (or no compressor), or the
// descriptor refused the bytes (errno tells why).
enum class PngWrite { Written, NotEncoded, NotWritten };

// Writes the part of `area` inside the bitmap as PNG to the open descriptor `fd`, straight from
// the compressor's output: the same bytes encode_png gives.
PngWrite write_png(const Bitmap& bitmap, Rect area, int fd);

// The same for a whole bitmap the caller is done with: the filtered rows are laid over the
// bitmap's own memory, so a large picture needs no second buffer near its size. The bitmap is
// left empty.
PngWrite write_png_spending(Bitmap&& bitmap, int fd);

}  // namespace velmo::gfx
