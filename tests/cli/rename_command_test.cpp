// `velmo rename` as a person runs it on real files: a run killed midway and then undone leaves
// every name and byte as it was, and bad input is one "velmo:" line with nothing renamed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/command_run.h"
#include "support/exif_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace velmo::exif::fixture;

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

TEST_F(RenameCommand, HelpShowsEveryOption)
{
    auto help = velmo("rename --help");
    EXPECT_EQ(help.exit_code, 0);
    for (const char* option : { "--dry-run", "--journal", "--undo", "--sequence", "--shift", "--ini" })
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

}  // namespace
