#include "exif/catalogue.h"

#include <algorithm>

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

// The catalogue sorted by tag number, for lookups; each number appears once, so the first equal
// number of the fixed order is the only one.
const std::array<CatalogueEntry, 54>& by_number()
{
    static const std::array<CatalogueEntry, 54> sorted = [] {
        auto copy = catalogue;
        std::sort(copy.begin(), copy.end(), [](const CatalogueEntry& a, const CatalogueEntry& b) { return a.tag < b.tag; });
        return copy;
    }();
    return sorted;
}

}  // namespace

void assign_tag_name(std::string& name, int32_t tag)
{
    const auto& sorted = by_number();
    auto it = std::lower_bound(sorted.begin(), sorted.end(), tag, [](const CatalogueEntry& e, int32_t t) { return e.tag < t; });
    if (it != sorted.end() && it->tag == tag) {
        name.assign(it->name);
        return;
    }
    name.assign("Tag #");
    name.append(std::to_string(tag));
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
