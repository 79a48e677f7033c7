// Cross-check against an independent reader: files written by exiftool are read here and every
// record's tag, type, count and numbers are compared with the raw values exiftool reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <regex>

#include "exif/number_text.h"
#include "exif/reader.h"
#include "support/exif_fixture.h"
#include "support/temp_folder.h"

namespace velmo::exif {
namespace {

// One directory entry as exiftool's verbose listing shows it.
struct ToolEntry {
    int group = 0;  // 1 IFD0, 2 Exif directory
    std::string name;
    std::string value;                   // the raw value as printed
    std::vector<std::string> fractions;  // for rationals: "numerator/denominator" per component
    int32_t tag = 0;
    std::string type;
    int32_t count = 0;
};

std::string run(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get()))
        out += buffer;
    return out;
}

bool have_exiftool() { return std::system("exiftool -ver > /dev/null 2>&1") == 0; }

std::vector<ToolEntry> exiftool_entries(const std::string& path)
{
    static const std::regex entry_line(R"(^  ((?:\| )+)\s*\d+\)\s+(\w+)(?: = (.*?))?(?: \(SubDirectory\) -->)?$)");
    static const std::regex tag_line(R"(^  (?:\| )+\s*- Tag 0x([0-9a-f]{4}) \(\d+ bytes, (\w+)\[(\d+)\])");
    static const std::regex fraction(R"(-?\d+/-?\d+)");
    std::vector<ToolEntry> entries;
    std::string listing = run("exiftool -v2 '" + path + "'");
    size_t from = 0;
    bool in_exif_block = false;
    while (from < listing.size()) {
        size_t end = listing.find('\n', from);
        std::string line = listing.substr(from, end - from);
        from = end == std::string::npos ? listing.size() : end + 1;
        if (line.starts_with("JPEG APP1"))
            in_exif_block = true;
        else if (line.starts_with("JPEG "))
            in_exif_block = false;
        std::smatch m;
        if (!in_exif_block)
            continue;
        if (std::regex_match(line, m, entry_line)) {
            ToolEntry entry;
            entry.group = static_cast<int>(m[1].length() / 2);
            entry.name = m[2];
            entry.value = m[3];
            size_t open = entry.value.rfind(" (");
            if (open != std::string::npos && entry.value.ends_with(")")) {
                std::string inside = entry.value.substr(open + 2, entry.value.size() - open - 3);
                for (std::sregex_iterator it(inside.begin(), inside.end(), fraction), last; it != last; ++it)
                    entry.fractions.push_back(it->str());
                entry.value.resize(open);
            }
            entries.push_back(entry);
        } else if (std::regex_search(line, m, tag_line) && !entries.empty()) {
            entries.back().tag = std::stoi(m[1], nullptr, 16);
            entries.back().type = m[2];
            entries.back().count = std::stoi(m[3]);
        }
    }
    // IFD0's entries, then the Exif directory's, the order the reader keeps.
    std::stable_partition(entries.begin(), entries.end(), [](const ToolEntry& e) { return e.group == 1; });
    std::erase_if(entries, [](const ToolEntry& e) { return e.group > 2; });
    return entries;
}

int32_t field_type(const std::string& type)
{
    static const std::pair<const char*, int32_t> types[] = { { "int8u", 1 }, { "string", 2 }, { "int16u", 3 }, { "int32u", 4 },
        { "rational64u", 5 }, { "int8s", 6 }, { "undef", 7 }, { "int16s", 8 }, { "int32s", 9 }, { "rational64s", 10 },
        { "float", 11 }, { "double", 12 } };
    for (auto [name, code] : types) {
        if (type == name)
            return code;
    }
    return -1;
}

double quotient(const std::string& fraction)
{
    size_t slash = fraction.find('/');
    return std::stod(fraction.substr(0, slash)) / std::stod(fraction.substr(slash + 1));
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + 1)
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

