// `velmo rename` as a person runs it on real files: a run killed midway and then undone leaves
// every name and byte as it was, and bad input is one "velmo:" line with nothing renamed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/command_run.h"
#include "support/exif_fixture.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace velmo::exif::fixture;
using velmo::testing::TempFolder;

using Contents = std::map<std::string, std::string>;  // file name -> bytes

Contents contents_of(const fs::path& folder)
{
    Contents found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        found[entry.path().filename().string()].assign(std::istreambuf_iterator<char>(in), {});
    }
    return found;
}

size_t lines_of(const fs::path& file)
{
    std::ifstream in(file);
    size_t lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

velmo::testing::CommandRun velmo(const std::string& arguments)
{
    return velmo::testing::run_command(std::string(VELMO_EXE) + " " + arguments, velmo::testing::StandardError::Apart);
}

class RenameCommand : public ::testing::Test {
protected:
    TempFolder work;
    fs::path photos = work / "photos";
    fs::path journal = work / "rename.journal";
    void SetUp() override { fs::create_directories(photos); }
};

TEST_F(RenameCommand, ARunKilledMidwayIsUndoneToEveryNameAndByte)
{
    constexpr int files = 1500;
    std::vector<std::string> arguments = { VELMO_EXE, "rename", "--journal", journal.string() };
    for (int shot = 0; shot < files; ++shot) {
        auto path = photos / ("IMG_" + std::to_string(1000 + shot) + ".jpg");
        write_file(path, jpeg(camera(velmo::exif::ByteOrder::BigEndian, shot)));
        arguments.push_back(path.string());
    }
    const Contents before = contents_of(photos);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::vector<char*> argv;
        for (auto& word : arguments)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        ::freopen("/dev/null", "w", stdout);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    // Killed as soon as it has renamed a few: far from done with the rest.
    while (lines_of(journal) < 5)
        std::this_thread::yield();
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    const size_t journalled = lines_of(journal);
    ASSERT_LT(journalled, size_t(files)) << "the run ended before it was killed";
    const Contents midway = contents_of(photos);
    EXPECT_NE(midway, before);
    size_t renamed = 0;
    for (const auto& [name, bytes] : midway)
        renamed += name.starts_with("IMG_") ? 0 : 1;
    EXPECT_GE(renamed + 1, journalled) << "at most the last journal line lacks its rename";
    EXPECT_LE(renamed, journalled) << "every rename is in the journal";

    auto undo = velmo("rename --undo " + journal.string());
    EXPECT_EQ(undo.exit_code, 0) << undo.err;
    EXPECT_EQ(undo.err, "");
    EXPECT_EQ(contents_of(photos), before);

    auto again = velmo("rename --undo " + journal.string());
    EXPECT_EQ(again.exit_code, 0) << again.err;
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(contents_of(photos), before);
}

TEST_F(RenameCommand, BadInputIsOneLineAndRenamesNothing)
{
    auto photo = photos / "a.jpg";
    write_file(photo, jpeg(camera(velmo::exif::ByteOrder::LittleEndian)));
    const Contents before = contents_of(photos);
    const std::string p = photo.string();
    const std::string cases[] = {
        "rename --shift 1:5 " + p,
        "rename --shift +25 " + p,
        "rename --journal " + (work / "missing" / "j").string() + " " + p,
        "rename --journal " + photos.string() + " " + p,
        "rename --undo " + (work / "missing.journal").string(),
        "rename --undo " + journal.string() + " " + p,
        "rename",
    };
    for (const auto& arguments : cases) {
        SCOPED_TRACE(arguments);
        auto run = velmo(arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("velmo: ")) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_EQ(contents_of(photos), before);
    }
}

// In a folder that refuses changes the dry run promises nothing the real run cannot do, and both
// give the reason. (Run as an ordinary user, for whom the folder's mode holds.)
TEST_F(RenameCommand, AReadOnlyFolderIsToldByTheDryRunAndTheRealRunWithTheReason)
{
    const auto photo = photos / "IMG_1.jpg";
    write_file(photo, jpeg(camera(velmo::exif::ByteOrder::LittleEndian)));
    fs::permissions(work.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(photos, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
            | fs::perms::others_exec);
    fs::permissions(photo, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string as_user = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    for (const char* mode : { "--dry-run ", "" }) {
        SCOPED_TRACE(mode);
        auto run = velmo::testing::run_command(as_user + VELMO_EXE + " rename " + mode + photo.string(), velmo::testing::StandardError::Apart);
        EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "velmo: skipped " + photo.string() + ": cannot be renamed (Permission denied)\n");
    }
    fs::permissions(photos, fs::perms::owner_all);
    EXPECT_EQ(contents_of(photos).size(), 1u);
    EXPECT_TRUE(fs::exists(photo));
}

// A FIFO or a name too long is no file the reader can read ("File not found."), and the command
// says why on the same line.
TEST_F(RenameCommand, FilesTheReaderCannotReadAreToldWithTheReason)
{
    const auto fifo = photos / "pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string too_long = (photos / (std::string(300, 'x') + ".jpg")).string();
    const std::pair<std::string, const char*> cases[] = {
        { "tags " + fifo.string(), "(not a regular file)" },
        { "tag " + fifo.string() + " Make", "(not a regular file)" },
        { "rename " + fifo.string(), "(not a regular file)" },
        { "tags " + too_long, "(File name too long)" },
        { "tag " + too_long + " Make", "(File name too long)" },
        { "rename " + too_long, "(File name too long)" },
    };
    for (const auto& [arguments, reason] : cases) {
        auto run = velmo(arguments);
        EXPECT_EQ(run.exit_code, 1) << arguments;
        EXPECT_NE(run.err.find("File not found. " + std::string(reason) + "\n"), std::string::npos) << arguments << "\n" << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << arguments << "\n" << run.err;
    }
}

TEST_F(RenameCommand, HelpShowsEveryOption)
{
    auto help = velmo("rename --help");
    EXPECT_EQ(help.exit_code, 0);
    for (const char* option : { "--dry-run", "--journal", "--undo", "--sequence", "--shift", "--ini" })
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

}  // namespace
