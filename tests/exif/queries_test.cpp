// The reader class as a client uses it: ImageFile, MetaInfo, ListInfo, the time-stamp members,
// FilePart, and exif.ini in the library's folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "automation/late.h"
#include "exif/catalogue.h"
#include "exif/jpg_tags.h"
#include "exif/stamp_name.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "support/exif_fixture.h"
#include "support/temp_folder.h"
#include "support/velmo_error.h"

namespace velmo::exif {
namespace {

using namespace fixture;
using velmo::testing::TempFolder;

// A library folder of its own (App.Path) holding the images and, when a test writes one, exif.ini.
class ExifQueries : public ::testing::Test {
protected:
    ExifQueries() { host::set_library_folder(folder.path()); }
    ~ExifQueries() override { host::set_library_folder({}); }

    ObjectRef new_reader() { return std::make_shared<clsKxLumoJPGTagsA>(); }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        auto path = folder / name;
        write_file(path, bytes);
        return path.string();
    }
    void write_ini(std::string_view text) { write_file(folder / "exif.ini", { text.begin(), text.end() }); }

    // Puts a new file into the reader's ImageFile.
    void open(const ObjectRef& reader, const std::string& name, const Layout& layout)
    {
        late::let(reader, "ImageFile", write(name, jpeg(layout)));
    }

    // MetaInfo's result and the text it writes back.
    std::pair<Long, std::string> meta_info(const ObjectRef& reader, int32_t id)
    {
        Variant tag_id { Long(id) };
        Variant text("sentinel");
        Variant* args[] = { &tag_id, &text };
        Long result = late::invoke(reader, "MetaInfo", Invoke::Call, args).to_long();
        return { result, text.to_string() };
    }

    TempFolder folder;
    host::MsgBoxRecorder boxes;
};

TEST_F(ExifQueries, MetaInfoAnswersFromTheRecords)
{
    ObjectRef reader = new_reader();
    open(reader, "camera.jpg", camera(ByteOrder::LittleEndian));
    struct Case {
        int32_t id;
        int32_t result;
        const char* text;
    } cases[] = {
        { 282, 72, "72.0" },
        { 33434, 0, "30" },  // 1/30 to the nearest integer
        { 33437, 2, "1.8" },
        { 37378, 3, "2.8" },
        { 274, 1, "1" },
        { 37510, 0, "Tag 37510 not found." },
        { -3, 0, "Tag -3 not found." },
    };
    for (const auto& c : cases) {
        auto [result, text] = meta_info(reader, c.id);
        EXPECT_EQ(result.value(), c.result) << c.id;
        EXPECT_EQ(text, c.text) << c.id;
    }
}

TEST_F(ExifQueries, MetaInfoOfABigEndianFileReadsItsNumbersInItsOrder)
{
    ObjectRef reader = new_reader();
    open(reader, "big.jpg", Layout { ByteOrder::BigEndian, { shorts(274, { 6 }), numbers_of(1, Byte, { 7 }) } });
    EXPECT_EQ(late::get(reader, "IntelByteAlignment"), Variant(False));
    EXPECT_EQ(meta_info(reader, 274).first.value(), 6);
    EXPECT_EQ(meta_info(reader, 1).first.value(), 7);
}

TEST_F(ExifQueries, TheFirstRecordOfATagAnswers)
{
    ObjectRef reader = new_reader();
    Layout layout { ByteOrder::LittleEndian, { shorts(274, { 3 }) }, { shorts(274, { 8 }) } };
    open(reader, "twice.jpg", layout);
    EXPECT_EQ(meta_info(reader, 274), std::make_pair(Long(3), std::string("3")));
}

TEST_F(ExifQueries, MetaInfoFaults)
{
    ObjectRef reader = new_reader();
    EXPECT_VELMO_ERROR(meta_info(reader, 274), err::SubscriptOutOfRange, "Velmo10");  // no read yet

    // The text is stored before the number's conversion overflows.
    open(reader, "big-number.jpg", Layout { ByteOrder::LittleEndian, { longs(1, { 3000000000 }) } });
    {
        Variant tag_id { Long(1) };
        Variant text("sentinel");
        Variant* args[] = { &tag_id, &text };
        EXPECT_VELMO_ERROR(late::invoke(reader, "MetaInfo", Invoke::Call, args), err::Overflow, "Velmo10");
        EXPECT_EQ(text, Variant("3000000000"));
    }

    late::let(reader, "ImageFile", write("plain.jpg", plain_jpeg()));
    Variant tag_id { Long(274) };
    Variant text("sentinel");
    Variant* args[] = { &tag_id, &text };
    try {
        late::invoke(reader, "MetaInfo", Invoke::Call, args);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), err::MetaInfo);
        EXPECT_EQ(error.source(), "MetaInfo");
        EXPECT_EQ(error.description(), "File is not in EXIF format.");
    }
    EXPECT_EQ(text, Variant("sentinel")) << "StringData is not written";
}

