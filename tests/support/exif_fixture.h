// EXIF fixtures: small JPEG files built in code from a list of directory entries, in either byte
// order, so that each crafted file can be named after the fault it pins.
//
// Layout of the TIFF block: header, IFD0, the Exif directory (when it has entries), IFD1 (when it
// has entries), then the values that do not fit an entry's 4-byte field, in entry order. The
// APP1 segment holding it comes right after the JPEG's start marker, optionally behind a comment
// segment of padding; a tiny real 8x8 baseline image follows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "exif/byte_view.h"

namespace velmo::exif::fixture {

struct Entry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    // Numeric components (a rational is two: numerator, denominator), written in the file's byte
    // order with the type's component size; or, when bytes is set, these exact bytes instead.
    std::vector<int64_t> numbers;
    std::optional<std::string> bytes;
    // A crafted value field: this number is written into the entry's 4-byte field as it is, and
    // no value is stored at an offset.
    std::optional<uint32_t> field;
};

// Entry makers. ascii() adds the terminating NUL to the count.
Entry ascii(uint16_t tag, std::string_view text);
Entry undefined(uint16_t tag, std::string_view bytes);
Entry bytes_of(uint16_t tag, uint16_t type, uint32_t count, std::string_view bytes);
Entry shorts(uint16_t tag, std::vector<int64_t> values);
Entry longs(uint16_t tag, std::vector<int64_t> values);
Entry numbers_of(uint16_t tag, uint16_t type, std::vector<int64_t> values);
Entry rationals(uint16_t tag, std::vector<std::pair<int64_t, int64_t>> values);
Entry srationals(uint16_t tag, std::vector<std::pair<int64_t, int64_t>> values);
// An entry whose value field holds field and nothing else (offsets, counts and types as given).
Entry crafted(uint16_t tag, uint16_t type, uint32_t count, uint32_t field);

struct Layout {
    ByteOrder order = ByteOrder::LittleEndian;
    std::vector<Entry> ifd0;
    // When not empty, IFD0 links to it: its ExifOffset entry gets the directory's offset, and one
    // is appended to IFD0 when IFD0 has none.
    std::vector<Entry> exif;
    std::vector<Entry> ifd1;  // linked as IFD0's next directory (a thumbnail's)
    size_t padding = 0;       // bytes of comment segments before the EXIF block
    int image_side = 8;       // the image after the block: a grey square of this many pixels
};

// A camera-like EXIF block: IFD0 with 10 entries (ExifOffset last) and an Exif directory with
// 20, so 30 records. shot varies the values, and every shot has its own DateTimeOriginal, one
// hour and a bit after the one before, from 2019:01:01 00:00:00 on.
Layout camera(ByteOrder order, int shot = 0);
// The DateTimeOriginal text of a shot, "YYYY:MM:DD HH:MM:SS".
std::string camera_stamp(int shot);

// The whole JPEG file.
std::vector<uint8_t> jpeg(const Layout& layout);
// Just the TIFF block (byte-order mark onwards), for tests that place it themselves.
std::vector<uint8_t> tiff_block(const Layout& layout);
// A JPEG without any EXIF block.
std::vector<uint8_t> plain_jpeg();

void write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace velmo::exif::fixture
