// `velmo tags`, `velmo tag` and `velmo rename` over fixture files, with their output captured.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/exif_commands.h"
#include "exif/jpg_tags.h"
#include "runtime/app.h"
#include "support/exif_fixture.h"

namespace velmo::cli {
namespace {

using namespace exif::fixture;
using exif::ByteOrder;

class ExifCommands : public ::testing::Test {
protected:
    ExifCommands() { host::set_library_folder(folder.path()); }
    ~ExifCommands() override { host::set_library_folder({}); }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        auto path = folder / name;
        std::filesystem::create_directories(path.parent_path());
        write_file(path, bytes);
        return path.string();
    }
    std::string camera_file(const std::string& name, int shot = 0) { return write(name, jpeg(camera(ByteOrder::LittleEndian, shot))); }

    // The listing the reader class itself gives for a file.
    std::string list_info(const std::string& path)
    {
        exif::clsKxLumoJPGTagsA reader;
        reader.read_file(path);
        return reader.list_info(true);
    }

    Console console(bool terminal = false) { return Console { out, err, terminal, terminal }; }

    TempFolder folder;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ExifCommands, TagsOfOneFileIsExactlyItsListing)
{
    auto path = camera_file("a.jpg");
    auto c = console();
    EXPECT_EQ(run_tags({ { path } }, c), 0);
    EXPECT_EQ(out.str(), list_info(path));
    EXPECT_NE(out.str().find("\r\n"), std::string::npos);
    EXPECT_EQ(err.str(), "");
}

TEST_F(ExifCommands, TagsOnATerminalEndsLinesWithNewlineOnly)
{
    auto path = camera_file("a.jpg");
    auto c = console(true);
    EXPECT_EQ(run_tags({ { path } }, c), 0);
    std::string expected = list_info(path);
    std::erase(expected, '\r');
    EXPECT_EQ(out.str(), expected);
}

TEST_F(ExifCommands, TagsOfSeveralFilesGoesOnPastAFailure)
{
    auto first = camera_file("a.jpg", 1);
    auto plain = write("plain.jpg", plain_jpeg());
    auto missing = (folder / "missing.jpg").string();
    auto last = camera_file("z.jpg", 2);
    auto c = console();
    EXPECT_EQ(run_tags({ { first, plain, missing, last } }, c), 1);
    EXPECT_EQ(out.str(),
        "==> " + first + " <==\n" + list_info(first) + "\n==> " + plain + " <==\nFile is not in EXIF format.\r\n\n==> " + last + " <==\n"
            + list_info(last));
    EXPECT_EQ(err.str(), "velmo: " + missing + ": error 1 (ReadMetaInfo): File not found.\n");
}

TEST_F(ExifCommands, TagsRecursiveReadsTheJpegFilesOfFolders)
{
    camera_file("photos/b.JPG");
    camera_file("photos/a.jpeg");
    camera_file("photos/deeper/c.jpg");
    write("photos/notes.txt", { 'x' });
    auto c = console();
    EXPECT_EQ(run_tags({ { (folder / "photos").string() }, false, true }, c), 0);
    std::string listing = out.str();
    auto a = listing.find("a.jpeg <==");
    auto b = listing.find("b.JPG <==");
    auto deeper = listing.find("c.jpg <==");
    EXPECT_NE(a, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_LT(b, deeper);
    EXPECT_EQ(listing.find("notes.txt"), std::string::npos);

    std::ostringstream again;
    Console without_r { again, err, false, false };
    EXPECT_EQ(run_tags({ { (folder / "photos").string() } }, without_r), 1);
    EXPECT_NE(err.str().find("is a folder"), std::string::npos);
}

TEST_F(ExifCommands, TagsJsonHasEveryRecordOfEveryFile)
{
    auto path = camera_file("a.jpg");
    auto plain = write("plain.jpg", plain_jpeg());
    auto c = console();
    EXPECT_EQ(run_tags({ { path, plain }, true }, c), 0);
    std::string json = out.str();
    auto lines = std::count(json.begin(), json.end(), '\n');
    EXPECT_EQ(lines, 2);
    size_t records = 0;
    for (size_t at = 0; (at = json.find("{\"ID\":", at)) != std::string::npos; ++at)
        ++records;
    EXPECT_EQ(records, 30u);
    EXPECT_NE(json.find(R"({"ID":33434,"Name":"ExposureTime","Format":5,"Length":1,"Data":0.0333333333333333,"StringData":"30"})"), std::string::npos);
    EXPECT_NE(json.find(R"({"ID":271,"Name":"Make","Format":2,"Length":13,)"), std::string::npos);
    EXPECT_NE(json.find("{\"path\":\"" + plain + "\",\"exif\":false,\"records\":[]}"), std::string::npos);
}

TEST_F(ExifCommands, TagPrintsTheTextAndTheNumber)
{
    auto path = camera_file("a.jpg");
    struct Case {
        const char* tag;
        int code;
        std::string out;
    } cases[] = {
        { "XResolution", 0, "72.0\n72\n" },
        { "xresolution", 0, "72.0\n72\n" },
        { "282", 0, "72.0\n72\n" },
        { "0x11A", 0, "72.0\n72\n" },
        { "37510", 0, "Tag 37510 not found.\n0\n" },
        { "NoSuchTag", 1, "" },
        { "12x", 1, "" },
    };
    for (const auto& c : cases) {
        out.str("");
        auto con = console();
        EXPECT_EQ(run_tag({ path, c.tag }, con), c.code) << c.tag;
        EXPECT_EQ(out.str(), c.out) << c.tag;
    }
    err.str("");
    auto con = console();
    EXPECT_EQ(run_tag({ write("plain.jpg", plain_jpeg()), "Orientation" }, con), 1);
    EXPECT_NE(err.str().find("error 10 (MetaInfo): File is not in EXIF format."), std::string::npos);
}

TEST_F(ExifCommands, IniOptionReplacesTheLibrarysExifIni)
{
    write("exif.ini", { '[', 'O', 'r', 'i', 'e', 'n', 't', 'a', 't', 'i', 'o', 'n', ']', '\n', '1', '=', 'L', 'i', 'b' });
    std::string other = "[Orientation]\n1=Top-left\n";
    write("other.ini", { other.begin(), other.end() });
    auto path = camera_file("a.jpg");
    auto c = console();
    run_tag({ path, "Orientation" }, c);
    run_tag({ path, "Orientation", (folder / "other.ini").string() }, c);
    EXPECT_EQ(out.str(), "Lib\n1\nTop-left\n1\n");
}

TEST_F(ExifCommands, RenameReportsWhatItDidAndSkipped)
{
    auto renamed = camera_file("a.jpg", 0);            // 2019:01:01 00:00:00
    auto taken_stamp = camera_file("b.jpg", 1);        // its name is taken below
    write("01012019_010111.jpg", plain_jpeg());
    auto no_stamp = write("c.jpg", jpeg(Layout { ByteOrder::LittleEndian, { exif::fixture::shorts(274, { 1 }) } }));
    auto named = camera_file("01012019_020222.jpg", 2);
    auto plain = write("plain.jpg", plain_jpeg());

    auto c = console();
    EXPECT_EQ(run_rename({ { renamed, taken_stamp, no_stamp, named, plain } }, c), 1);
    EXPECT_EQ(out.str(), renamed + " -> " + (folder / "01012019_000000.jpg").string() + "\n");
    EXPECT_EQ(err.str(),
        "velmo: skipped " + taken_stamp + ": target exists\n" + "velmo: skipped " + no_stamp + ": no time stamp\n" + "velmo: skipped " + named
            + ": already so named\n" + "velmo: skipped " + plain + ": not in EXIF format\n");
    EXPECT_TRUE(std::filesystem::exists(folder / "01012019_000000.jpg"));
    EXPECT_TRUE(std::filesystem::exists(taken_stamp));

    // Only "already so named": success.
    out.str("");
    err.str("");
    auto again = console();
    EXPECT_EQ(run_rename({ { named } }, again), 0);
}

TEST_F(ExifCommands, RenameDryRunRenamesNothing)
{
    auto path = camera_file("a.jpg", 0);
    auto c = console();
    EXPECT_EQ(run_rename({ { path }, true }, c), 0);
    EXPECT_EQ(out.str(), path + " -> " + (folder / "01012019_000000.jpg").string() + "\n");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(folder / "01012019_000000.jpg"));
}

}  // namespace
}  // namespace velmo::cli