TEST_F(ExifQueries, ImageFilePutReadsAndReportsFaults)
{
    ObjectRef reader = new_reader();
    EXPECT_EQ(late::get(reader, "ImageFile"), Variant(""));
    EXPECT_EQ(late::get(reader, "IntelByteAlignment"), Variant(False));

    std::string missing = (folder / "missing.jpg").string();
    try {
        late::let(reader, "ImageFile", missing);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), err::ReadMetaInfo);
        EXPECT_EQ(error.source(), "ReadMetaInfo");
        EXPECT_EQ(error.description(), "File not found.");
    }
    EXPECT_EQ(late::get(reader, "ImageFile"), Variant(missing)) << "the path is stored before the read";

    EXPECT_VELMO_ERROR(late::let(reader, "ImageFile", Variant(Null {})), err::InvalidUseOfNull, "Velmo10");
    EXPECT_EQ(late::get(reader, "ImageFile"), Variant(missing)) << "a value without text changes nothing";

    open(reader, "camera.jpg", camera(ByteOrder::LittleEndian));
    EXPECT_EQ(late::get(reader, "IntelByteAlignment"), Variant(True));
}

TEST_F(ExifQueries, ListInfoListsEveryRecordAndRefillsTheCollection)
{
    ObjectRef reader = new_reader();
    open(reader, "camera.jpg", camera(ByteOrder::BigEndian));
    std::string lines = late::call(reader, "ListInfo", True).to_string();

    Layout layout = camera(ByteOrder::BigEndian);
    std::vector<std::string> expected_lines;
    size_t count = 0;
    for (size_t from = 0; from < lines.size(); ++count) {
        size_t end = lines.find("\r\n", from);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF, the last one too";
        expected_lines.push_back(lines.substr(from, end - from));
        from = end + 2;
    }
    ASSERT_EQ(count, 30u);
    EXPECT_EQ(expected_lines[0], "Make: Camera Maker");
    EXPECT_EQ(expected_lines[2], "Orientation: 1");
    EXPECT_EQ(expected_lines[3], "XResolution: 72.0");
    EXPECT_EQ(expected_lines[10], "ExposureTime: 30");
    EXPECT_EQ(expected_lines[17], "ComponentsConfiguration: YCbCr");
    EXPECT_EQ(expected_lines[29], "SceneType: 1");

    ObjectRef tags = late::get(reader, "TagsObject").to_object();
    EXPECT_EQ(late::get(tags, "Count"), Variant(Long(30)));
    ObjectRef last = late::get(tags, "Item", "KEY30").to_object();
    EXPECT_EQ(late::get(last, "Name"), Variant("SceneType"));
    EXPECT_EQ(late::get(last, "Index"), Variant(Long(30)));
    ObjectRef exposure = late::get(tags, "Item", Long(11)).to_object();
    EXPECT_EQ(late::get(exposure, "Data"), Variant("0.0333333333333333"));
    EXPECT_EQ(late::get(exposure, "Format"), Variant(Long(5)));
    EXPECT_EQ(late::get(exposure, "Length"), Variant(Long(1)));
    EXPECT_EQ(late::get(exposure, "ID"), Variant(Long(33434)));

    // Without an argument: "" and the same refill; keys still answer on the second listing.
    EXPECT_EQ(late::call(reader, "ListInfo"), Variant(""));
    EXPECT_EQ(late::get(tags, "Count"), Variant(Long(30)));
    EXPECT_NE(late::get(tags, "Item", "KEY1").to_object(), nullptr);
    // Only -1 is True.
    EXPECT_EQ(late::call(reader, "ListInfo", Boolean { 1 }), Variant(""));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ExifQueries, AfterAReadThatFailedTheBlankRecordsAreListedToo)
{
    // IFD0 announces 400 entries; the file ends inside the second, so 398 records stay blank.
    auto tiff = tiff_block(Layout { ByteOrder::LittleEndian, { shorts(274, { 1 }) } });
    tiff[8] = 0x90;
    tiff[9] = 0x01;
    std::vector<uint8_t> file(6 + tiff.size());
    std::memcpy(file.data(), "Exif\0\0", 6);
    std::copy(tiff.begin(), tiff.end(), file.begin() + 6);
    ObjectRef reader = new_reader();
    EXPECT_VELMO_ERROR(late::let(reader, "ImageFile", write("cut.jpg", file)), err::ReadMetaInfo, "ReadMetaInfo");

    const std::string lines = late::call(reader, "ListInfo", True).to_string();
    EXPECT_TRUE(lines.starts_with("Orientation: 1\r\n")) << lines.substr(0, 40);
    std::string blank_lines;
    for (int i = 0; i < 398; ++i)
        blank_lines += ": \r\n";
    EXPECT_TRUE(lines.ends_with(blank_lines));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 400);

    ObjectRef tags = late::get(reader, "TagsObject").to_object();
    EXPECT_EQ(late::get(tags, "Count"), Variant(Long(400)));
    EXPECT_EQ(late::call(tags, "GetIndexForKey", "key250"), Variant(Long(250)));
    ObjectRef last = late::get(tags, "Item", Long(400)).to_object();
    ASSERT_NE(last, nullptr);
    const std::pair<const char*, Variant> blank_item[] = {
        { "Key", Variant("KEY400") }, { "Index", Variant(Long(400)) }, { "ID", Variant(Long(0)) }, { "Name", Variant("") },
        { "Format", Variant(Long(0)) }, { "Length", Variant(Long(0)) }, { "Data", Variant("") }, { "StringData", Variant("") },
    };
    for (const auto& [property, value] : blank_item)
        EXPECT_EQ(late::get(last, property), value) << property;
    EXPECT_EQ(late::call(tags, "GetTagForTagID", Long(0)).to_object(), last) << "the last blank item";
    EXPECT_EQ(late::get(late::call(tags, "Add", "new").to_object(), "Index"), Variant(Long(401)));

    // A blank record answers MetaInfo for the number 0.
    EXPECT_EQ(meta_info(reader, 0), std::make_pair(Long(0), std::string()));
    EXPECT_EQ(meta_info(reader, 305).second, "Tag 305 not found.");
}

