// A command's PNG output, written whole or not at all (see atomic_file.h).
#pragma once

#include <filesystem>

#include "gfx/bitmap.h"

namespace velmo::codecs {

// Raises 75 "Cannot write PNG: reason" when the file cannot be written.
void write_png_whole(const gfx::Bitmap& pixels, const std::filesystem::path& png);
// The part of `area` inside the bitmap, read in place.
void write_png_whole(const gfx::Bitmap& pixels, gfx::Rect area, const std::filesystem::path& png);

}  // namespace velmo::codecs
