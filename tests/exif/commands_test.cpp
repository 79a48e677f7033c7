// `velmo tags`, `velmo tag` and `velmo rename` over fixture files, with their output captured.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/exif_commands.h"
#include "cli/rename_journal.h"
#include "cli/rename_plan.h"
#include "exif/catalogue.h"
#include "exif/jpg_tags.h"
#include "runtime/app.h"
#include "support/exif_fixture.h"
#include "support/temp_folder.h"

namespace velmo::cli {
namespace {

using namespace exif::fixture;
using velmo::testing::TempFolder;
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
    // A camera file taken at stamp ("YYYY:MM:DD HH:MM:SS"), with a SubsecTimeOriginal when given.
    std::string stamped_file(const std::string& name, const std::string& stamp, const char* subsec = nullptr, int shot = 0)
    {
        Layout layout = camera(ByteOrder::LittleEndian, shot);
        for (auto& entry : layout.exif) {
            if (entry.tag == exif::tag::DateTimeOriginal)
                entry = exif::fixture::ascii(exif::tag::DateTimeOriginal, stamp);
        }
        if (subsec)
            layout.exif.push_back(exif::fixture::ascii(exif::tag::SubsecTimeOriginal, subsec));
        return write(name, jpeg(layout));
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

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

std::vector<uint8_t> bytes_of_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

// The stem a stamp shifted by seconds has, by the C library's own calendar.
std::string libc_shifted_name(const std::string& stamp, long seconds)
{
    std::tm moment {};
    std::sscanf(stamp.c_str(), "%d:%d:%d %d:%d:%d", &moment.tm_year, &moment.tm_mon, &moment.tm_mday, &moment.tm_hour, &moment.tm_min,
        &moment.tm_sec);
    moment.tm_year -= 1900;
    moment.tm_mon -= 1;
    std::time_t shifted = ::timegm(&moment) + seconds;
    std::tm result {};
    ::gmtime_r(&shifted, &result);
    char name[32];
    std::strftime(name, sizeof name, "%d%m%Y_%H%M%S.jpg", &result);
    return name;
}

TEST_F(ExifCommands, RenameShiftNamesTheCorrectedMomentAndKeepsTheBytes)
{
    struct Case {
        const char* stamp;
        const char* shift;
        long seconds;  // what the shift means
    };
    const Case cases[] = {
        { "2024:05:06 23:30:00", "+1:00", 3600 },
        { "2023:12:31 23:59:59", "+0:00:01", 1 },
        { "2024:03:01 00:10:00", "-0:20", -1200 },
        { "2023:03:01 00:10:00", "-0:20", -1200 },
        { "2024:01:01 12:00:00", "+8760:00", 8760L * 3600 },
        { "2019:06:15 08:00:00", "-25:30:15", -(25L * 3600 + 30 * 60 + 15) },
        { "2000:02:28 22:00:00", "26:00", 26L * 3600 },
        { "2100:02:28 22:00:00", "+26:00", 26L * 3600 },
        { "2020:01:01 00:00:00", "-0:00:01", -1 },
        { "1969:12:31 23:59:59", "+0:00:01", 1 },
        { "1970:01:01 00:30:00", "-1:00", -3600 },
        { "1900:03:01 05:00:00", "-6:00", -6L * 3600 },
    };
    EXPECT_EQ(libc_shifted_name(cases[0].stamp, cases[0].seconds), "07052024_003000.jpg");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.stamp) + " " + c.shift);
        auto path = stamped_file("shot.jpg", c.stamp);
        auto bytes = bytes_of_file(path);
        out.str("");
        auto con = console();
        ASSERT_EQ(run_rename({ .paths = { path }, .shift = c.shift }, con), 0) << err.str();
        auto target = folder / libc_shifted_name(c.stamp, c.seconds);
        EXPECT_EQ(out.str(), path + " -> " + target.string() + "\n");
        EXPECT_EQ(bytes_of_file(target), bytes);
        std::filesystem::remove(target);
    }
}

TEST_F(ExifCommands, RenameRefusesAMalformedShiftBeforeRenamingAnything)
{
    auto path = camera_file("a.jpg");
    for (const char* shift : { "1", "1:5", "1:60", "+:30", "1:30:", "1:30:60", "1:30:5", "a:00", "++1:00", "1:00:00:00", "1:00 ", "1,00", "-" }) {
        SCOPED_TRACE(shift);
        err.str("");
        auto con = console();
        EXPECT_EQ(run_rename({ .paths = { path }, .shift = shift }, con), 1);
        EXPECT_TRUE(err.str().starts_with("velmo: ")) << err.str();
        const std::string said = err.str();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(names(), std::vector<std::string> { "a.jpg" });
    }
}