// The items of a listing are made when first looked at; by then the reader may have read other
// files, and the items still describe the file that was listed.
TEST_F(ExifQueries, ListedItemsDescribeTheListedFileAfterLaterReads)
{
    ObjectRef reader = new_reader();
    open(reader, "first.jpg", camera(ByteOrder::LittleEndian, 5));
    late::call(reader, "ListInfo");
    ObjectRef tags = late::get(reader, "TagsObject").to_object();
    for (int i = 0; i < 4; ++i)
        open(reader, "later" + std::to_string(i) + ".jpg", camera(ByteOrder::BigEndian, 6 + i));
    EXPECT_EQ(late::get(tags, "Count"), Variant(Long(30)));
    EXPECT_EQ(late::call(reader, "GetDataTimeStamp"), Variant(camera_stamp(5)));
    ObjectRef exposure = late::get(tags, "Item", "KEY11").to_object();
    EXPECT_EQ(late::get(exposure, "Data"), Variant("0.001")) << "1/1000 s, the first file's; the later ones differ";
    EXPECT_EQ(late::get(exposure, "Index"), Variant(Long(11)));
}

TEST_F(ExifQueries, ListInfoOfAFileWithoutSignatureKeepsTheLastListing)
{
    ObjectRef reader = new_reader();
    open(reader, "camera.jpg", camera(ByteOrder::LittleEndian, 5));
    late::call(reader, "ListInfo");
    late::let(reader, "ImageFile", write("plain.jpg", plain_jpeg()));
    EXPECT_EQ(late::call(reader, "ListInfo", True), Variant("File is not in EXIF format."));
    EXPECT_EQ(late::call(reader, "GetDataTimeStamp"), Variant(camera_stamp(5)));
}

TEST_F(ExifQueries, ListInfoBeforeAnyRecordsClearsThenFails)
{
    ObjectRef reader = new_reader();
    ObjectRef tags = late::get(reader, "TagsObject").to_object();
    late::call(tags, "Add", "mine");
    EXPECT_VELMO_ERROR(late::call(reader, "ListInfo", True), err::SubscriptOutOfRange, "Velmo10");
    EXPECT_EQ(late::get(tags, "Count"), Variant(Long(0)));
}

