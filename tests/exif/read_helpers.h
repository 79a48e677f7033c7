// Helpers shared by the EXIF tests: build a fixture file, read it, look at the records.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exif/reader.h"
#include "support/exif_fixture.h"
#include "support/temp_folder.h"

namespace velmo::exif::testing {

inline const char* order_name(ByteOrder order) { return order == ByteOrder::LittleEndian ? "II" : "MM"; }
inline constexpr ByteOrder both_orders[] = { ByteOrder::LittleEndian, ByteOrder::BigEndian };

// A folder with an optional exif.ini, and a reader that uses that exif.ini.
struct ReadBench {
    velmo::testing::TempFolder folder;
    ExifReader reader { folder / "exif.ini" };

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        auto path = folder / name;
        fixture::write_file(path, bytes);
        return path.string();
    }
    void write_ini(std::string_view text)
    {
        fixture::write_file(folder / "exif.ini", std::vector<uint8_t>(text.begin(), text.end()));
    }
    // Reads a file built from layout; the records of the read.
    const std::vector<TagRecord>& read(const fixture::Layout& layout)
    {
        reader.read(write("image.jpg", fixture::jpeg(layout)));
        return *reader.records();
    }
};

// The TIFF offset of the first value stored outside the entries, for a file with only IFD0.
inline double first_value_offset(size_t ifd0_entries) { return 8 + 2 + 12 * static_cast<double>(ifd0_entries) + 4; }

}  // namespace velmo::exif::testing