TEST_F(ExifCommands, RenameSequenceNumbersTheShotsOfOneSecond)
{
    struct File {
        const char* name;
        const char* stamp;
        const char* subsec;  // nullptr: none
        const char* becomes;
    };
    struct Case {
        const char* what;
        std::vector<File> files;  // in command-line order
        std::vector<const char*> taken;
    };
    const Case cases[] = {
        { "by subsecond, a missing one first",
            { { "a.jpg", "2024:05:06 23:30:00", "5", "06052024_233000_3.jpg" }, { "b.jpg", "2024:05:06 23:30:00", nullptr, "06052024_233000.jpg" },
                { "c.jpg", "2024:05:06 23:30:00", "25", "06052024_233000_2.jpg" } },
            {} },
        { "ties keep the command-line order, other seconds apart",
            { { "z.jpg", "2024:05:06 23:30:01", nullptr, "06052024_233001.jpg" }, { "y.jpg", "2024:05:06 23:30:01", "0", "06052024_233001_2.jpg" },
                { "x.jpg", "2024:05:06 23:30:02", "999", "06052024_233002.jpg" } },
            {} },
        { "names held on disk are passed over",
            { { "a.jpg", "2024:05:06 23:30:00", "10", "06052024_233000_3.jpg" }, { "b.jpg", "2024:05:06 23:30:00", "05", "06052024_233000_2.jpg" },
                { "c.jpg", "2024:05:06 23:30:00", "2", "06052024_233000_5.jpg" } },
            { "06052024_233000.jpg", "06052024_233000_4.jpg" } },
        { "a shot already so named keeps its name",
            { { "06052024_233000_2.jpg", "2024:05:06 23:30:00", "9", "06052024_233000_2.jpg" },
                { "k.jpg", "2024:05:06 23:30:00", "1", "06052024_233000.jpg" } },
            {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            std::filesystem::remove(entry.path());
        std::vector<std::string> paths;
        std::vector<std::vector<uint8_t>> contents;
        int shot = 0;
        for (const auto& file : c.files) {
            paths.push_back(stamped_file(file.name, file.stamp, file.subsec, shot++));
            contents.push_back(bytes_of_file(paths.back()));
        }
        std::vector<std::vector<uint8_t>> taken_contents;
        for (const char* name : c.taken) {
            write(name, { uint8_t(name[0]), uint8_t(name[16]), uint8_t(name[17]) });
            taken_contents.push_back(bytes_of_file(folder / name));
        }
        out.str("");
        err.str("");
        auto con = console();
        EXPECT_EQ(run_rename({ .paths = paths, .sequence = true }, con), 0) << err.str();
        std::vector<std::string> expected;
        for (size_t i = 0; i < c.files.size(); ++i) {
            EXPECT_EQ(bytes_of_file(folder / c.files[i].becomes), contents[i]) << c.files[i].name;
            expected.push_back(c.files[i].becomes);
        }
        for (size_t i = 0; i < c.taken.size(); ++i) {
            EXPECT_EQ(bytes_of_file(folder / c.taken[i]), taken_contents[i]) << c.taken[i];
            expected.push_back(c.taken[i]);
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names(), expected);
    }
}

TEST_F(ExifCommands, RenameWithoutSequenceSkipsTheLaterShotsOfASecond)
{
    auto first = stamped_file("a.jpg", "2024:05:06 23:30:00", "9", 1);
    auto later = stamped_file("b.jpg", "2024:05:06 23:30:00", "1", 2);
    auto con = console();
    EXPECT_EQ(run_rename({ .paths = { first, later } }, con), 1);
    EXPECT_EQ(err.str(), "velmo: skipped " + later + ": target exists\n");
    EXPECT_EQ(names(), (std::vector<std::string> { "06052024_233000.jpg", "b.jpg" }));
}

TEST_F(ExifCommands, TagsAndRenameSayTheSameForAnyNumberOfJobs)
{
    // More files than the workers may run ahead of the output, with failures, folders, files that
    // are no EXIF and shots of one second spread over the list, so that the workers finish out of
    // order and several files want one name.
    constexpr int files = 700;
    std::vector<std::string> paths;
    std::map<std::string, std::vector<uint8_t>> first_wanting;  // target name -> bytes of the first file to want it
    for (int i = 0; i < files; ++i) {
        std::string name = "in/f" + std::to_string(i) + ".jpg";
        if (i % 97 == 5) {
            paths.push_back(write(name, plain_jpeg()));
        } else if (i % 89 == 7) {
            paths.push_back((folder / ("in/missing" + std::to_string(i) + ".jpg")).string());
        } else if (i % 151 == 3) {
            std::filesystem::create_directories(folder / "in" / ("dir" + std::to_string(i)));
            paths.push_back((folder / "in" / ("dir" + std::to_string(i))).string());
        } else {
            int second = i % 40;  // 40 moments for some 680 files
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "2024:05:06 10:00:%02d", second);
            paths.push_back(stamped_file(name, stamp, nullptr, i));
            char target[32];
            std::snprintf(target, sizeof target, "06052024_1000%02d.jpg", second);
            first_wanting.try_emplace(target, bytes_of_file(paths.back()));
        }
    }
    auto run = [&](auto command, const auto& options) {
        std::ostringstream o, e;
        Console con { o, e, false, false };
        int code = command(options, con);
        return std::to_string(code) + "\n" + o.str() + "--\n" + e.str();
    };
    const unsigned jobs[] = { 1, 2, 3, 8 };
    std::string text_once, json_once;
    for (unsigned j : jobs) {
        SCOPED_TRACE(j);
        std::string text = run(run_tags, TagsOptions { .paths = paths, .jobs = j });
        std::string json = run(run_tags, TagsOptions { .paths = paths, .json = true, .jobs = j });
        if (j == 1) {
            text_once = text;
            json_once = json;
            EXPECT_NE(text.find("==> " + paths.back() + " <==\n" + list_info(paths.back())), std::string::npos);
            continue;
        }
        EXPECT_EQ(text, text_once);
        EXPECT_EQ(json, json_once);
    }

    std::string renamed_once;
    std::vector<std::string> names_once;
    const auto in = folder / "in";
    const auto copy = folder / "copy";
    std::filesystem::copy(in, copy, std::filesystem::copy_options::recursive);
    for (unsigned j : jobs) {
        SCOPED_TRACE(j);
        std::filesystem::remove_all(in);
        std::filesystem::copy(copy, in, std::filesystem::copy_options::recursive);
        std::string said = run(run_rename, RenameOptions { .paths = paths, .jobs = j });
        std::vector<std::string> now;
        for (const auto& entry : std::filesystem::directory_iterator(in))
            now.push_back(entry.path().filename().string());
        std::sort(now.begin(), now.end());
        // One file per target, and it is the first named that wanted it.
        for (const auto& [target, bytes] : first_wanting)
            EXPECT_EQ(bytes_of_file(in / target), bytes) << target;
        if (j == 1) {
            renamed_once = said;
            names_once = now;
            continue;
        }
        EXPECT_EQ(said, renamed_once);
        EXPECT_EQ(now, names_once);
    }
    EXPECT_EQ(names_once.size(), static_cast<size_t>(std::distance(std::filesystem::directory_iterator(copy), {})));
}

TEST_F(ExifCommands, JournalLinesReadBackAsWritten)
{
    const std::string names[] = { "/a/b.jpg", "/with \"quotes\"/and\\backslash.jpg", "/new\nline\ttab\x01.jpg", "/caf\xc3\xa9/\xff\xfe.jpg",
        "/x/{\"from\": \"y\"}.jpg" };
    for (const auto& from : names) {
        for (const auto& to : names) {
            JournalEntry entry { from, to };
            std::string line = journal_line(entry);
            EXPECT_EQ(line.find('\n'), std::string::npos) << line;
            JournalEntry back;
            ASSERT_TRUE(parse_journal_line(line, back)) << line;
            EXPECT_EQ(back.from, from);
            EXPECT_EQ(back.to, to);
        }
    }
    JournalEntry entry;
    ASSERT_TRUE(parse_journal_line(R"({ "to" : "/b\u00e9\/c" , "from":"/a\ud83d\ude00" })", entry));
    EXPECT_EQ(entry.from, "/a\xf0\x9f\x98\x80");
    EXPECT_EQ(entry.to, "/b\xc3\xa9/c");
    for (const char* bad : { "", "{}", R"({"from": "/a"})", R"({"from": "/a", "to": "/b")", R"({"from": "/a", "to": "/b"} x)", R"({"from": "/a", "to": ""})",
             R"({"from": "/a", "to": "/b\q"})", R"({"from": "/a" "to": "/b"})" }) {
        EXPECT_FALSE(parse_journal_line(bad, entry)) << bad;
    }
}

TEST_F(ExifCommands, RenameJournalThenUndoPutsEveryNameAndByteBack)
{
    std::vector<std::string> paths = { camera_file("a.jpg", 0), camera_file("b.jpg", 1), write("plain.jpg", plain_jpeg()), camera_file("c.jpg", 2) };
    std::map<std::string, std::vector<uint8_t>> before;
    for (const auto& name : names())
        before[name] = bytes_of_file(folder / name);
    auto journal = (folder.path().parent_path() / (folder.path().filename().string() + ".journal")).string();
    struct RemoveJournal {
        std::string path;
        ~RemoveJournal() { std::filesystem::remove(path); }
    } remove_journal { journal };

    auto con = console();
    EXPECT_EQ(run_rename({ .paths = paths, .journal = journal }, con), 1) << "plain.jpg is no EXIF file";
    std::vector<JournalEntry> entries;
    {
        std::ifstream in(journal);
        std::string line;
        while (std::getline(in, line))
            ASSERT_TRUE(parse_journal_line(line, entries.emplace_back())) << line;
    }
    ASSERT_EQ(entries.size(), 3u);
    const size_t renamed[] = { 0, 1, 3 };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].from, paths[renamed[i]]);
        EXPECT_TRUE(std::filesystem::path(entries[i].to).is_absolute());
        EXPECT_EQ(bytes_of_file(entries[i].to), before[std::filesystem::path(paths[renamed[i]]).filename().string()]);
    }

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "undo" : "undo again");
        out.str("");
        err.str("");
        auto undo = console();
        EXPECT_EQ(run_rename({ .undo = journal }, undo), 0) << err.str();
        EXPECT_EQ(err.str(), "");
        std::string expected_out;
        for (size_t i = 3; round == 0 && i-- > 0;)
            expected_out += entries[i].to + " -> " + entries[i].from + "\n";
        EXPECT_EQ(out.str(), expected_out);
        std::map<std::string, std::vector<uint8_t>> after;
        for (const auto& name : names())
            after[name] = bytes_of_file(folder / name);
        EXPECT_EQ(after, before);
    }
}