TEST_F(ExifQueries, TimeStampComesFromTheCollection)
{
    ObjectRef reader = new_reader();
    EXPECT_EQ(late::call(reader, "GetDataTimeStamp"), Variant(""));
    open(reader, "camera.jpg", camera(ByteOrder::LittleEndian, 40));
    EXPECT_EQ(late::call(reader, "GetDataTimeStamp"), Variant("")) << "before ListInfo";
    late::call(reader, "ListInfo");
    EXPECT_EQ(late::call(reader, "GetDataTimeStamp"), Variant(camera_stamp(40)));
    late::set(reader, "TagsObject", ObjectRef());
    EXPECT_EQ(late::call(reader, "GetDataTimeStamp"), Variant(""));
}

TEST_F(ExifQueries, TagsObjectCanBeSharedBetweenReaders)
{
    ObjectRef first = new_reader();
    ObjectRef second = new_reader();
    open(first, "camera.jpg", camera(ByteOrder::LittleEndian, 2));
    late::call(first, "ListInfo");
    late::set(second, "TagsObject", late::get(first, "TagsObject").to_object());
    EXPECT_EQ(late::call(second, "GetDataTimeStamp"), Variant(camera_stamp(2)));
    EXPECT_VELMO_ERROR(late::set(second, "TagsObject", new_reader()), err::TypeMismatch, "Velmo10");
}

TEST_F(ExifQueries, GetTagNameTakesAnyNumber)
{
    ObjectRef reader = new_reader();
    EXPECT_EQ(late::call(reader, "GetTagName", Long(33434)), Variant("ExposureTime"));
    EXPECT_EQ(late::call(reader, "GetTagName", Long(0)), Variant("Tag #0"));
    EXPECT_EQ(late::call(reader, "GetTagName", Long(-1)), Variant("Tag #-1"));
}

