#include "exif/catalogue.h"

#include <charconv>

#include "automation/error.h"

namespace velmo::exif {

const std::array<CatalogueEntry, 54> catalogue { {
    { 270, "ImageDescription" },
    { 271, "Make" },
    { 272, "Model" },
    { 274, "Orientation" },
    { 282, "XResolution" },
    { 283, "YResolution" },
    { 296, "ResolutionUnit" },
    { 305, "Software" },
    { 306, "DateTime" },
    { 318, "WhitePoint" },
    { 319, "PrimaryChromaticities" },
    { 529, "YCbCrCoefficients" },
    { 531, "YCbCrPositioning" },
    { 532, "ReferenceBlackWhite" },
    { 33432, "Copyright" },
    { 34665, "ExifOffset" },
    { 33434, "ExposureTime" },
    { 33437, "FNumber" },
    { 34850, "ExposureProgram" },
    { 34855, "ISOSpeedRatings" },
    { 36864, "ExifVersion" },
    { 36867, "DateTimeOriginal" },
    { 36868, "DateTimeDigitized" },
    { 37121, "ComponentsConfiguration" },
    { 37122, "CompressedBitsPerPixel" },
    { 37377, "ShutterSpeedValue" },
    { 37378, "ApertureValue" },
    { 37379, "BrightnessValue" },
    { 37380, "ExposureBiasValue" },
    { 37381, "MaxApertureValue" },
    { 37382, "SubjectDistance" },
    { 37383, "MeteringMode" },
    { 37384, "LightSource" },
    { 37385, "Flash" },
    { 37386, "FocalLength" },
    { 37500, "MakerNote" },
    { 37510, "UserComment" },
    { 37520, "SubsecTime" },
    { 37521, "SubsecTimeOriginal" },
    { 37522, "SubsecTimeDigitized" },
    { 40960, "FlashPixVersion" },
    { 40961, "ColorSpace" },
    { 40962, "ExifImageWidth" },
    { 40963, "ExifImageHeight" },
    { 40964, "RelatedSoundFile" },
    { 40965, "ExifInteroperabilityOffset" },
    { 41486, "FocalPlaneXResolution" },
    { 41487, "FocalPlaneYResolution" },
    { 41488, "FocalPlaneResolutionUnit" },
    { 41493, "ExposureIndex" },
    { 41495, "SensingMethod" },
    { 41728, "FileSource" },
    { 41729, "SceneType" },
    { 41730, "CFAPattern" },
} };

namespace {

// Tag number to name, by open addressing: a name is looked up for every entry of every file read.
// Each number appears once in the catalogue; were one there twice, the first would be found.
class NameIndex {
public:
    NameIndex()
    {
        for (size_t k = 0; k < catalogue.size(); ++k) {
            size_t i = slot(catalogue[k].tag);
            while (entries_[i] != 0 && catalogue[entries_[i] - 1].tag != catalogue[k].tag)
                i = (i + 1) % slots;
            if (entries_[i] == 0)
                entries_[i] = static_cast<uint8_t>(k + 1);
        }
    }

    const CatalogueEntry* find(int32_t tag) const
    {
        for (size_t i = slot(tag); entries_[i] != 0; i = (i + 1) % slots) {
            if (catalogue[entries_[i] - 1].tag == tag)
                return &catalogue[entries_[i] - 1];
        }
        return nullptr;
    }

private:
    static constexpr size_t slots = 128;  // over twice the catalogue, so that probes stay short
    static size_t slot(int32_t tag) { return (static_cast<uint32_t>(tag) * 2654435761u) >> 25; }

    std::array<uint8_t, slots> entries_ {};  // a catalogue position + 1; 0 for an empty slot
};

const NameIndex& names()
{
    static const NameIndex index;
    return index;
}

}  // namespace

void assign_tag_name(std::string& name, int32_t tag)
{
    // Cleared and appended rather than assigned: the cheaper way into storage that is kept.
    name.clear();
    if (const CatalogueEntry* known = names().find(tag)) {
        name.append(known->name);
        return;
    }
    char digits[16];
    name.append("Tag #");
    name.append(digits, static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, tag).ptr - digits));
}

std::string tag_name(int32_t tag)
{
    std::string name;
    assign_tag_name(name, tag);
    return name;
}

int32_t format_size(int32_t field_type)
{
    if (field_type < 0 || field_type > highest_field_type)
        raise(err::SubscriptOutOfRange);
    return format_sizes[static_cast<size_t>(field_type)];
}

Enumeration tag_enumeration()
{
    Enumeration e { "enTAG", {} };
    e.values.reserve(catalogue.size());
    for (const auto& entry : catalogue)
        e.values.emplace_back(entry.tag == tag::ExposureTime ? std::string_view("Exposuretime") : entry.name, entry.tag);
    return e;
}

}  // namespace velmo::exif
