// The value decoder: turns one directory entry's raw bytes into its display text and number,
// by field type and, for some tags, by tag number, then lets exif.ini rename or wrap the text.
#pragma once

#include <cstddef>

#include "exif/byte_view.h"
#include "exif/profile.h"
#include "exif/tag_record.h"

namespace velmo::exif {

struct EntryPlace {
    ByteView window;
    size_t tiff = 0;   // window offset of the TIFF header; value offsets count from here
    size_t entry = 0;  // window offset of the entry's 12 bytes
    ByteOrder order = ByteOrder::LittleEndian;
};

// Fills record.string_data and, for single rationals, replaces record.data by the quotient. The
// record's id, name, format, length and data (the value field) are already set.
//
// Raises, ending the read: 9 for a field type above 12 or a ComponentsConfiguration byte above 6;
// 5 for a number that lies past the raw value (a rational of length 0); 6 when the value's byte
// size or a rational list's length overflows. A text that runs past the window is cut where it
// ends; a value stored at an offset whose numbers reach past the window shows "" and keeps its
// value field as its number, so that one such value does not cost the file's other tags.
void decode_tag_value(TagRecord& record, const EntryPlace& place, const Profile& profile);

// The record's number when its components fit the 4-byte value field: each component read in the
// file's order and in its own size, packed again least significant first, so that the same entry
// gives the same number in either byte order. For other entries: the value field read as one
// unsigned 32-bit number (an offset).
double value_field_number(const EntryPlace& place, int32_t format, int32_t length);

}  // namespace velmo::exif
