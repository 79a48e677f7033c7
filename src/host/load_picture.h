// LoadPicture: the host's picture loader. BMP, GIF (first frame), JPEG and PNG files become a
// picture that owns a new bitmap of the file's pixels; transparency is dropped, each pixel keeping
// its colour. An empty file name gives an empty picture.
//
// Errors: 53 when the file does not exist, 75 when it cannot be read, 481 when it holds no
// picture of a known kind.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "automation/object.h"

namespace velmo::host {

ObjectRef LoadPicture(const std::string& file_name = {});
/// The same from bytes already in memory.
ObjectRef picture_from_bytes(std::span<const uint8_t> bytes);

/// True for bytes that start as a BMP, GIF, JPEG or PNG file does. The decoder knows other kinds,
/// some of which have no signature and take almost any bytes as pixels; those are refused (481).
bool is_known_picture_kind(std::span<const uint8_t> bytes);

/// False for a JPEG with a Huffman table that declares more than 256 codes. The decoder trusts that
/// count and writes past its tables, so such a file is refused (481) before it is decoded. Bytes
/// that are no JPEG give true.
bool jpeg_huffman_tables_fit(std::span<const uint8_t> bytes);

/// False for a PNG with a chunk that claims more bytes than the file holds. The decoder sizes its
/// buffer for image data from those claims before reading, so a file of a few hundred bytes could
/// make it ask for gigabytes; such a file is refused (481) before it is decoded. Bytes that are no
/// PNG give true.
bool png_chunks_fit(std::span<const uint8_t> bytes);

}  // namespace velmo::host