TEST_F(ExifCommands, UndoNeverReplacesAFileAndNamesWhatStays)
{
    auto a = camera_file("a.jpg", 0);
    auto b = camera_file("b.jpg", 1);
    auto journal = (folder / "rename.journal").string();
    auto con = console();
    ASSERT_EQ(run_rename({ .paths = { a, b }, .journal = journal }, con), 0);
    auto a_bytes = bytes_of_file(folder / "01012019_000000.jpg");
    write("a.jpg", { 'n', 'e', 'w' });  // someone took the old name since
    std::ofstream(journal, std::ios::app) << journal_line({ (folder / "never.jpg").string(), (folder / "never-renamed.jpg").string() }) << "\n"
                                          << "not a journal line\n"
                                          << R"({"from": "/cut off)";
    write("never.jpg", { 'n' });

    out.str("");
    err.str("");
    auto undo = console();
    EXPECT_EQ(run_rename({ .undo = journal }, undo), 1);
    EXPECT_EQ(out.str(), (folder / "01012019_010111.jpg").string() + " -> " + b + "\n");
    EXPECT_EQ(err.str(),
        "velmo: " + journal + ":4: not a journal line\nvelmo: cannot put back " + (folder / "01012019_000000.jpg").string() + ": " + a
            + " exists\n");
    EXPECT_EQ(bytes_of_file(a), (std::vector<uint8_t> { 'n', 'e', 'w' }));
    EXPECT_EQ(bytes_of_file(folder / "01012019_000000.jpg"), a_bytes);
    EXPECT_EQ(names(), (std::vector<std::string> { "01012019_000000.jpg", "a.jpg", "b.jpg", "never.jpg", "rename.journal" }));
}

TEST_F(ExifCommands, RenameDoesNotStartWithoutAWritableJournal)
{
    auto path = camera_file("a.jpg");
    std::filesystem::create_directory(folder / "a folder");
    for (auto journal : { folder / "missing" / "j.journal", folder / "a folder" }) {
        SCOPED_TRACE(journal);
        err.str("");
        auto con = console();
        EXPECT_EQ(run_rename({ .paths = { path }, .journal = journal.string() }, con), 1);
        EXPECT_TRUE(err.str().starts_with("velmo: " + journal.string() + ": ")) << err.str();
        const std::string said = err.str();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(names(), (std::vector<std::string> { "a folder", "a.jpg" }));
    }
    auto con = console();
    EXPECT_EQ(run_rename({ .paths = { path }, .dry_run = true, .journal = (folder / "dry.journal").string() }, con), 0);
    EXPECT_EQ(names(), (std::vector<std::string> { "a folder", "a.jpg" })) << "a dry run writes no journal";
}

}  // namespace
}  // namespace velmo::cli
