// TagRecord: one decoded directory entry of the EXIF block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmo::exif {

struct TagRecord {
    int32_t id = 0;
    std::string_view catalogue_name;  // the catalogue's name for id; empty when it has none
    int32_t format = 0;       // TIFF field type code
    int32_t length = 0;       // component count
    // The entry's number: its value field (or, for a single rational, the quotient). Empty only
    // in a record left blank by a read that failed before reaching it.
    std::optional<double> data;
    std::string string_data;  // display text, UTF-8

    // The tag's catalogue name, or "Tag #" and the number; "" in a blank record.
    std::string name() const;
};

}  // namespace velmo::exif
