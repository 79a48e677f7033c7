// The tag catalogue: the 54 EXIF tags the reader knows by name, in their fixed order, and the
// byte size of one component of each TIFF field type.
#pragma once

#include <array>
#include <charconv>
#include <cstring>
#include <cstdint>
#include <string>
#include <string_view>

#include "automation/object.h"
#include "exif/tag_record.h"

namespace velmo::exif {

struct CatalogueEntry {
    int32_t tag;
    std::string_view name;
};

// Fixed order: positions 14 to 17 are 33432, 34665, 33434, 33437, not ascending. Names are
// compared from position 0 upward and the first equal number wins.
extern const std::array<CatalogueEntry, 54> catalogue;

// The catalogue name of a tag number, or "Tag #" and the number for any other.
std::string tag_name(int32_t tag);

// The catalogue's name for a tag number, or "" for a number it does not know.
std::string_view catalogue_name(int32_t tag);

// A name as a view, without building a text: every entry of every file read is named.
class TagName {
public:
    explicit TagName(int32_t tag) : TagName(tag, catalogue_name(tag)) { }
    // The name of a record, whose catalogue name was looked up as it was read; "" for a blank one.
    explicit TagName(const TagRecord& record)
    {
        if (record.data)
            *this = TagName(record.id, record.catalogue_name);
        else
            known_ = "";
    }

    std::string_view view() const { return known_ ? std::string_view(known_, length_) : std::string_view(digits_, length_); }

private:
    TagName(int32_t tag, std::string_view catalogued)
    {
        if (!catalogued.empty()) {
            known_ = catalogued.data();
            length_ = catalogued.size();
            return;
        }
        std::memcpy(digits_, "Tag #", 5);
        length_ = static_cast<size_t>(std::to_chars(digits_ + 5, digits_ + sizeof digits_, tag).ptr - digits_);
    }

    const char* known_ = nullptr;  // the catalogue's own text, or null for "Tag #N" in digits_
    size_t length_ = 0;
    char digits_[20];
};

// TIFF 6.0 field types 0..12: 0 (none), BYTE, ASCII, SHORT, LONG, RATIONAL, SBYTE, UNDEFINED,
// SSHORT, SLONG, SRATIONAL, FLOAT, DOUBLE.
enum FieldType : int32_t {
    Byte = 1,
    Ascii = 2,
    Short = 3,
    LongType = 4,
    Rational = 5,
    SByte = 6,
    Undefined = 7,
    SShort = 8,
    SLong = 9,
    SRational = 10,
    Float = 11,
    DoubleType = 12,
};
inline constexpr int32_t highest_field_type = 12;

// The byte size of one component of a field type; a code outside 0..12 raises 9, since the size
// table has no entry for it.
int32_t format_size(int32_t field_type);
inline constexpr std::array<int32_t, 13> format_sizes { 0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8 };

// Tag numbers the decoder and the queries treat specially.
namespace tag {
inline constexpr int32_t XResolution = 282;
inline constexpr int32_t YResolution = 283;
inline constexpr int32_t ExposureTime = 33434;
inline constexpr int32_t FNumber = 33437;
inline constexpr int32_t ExifOffset = 34665;
inline constexpr int32_t ExifVersion = 36864;
inline constexpr int32_t DateTimeOriginal = 36867;
inline constexpr int32_t ComponentsConfiguration = 37121;
inline constexpr int32_t ShutterSpeedValue = 37377;
inline constexpr int32_t ApertureValue = 37378;
inline constexpr int32_t ExposureBiasValue = 37380;
inline constexpr int32_t MaxApertureValue = 37381;
inline constexpr int32_t SubjectDistance = 37382;
inline constexpr int32_t FocalLength = 37386;
inline constexpr int32_t MakerNote = 37500;
inline constexpr int32_t SubsecTimeOriginal = 37521;
inline constexpr int32_t FlashPixVersion = 40960;
inline constexpr int32_t ExifInteroperabilityOffset = 40965;
inline constexpr int32_t FocalPlaneXResolution = 41486;
inline constexpr int32_t FocalPlaneYResolution = 41487;
inline constexpr int32_t FileSource = 41728;
inline constexpr int32_t SceneType = 41729;
}  // namespace tag

// The public enumeration of the catalogue. Its constant for 33434 is spelled "Exposuretime".
Enumeration tag_enumeration();

}  // namespace velmo::exif
