// Still pictures written from a bitmap in the format a file name's extension asks for: PNG, JPEG
// (lossy, at a quality of 1 to 100) or WebP (lossless).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "gfx/bitmap.h"

namespace velmo::codecs {

enum class ImageFormat { Png, Jpeg, WebP };

inline constexpr int default_jpeg_quality = 90;

// .png, .jpg, .jpeg or .webp in any letter case; nothing for any other name.
std::optional<ImageFormat> format_of(const std::filesystem::path& file);

// The file's bytes; empty when the encoder fails. Quality counts for JPEG only.
std::vector<uint8_t> encode_image(const gfx::Bitmap& pixels, ImageFormat format, int quality = default_jpeg_quality);
std::vector<uint8_t> encode_jpeg(const gfx::Bitmap& pixels, int quality);
std::vector<uint8_t> encode_webp_lossless(const gfx::Bitmap& pixels);

// Writes the file whole or not at all (see atomic_file.h); raises 75 "Cannot write FILE: reason"
// when it cannot.
void write_image_whole(const gfx::Bitmap& pixels, const std::filesystem::path& file, ImageFormat format,
    int quality = default_jpeg_quality);
// The same for a bitmap the caller is done with, which a PNG is encoded over (see
// gfx::write_png_spending); the bitmap is left empty.
void write_image_whole(gfx::Bitmap&& pixels, const std::filesystem::path& file, ImageFormat format,
    int quality = default_jpeg_quality);

// Writes all bytes to an open descriptor (standard output for a pipe); false when it cannot.
bool write_all(int fd, const std::vector<uint8_t>& bytes);

}  // namespace velmo::codecs
