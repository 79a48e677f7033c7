// exif.ini: the private-profile contract and re-reading a file that changed.
#include <gtest/gtest.h>

#include <fstream>

#include "exif/profile.h"
#include "exif/profile_file.h"
#include "support/exif_fixture.h"
#include "support/temp_folder.h"

namespace velmo::exif {
namespace {

TEST(ExifProfile, LooksUpValuesUnderTheContract)
{
    const std::string long_value(2000, 'v');
    const std::string text = "\xEF\xBB\xBF"
                             "orphan=before any section\r\n"
                             "[Orientation]\r\n"
                             "  1 = Top-left  \r\n"
                             "6=Rotated\r\n"
                             "6=Second\r\n"
                             "; 8=Comment\r\n"
                             "empty=\r\n"
                             "hidden=\n"
                             "hidden=later\n"
                             "quoted=\"  spaced  \"\n"
                             "no equals sign\n"
                             "Format=Orientation: @X\n"
                             "[ Make ]\n"
                             "Canon=Camera\n"
                             "long="
        + long_value + "\n[Orientation]\nextra=merged\n1=not the first\n[Tag #258]\n8=Eight\n[OnlyFormat]\nFormat=<@X>";
    const Profile profile = Profile::parse(text);

    struct Case {
        const char* section;
        const char* key;
        std::string value;
    } cases[] = {
        { "Orientation", "1", "Top-left" },
        { "ORIENTATION", "1", "Top-left" },     // section names ignore case
        { "orientation", "format", "Orientation: @X" },  // and so do keys
        { "Orientation", "6", "Rotated" },      // the first line of a key wins
        { "Orientation", "8", "" },             // comment
        { "Orientation", "empty", "" },         // empty value: absent
        { "Orientation", "hidden", "" },        // an empty first line still wins
        { "Orientation", "quoted", "  spaced  " },
        { "Orientation", "extra", "merged" },   // a section named twice adds its new keys
        { "Orientation", "orphan", "" },
        { "Orientation", "", "" },
        { "Make", "canon", "Camera" },
        { "Make", "long", std::string(Profile::max_value_chars, 'v') },
        { "Tag #258", "8", "Eight" },
        { "OnlyFormat", " FORMAT ", "<@X>" },
        { "OnlyFormat", "1", "" },
        { "Model", "1", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(profile.value(c.section, c.key), c.value) << "[" << c.section << "] " << c.key;
    EXPECT_EQ(profile.section("Model"), nullptr);
    EXPECT_TRUE(Profile::parse("").empty());
    EXPECT_TRUE(Profile::parse("key=value\n; only comments\n").empty());
}

TEST(ExifProfile, ManySectionsAnswerTheSame)
{
    // Few sections are searched in a list, many in a map: both ignore case.
    for (int sections : { 3, 40 }) {
        std::string text;
        for (int i = 0; i < sections; ++i)
            text += "[Section" + std::to_string(i) + "]\nKey=" + std::to_string(i) + "\n";
        Profile profile = Profile::parse(text);
        for (int i = 0; i < sections; ++i)
            EXPECT_EQ(profile.value("SECTION" + std::to_string(i), "key"), std::to_string(i)) << sections;
        EXPECT_EQ(profile.section("Section" + std::to_string(sections)), nullptr);
        EXPECT_EQ(profile.section("Sectio"), nullptr);
    }
}

TEST(ExifProfile, LinesThatAreNotUtf8AreReadAsLatin1)
{
    // A file saved in a single-byte code page, with one line of UTF-8 among them: keys and values
    // come out as UTF-8, so that they match the decoded texts.
    const Profile profile = Profile::parse("[Make]\r\n"
                                           "Caf\xE9=Caf\xE9 Noir\r\n"
                                           "Gr\xC3\xBCn=Gr\xC3\xBCn (UTF-8)\r\n"
                                           "Stra\xDF" "e=\xAB" "Stra\xDF" "e\xBB\r\n"
                                           "[Model]\n"
                                           "\xC3=lone lead byte\n"
                                           "\xE9t\xE9=summer\n");
    struct Case {
        const char* section;
        const char* key;
        std::string value;
    } cases[] = {
        { "Make", "Caf\xC3\xA9", "Caf\xC3\xA9 Noir" },
        { "Make", "Gr\xC3\xBCn", "Gr\xC3\xBCn (UTF-8)" },
        { "Make", "Stra\xC3\x9F" "e", "\xC2\xAB" "Stra\xC3\x9F" "e\xC2\xBB" },
        { "Model", "\xC3\x83", "lone lead byte" },
        { "Model", "\xC3\xA9t\xC3\xA9", "summer" },
        { "Make", "Caf\xE9", "" },  // the raw byte itself is no key
    };
    for (const auto& c : cases)
        EXPECT_EQ(profile.value(c.section, c.key), c.value) << "[" << c.section << "] " << c.key;
}

TEST(ExifProfile, CutsLongValuesAtWholeCharacters)
{
    // 1022 ASCII letters then a two-byte character: the 1023rd character is kept whole.
    std::string value = std::string(1022, 'a') + "\xC3\xA9" + "tail";
    auto profile = Profile::parse("[s]\nk=" + value);
    EXPECT_EQ(profile.value("s", "k"), std::string(1022, 'a') + "\xC3\xA9");
}

void write_text(const std::filesystem::path& path, std::string_view text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(ExifProfileFile, MissingFileIsEmptyAndEditsTakeEffectAtTheNextRefresh)
{
    velmo::testing::TempFolder folder;
    ProfileFile file(folder / "exif.ini");
    EXPECT_TRUE(file.refresh().empty());

    write_text(folder / "exif.ini", "[Orientation]\n1=One\n");
    EXPECT_EQ(file.refresh().value("Orientation", "1"), "One");

    // Same size, written within the same clock tick: still seen.
    write_text(folder / "exif.ini", "[Orientation]\n1=Two\n");
    EXPECT_EQ(file.refresh().value("Orientation", "1"), "Two");

    std::filesystem::remove(folder / "exif.ini");
    EXPECT_TRUE(file.refresh().empty());

    std::filesystem::create_directory(folder / "exif.ini");
    EXPECT_TRUE(file.refresh().empty()) << "a folder of that name is no profile";
}

}  // namespace
}  // namespace velmo::exif