TEST_F(ExifQueries, FilePartSplitsPaths)
{
    ObjectRef reader = new_reader();
    struct Case {
        const char* path;
        int32_t part;
        const char* result;
    } cases[] = {
        { "C:\\Photos\\img.2020.jpg", 0, "jpg" },
        { "C:\\Photos\\img.2020.jpg", 1, "img" },
        { "C:\\Photos\\img.2020.jpg", 2, "img.2020.jpg" },
        { "C:\\Photos\\img.2020.jpg", 3, "C:\\Photos\\" },
        { "C:\\Photos.old\\img", 0, "old\\img" },
        { "x/y\\z.jpg", 2, "y\\z.jpg" },
        { "C:\\img\\img", 3, "C:\\\\" },
        { "/home/me/photo.jpg", 3, "/home/me/" },
        { "/home/me/photo.jpg", 1, "photo" },
        { "photo", 0, "" },
        { "photo", 1, "photo" },
        { "photo", 3, "" },
        { "", 1, "" },
        { "a/b.jpg", 4, "" },
        { "a/b.jpg", -1, "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(late::call(reader, "FilePart", c.path, Long(c.part)), Variant(c.result)) << c.path << " part " << c.part;
    EXPECT_EQ(late::call(reader, "FilePart", "/a/b.c.jpg"), Variant("b")) << "FileNameOnly by default";
    EXPECT_VELMO_ERROR(late::call(reader, "FilePart", "/a/b/", Long(1)), err::SubscriptOutOfRange, "Velmo10");
}

TEST_F(ExifQueries, ExifIniMapsAndWrapsDisplayTexts)
{
    write_ini("[orientation]\n6=Rotated\nFORMAT=(@X)\n1=\n"
              "[Make]\nFormat=fixed text\n"
              "[Tag #1]\n7=seven @X\n"
              "[ExposureTime]\nformat=1/@X s\n");
    ObjectRef reader = new_reader();
    open(reader, "mapped.jpg",
        Layout { ByteOrder::BigEndian,
            { shorts(274, { 6 }), ascii(271, "Maker"), numbers_of(1, Byte, { 7 }), rationals(tag::ExposureTime, { { 1, 125 } }), shorts(2, { 9 }) } });
    EXPECT_EQ(meta_info(reader, 274).second, "(Rotated)");
    EXPECT_EQ(meta_info(reader, 271).second, "fixed text");
    EXPECT_EQ(meta_info(reader, 1).second, "seven @X") << "a mapped value is not a template";
    EXPECT_EQ(meta_info(reader, 33434).second, "1/125 s");
    EXPECT_EQ(meta_info(reader, 2).second, "9");

    // 1= is the same as no line: only the template applies.
    open(reader, "top.jpg", Layout { ByteOrder::LittleEndian, { shorts(274, { 1 }) } });
    EXPECT_EQ(meta_info(reader, 274).second, "(1)");

    // An edited file takes effect at the next read.
    write_ini("[Orientation]\n1=Top-left\nFormat=Orientation: @X\n");
    EXPECT_EQ(meta_info(reader, 274).second, "(1)") << "not before";
    open(reader, "top.jpg", Layout { ByteOrder::LittleEndian, { shorts(274, { 1 }) } });
    EXPECT_EQ(meta_info(reader, 274).second, "Orientation: Top-left");

    std::filesystem::remove(folder / "exif.ini");
    open(reader, "top.jpg", Layout { ByteOrder::LittleEndian, { shorts(274, { 1 }) } });
    EXPECT_EQ(meta_info(reader, 274).second, "1");
}

TEST_F(ExifQueries, ExifIniInALegacyCodePageMatchesAccentedTexts)
{
    write_ini("[Make]\nCaf\xE9=Coffee \xE0 la carte\n");
    ObjectRef reader = new_reader();
    open(reader, "latin.jpg", Layout { ByteOrder::LittleEndian, { ascii(271, "Caf\xE9") } });
    EXPECT_EQ(meta_info(reader, 271).second, "Coffee \xC3\xA0 la carte");
}

TEST_F(ExifQueries, ExifDirectoryIsFoundThroughTheMappedText)
{
    // IFD0 points to the Exif directory; exif.ini changes the text of that number, and the read
    // follows the changed text. A text that gives 0, or no number, links nowhere: IFD0 alone.
    Layout layout = camera(ByteOrder::LittleEndian);
    ObjectRef reader = new_reader();
    open(reader, "camera.jpg", layout);
    std::string offset;
    std::tie(std::ignore, offset) = meta_info(reader, tag::ExifOffset);
    for (const char* mapped : { "0", "none" }) {
        write_ini("[ExifOffset]\n" + offset + "=" + mapped + "\n");
        open(reader, "camera.jpg", layout);
        EXPECT_EQ(late::call(reader, "ListInfo").to_string(), "");
        EXPECT_EQ(late::get(late::get(reader, "TagsObject").to_object(), "Count"), Variant(Long(10))) << mapped;
    }

    write_ini("[ExifOffset]\nFormat=@X\n");
    open(reader, "camera.jpg", layout);
    EXPECT_EQ(late::call(reader, "ListInfo").to_string(), "");
    EXPECT_EQ(late::get(late::get(reader, "TagsObject").to_object(), "Count"), Variant(Long(30)));
}

TEST_F(ExifQueries, ReaderWithoutIniInItsFolderShowsDecodedTexts)
{
    // The library folder given with a final separator gets no second one.
    host::set_library_folder(folder.path().string() + "/");
    auto reader = std::make_shared<clsKxLumoJPGTagsA>();
    EXPECT_EQ(reader->profile_path(), folder.path().string() + "/exif.ini");
    open(reader, "camera.jpg", camera(ByteOrder::LittleEndian));
    EXPECT_EQ(meta_info(reader, 274).second, "1");
}

// ---- Time-stamp file names ----------------------------------------------------------------

class ExifStampNames : public ExifQueries {
protected:
    // Reads a file with that DateTimeOriginal (none when empty) and lists it.
    ObjectRef listed(const std::string& name, const std::string& stamp)
    {
        ObjectRef reader = new_reader();
        Layout layout { ByteOrder::LittleEndian, { shorts(274, { 1 }) } };
        if (!stamp.empty())
            layout.exif = { ascii(tag::DateTimeOriginal, stamp) };
        open(reader, name, layout);
        late::call(reader, "ListInfo");
        return reader;
    }
    bool exists(const std::string& name) { return std::filesystem::exists(folder / name); }
};

TEST_F(ExifStampNames, RenamesToTheStampInTheSameFolder)
{
    ObjectRef reader = listed("img.jpg", "2019:12:25 14:30:05");
    EXPECT_EQ(late::call(reader, "GetDataTimeStampAsFileName", True), Variant("25122019_143005"));
    EXPECT_TRUE(exists("25122019_143005.jpg"));
    EXPECT_FALSE(exists("img.jpg"));
    EXPECT_EQ(late::get(reader, "ImageFile"), Variant((folder / "img.jpg").string())) << "still the old name";
}

TEST_F(ExifStampNames, WithoutTrueNothingIsRenamed)
{
    ObjectRef reader = listed("img.jpg", "2019:12:25 14:30:05");
    EXPECT_EQ(late::call(reader, "GetDataTimeStampAsFileName"), Variant("25122019_143005"));
    EXPECT_EQ(late::call(reader, "GetDataTimeStampAsFileName", Boolean { 1 }), Variant("25122019_143005"));
    EXPECT_TRUE(exists("img.jpg"));
    EXPECT_FALSE(exists("25122019_143005.jpg"));
}

TEST_F(ExifStampNames, OnlyRealMomentsRenameFiles)
{
    struct Case {
        const char* stamp;
        const char* stem;  // what the member answers all the same
        bool renamed;
    } cases[] = {
        { "2020:02:29 23:59:59", "29022020_235959", true },  // leap day
        { "2000:02:29 00:00:00", "29022000_000000", true },  // divisible by 400
        { "1900:02:29 00:00:00", "29021900_000000", false },
        { "2019:02:29 12:00:00", "29022019_120000", false },
        { "2019:04:31 12:00:00", "31042019_120000", false },
        { "2019:13:01 12:00:00", "01132019_120000", false },
        { "2019:00:10 12:00:00", "10002019_120000", false },
        { "0000:00:00 00:00:00", "00000000_000000", false },  // a camera without a set clock
        { "2019:12:25 24:00:00", "25122019_240000", false },
        { "2019:12:25 12:60:00", "25122019_126000", false },
        { "2019:12:25 12:00:60", "25122019_120060", false },
        { "2019:1:5 3:4:5", "05012019_030405", true },       // short parts are padded
        { "2019:12:25 ../../x:00:00", "25122019_../../x0000", false },
        { "2019:12:25 14:30", "", false },                    // two time parts
        { "2019:12:25", "", false },                          // no time
        { "2019:12:25  14:30:05", "", false },                // two blanks: an empty time
        { "", "", false },                                    // no stamp at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stamp);
        TempFolder own;
        host::set_library_folder(own.path());
        ObjectRef reader = new_reader();
        Layout layout { ByteOrder::LittleEndian, { shorts(274, { 1 }) } };
        if (*c.stamp)
            layout.exif = { ascii(tag::DateTimeOriginal, c.stamp) };
        write_file(own / "img.jpg", jpeg(layout));
        late::let(reader, "ImageFile", (own / "img.jpg").string());
        late::call(reader, "ListInfo");
        EXPECT_EQ(late::call(reader, "GetDataTimeStampAsFileName", True), Variant(c.stem));
        EXPECT_EQ(std::filesystem::exists(own / "img.jpg"), !c.renamed);
        size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::recursive_directory_iterator(own.path()))
            ++files;
        EXPECT_EQ(files, 1u) << "one file, under its old name or its new one";
        EXPECT_FALSE(std::filesystem::exists(own / ".jpg"));
    }
}

TEST_F(ExifStampNames, NeverReplacesAnExistingFile)
{
    write("25122019_143005.jpg", { 'o', 'l', 'd' });
    ObjectRef reader = listed("img.jpg", "2019:12:25 14:30:05");
    EXPECT_EQ(late::call(reader, "GetDataTimeStampAsFileName", True), Variant("25122019_143005"));
    EXPECT_TRUE(exists("img.jpg"));
    EXPECT_EQ(std::filesystem::file_size(folder / "25122019_143005.jpg"), 3u);
}

TEST_F(ExifStampNames, AFileAlreadySoNamedStaysAsItIs)
{
    ObjectRef reader = listed("25122019_143005.jpg", "2019:12:25 14:30:05");
    EXPECT_EQ(late::call(reader, "GetDataTimeStampAsFileName", True), Variant("25122019_143005"));
    EXPECT_TRUE(exists("25122019_143005.jpg"));
}

TEST_F(ExifStampNames, AMissingImageIsNoError)
{
    ObjectRef reader = listed("img.jpg", "2019:12:25 14:30:05");
    std::filesystem::remove(folder / "img.jpg");
    EXPECT_EQ(late::call(reader, "GetDataTimeStampAsFileName", True), Variant("25122019_143005"));
    EXPECT_FALSE(exists("25122019_143005.jpg"));
}

TEST_F(ExifStampNames, RenamesOnlyTheRegularFileWhoseReadFilledTheCollection)
{
    // Each case lists img.jpg (stamp 2019:12:25 14:30:05) with a reader, then does something after
    // which the collection's stamp no longer belongs to what ImageFile names. The stem still comes
    // back, but nothing is renamed.
    struct Renamer {
        ObjectRef reader;   // the reader asked for the name
        std::string stays;  // the file ImageFile names, which must keep its name
    };
    struct Case {
        const char* what;
        std::function<Renamer(const ObjectRef&)> then;
    } cases[] = {
        { "a folder read next",
            [this](const ObjectRef& reader) {
                std::filesystem::create_directory(folder / "album.jpg");
                late::let(reader, "ImageFile", (folder / "album.jpg").string());
                return Renamer { reader, "album.jpg" };
            } },
        { "a PNG read next",
            [this](const ObjectRef& reader) {
                late::let(reader, "ImageFile", write("picture.png", { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' }));
                return Renamer { reader, "picture.png" };
            } },
        { "a read that failed next",
            [this](const ObjectRef& reader) {
                EXPECT_VELMO_ERROR(open(reader, "broken.jpg", Layout { ByteOrder::LittleEndian, { crafted(1, 13, 1, 0) } }),
                    err::ReadMetaInfo, "ReadMetaInfo");
                return Renamer { reader, "broken.jpg" };
            } },
        { "a read without ListInfo after it",
            [this](const ObjectRef& reader) {
                open(reader, "other.jpg",
                    Layout { ByteOrder::LittleEndian, { shorts(274, { 1 }) }, { ascii(tag::DateTimeOriginal, "2020:01:01 10:00:00") } });
                return Renamer { reader, "other.jpg" };
            } },
        { "a reader given img.jpg's collection",
            [this](const ObjectRef& reader) {
                ObjectRef other = listed("other.jpg", "2020:01:01 10:00:00");
                late::set(other, "TagsObject", late::get(reader, "TagsObject").to_object());
                return Renamer { other, "other.jpg" };
            } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            std::filesystem::remove_all(entry.path());
        Renamer renamer = c.then(listed("img.jpg", "2019:12:25 14:30:05"));
        EXPECT_EQ(late::call(renamer.reader, "GetDataTimeStampAsFileName", True), Variant("25122019_143005"));
        EXPECT_TRUE(exists(renamer.stays));
        EXPECT_FALSE(exists("25122019_143005.jpg"));
    }
}

TEST(ExifStampName, RenameOutcomes)
{
    TempFolder folder;
    auto image = (folder / "a.jpg").string();
    write_file(image, { 'x' });
    write_file(folder / "01012020_000000.jpg", { 'y' });
    struct Case {
        const char* stem;
        RenameMode mode;
        RenameOutcome outcome;
    } cases[] = {
        { "", RenameMode::Apply, RenameOutcome::NoStamp },
        { "31022020_000000", RenameMode::Apply, RenameOutcome::NoStamp },
        { "01012020_000000", RenameMode::Apply, RenameOutcome::TargetExists },
        { "01012020_000000", RenameMode::DryRun, RenameOutcome::TargetExists },
        { "02012020_000000", RenameMode::DryRun, RenameOutcome::WouldRename },
        { "02012020_000000", RenameMode::Apply, RenameOutcome::Renamed },
    };
    for (const auto& c : cases)
        EXPECT_EQ(rename_to_stem(image, c.stem, c.mode), c.outcome) << c.stem;
    EXPECT_EQ(rename_to_stem((folder / "02012020_000000.jpg").string(), "02012020_000000"), RenameOutcome::AlreadyNamed);
    EXPECT_EQ(rename_to_stem(image, "03012020_000000"), RenameOutcome::Failed) << "the image is gone";
    std::filesystem::create_directory(folder / "album.jpg");
    EXPECT_EQ(rename_to_stem((folder / "album.jpg").string(), "03012020_000000"), RenameOutcome::NotAFile);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "album.jpg"));
    EXPECT_EQ(stamp_target("photo.jpg", "01012020_000000"), "01012020_000000.jpg");
    EXPECT_EQ(stamp_target("/a/b.c/photo", "x"), "/a/b.c/x.jpg");
}

}  // namespace
}  // namespace velmo::exif