void compare(const TagRecord& ours, const ToolEntry& theirs)
{
    SCOPED_TRACE(theirs.name + " = " + theirs.value);
    ASSERT_EQ(ours.id, theirs.tag);
    EXPECT_EQ(ours.format, field_type(theirs.type));
    EXPECT_EQ(ours.length, theirs.count);
    const bool rational = ours.format == 5 || ours.format == 10;
    if (rational && theirs.count == 1) {
        ASSERT_EQ(theirs.fractions.size(), 1u);
        EXPECT_NEAR(*ours.data, quotient(theirs.fractions[0]), 1e-12);
    } else if (rational) {
        auto pieces = split(ours.string_data, '/');
        ASSERT_EQ(pieces.size(), theirs.fractions.size());
        for (size_t i = 0; i < pieces.size(); ++i)
            EXPECT_NEAR(std::stod(pieces[i]), quotient(theirs.fractions[i]), 0.0005) << "component " << i;
    } else if (theirs.name == "ExifVersion" || theirs.name == "FlashpixVersion") {
        EXPECT_EQ(ours.string_data, decimal_text(std::stod(theirs.value.substr(0, 2))) + "." + theirs.value.substr(2));
    } else if (theirs.name == "ComponentsConfiguration") {
        EXPECT_EQ(theirs.value, "1 2 3 0");
        EXPECT_EQ(ours.string_data, "YCbCr");
    } else if (theirs.name == "ExifOffset") {
        EXPECT_GT(*ours.data, 8);
    } else if (ours.format == 2 || ours.format == 7) {
        EXPECT_EQ(ours.string_data, theirs.value);
    } else {
        // Integers: the first component, and for a single one inline, the record's number too.
        EXPECT_EQ(ours.string_data, split(theirs.value, ' ')[0]);
        if (theirs.count == 1) {
            EXPECT_EQ(*ours.data, std::stod(theirs.value));
        }
    }
}

const char* const tag_sets[] = {
    "-Make='Camera Maker' -Model='Model 7' -Orientation#=6 -XResolution=300 -YResolution=300 -ResolutionUnit#=2 "
    "-Software='Firmware 1.0' -ModifyDate='2021:03:04 05:06:07' -YCbCrPositioning#=2 -Copyright='Someone 2021' "
    "-ExposureTime=1/250 -FNumber=5.6 -ExposureProgram#=3 -ISO=400 -ExifVersion=0230 "
    "-DateTimeOriginal='2021:03:04 05:06:07' -CreateDate='2021:03:04 05:06:08' -ComponentsConfiguration='1 2 3 0' "
    "-ShutterSpeedValue=1/250 -ApertureValue=5.6 -ExposureCompensation=-2/3 -MaxApertureValue=2.8 -SubjectDistance=3.5 "
    "-MeteringMode#=5 -Flash#=16 -FocalLength=35 -UserComment='a comment' -SubSecTime=12 -FlashpixVersion=0100 "
    "-ColorSpace#=1 -ExifImageWidth=640 -ExifImageHeight=480 -FocalPlaneXResolution=1000 -FocalPlaneYResolution=1000 "
    "-FocalPlaneResolutionUnit#=3 -SensingMethod#=2 -FileSource#=3 -SceneType#=1",
    "-ImageDescription='A view' -Orientation#=8 -WhitePoint='0.3127 0.329' "
    "-PrimaryChromaticities='0.64 0.33 0.3 0.6 0.15 0.06' -YCbCrCoefficients='0.299 0.587 0.114' "
    "-ReferenceBlackWhite='0 255 128 255 128 255' -ExposureTime=30 -ShutterSpeedValue=30 -BrightnessValue=-1.25 "
    "-ExposureCompensation=0.3333333 -ISO=65535 -ExifImageWidth=70000 -ExifImageHeight=1 -LightSource#=10 "
    "-CompressedBitsPerPixel=4 -ExposureIndex=200",
};

TEST(ExifCrossCheck, RecordsMatchExiftoolsRawValues)
{
    if (!have_exiftool())
        GTEST_SKIP() << "exiftool is not installed (scripts/setup.sh installs it)";
    velmo::testing::TempFolder folder;
    int file = 0;
    for (const char* tags : tag_sets) {
        for (const char* order : { "II", "MM" }) {
            auto path = (folder / ("written" + std::to_string(file++) + ".jpg")).string();
            fixture::write_file(path, fixture::plain_jpeg());
            std::string command = std::string("exiftool -q -q -overwrite_original -ExifByteOrder=") + order + " " + tags + " '" + path + "'";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;

            SCOPED_TRACE(std::string(order) + ": " + tags);
            ExifReader reader(folder / "exif.ini");
            ASSERT_EQ(reader.read(path), ReadResult::Read);
            EXPECT_EQ(reader.little_endian(), std::string(order) == "II");
            auto theirs = exiftool_entries(path);
            const auto& ours = *reader.records();
            ASSERT_GT(theirs.size(), 10u);
            ASSERT_EQ(ours.size(), theirs.size());
            for (size_t i = 0; i < ours.size(); ++i)
                compare(ours[i], theirs[i]);
        }
    }
}

}  // namespace
}  // namespace velmo::exif
