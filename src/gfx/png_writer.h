// PNG output of a bitmap (or a part of it): 8-bit RGB, made for speed (screen captures are large).
#pragma once

#include <filesystem>

#include "gfx/bitmap.h"

namespace velmo::gfx {

// Writes the part of `area` inside the bitmap as an RGB PNG. Returns false, and leaves whatever
// the file system made of a partial write, when the file cannot be written or nothing is inside.
bool write_png(const Bitmap& bitmap, Rect area, const std::filesystem::path& path);
inline bool write_png(const Bitmap& bitmap, const std::filesystem::path& path)
{
    return write_png(bitmap, bitmap.rect(), path);
}

}  // namespace velmo::gfx
