// The installed velmo command: bin/velmo runs the EXIF commands and --version itself and hands
// everything else to the full command. Either way a person sees the same output and exit code as
// from the full command, and the EXIF commands map no drawing library.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "package/jpeg_bytes.h"
#include "support/temp_folder.h"

namespace velmo {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    std::string out;
    std::string err;
    int code = -1;
};

std::string read_all(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override { package_test::write_small_photo(folder_ / "photo.jpg"); }

    // Runs a program in the test's folder; env is put before it ("NAME=value ").
    Outcome run(const std::string& program, const std::string& args, const std::string& env = "")
    {
        std::string command = "cd '" + folder_.string() + "' && " + env + "'" + program + "' " + args + " >out.txt 2>err.txt";
        int status = std::system(command.c_str());
        return { read_all(folder_ / "out.txt"), read_all(folder_ / "err.txt"), WIFEXITED(status) ? WEXITSTATUS(status) : -1 };
    }

    velmo::testing::TempFolder folder_ { "velmo-command" };
};

TEST_F(CommandTest, SameOutputAndExitCodeAsTheFullCommand)
{
    const char* cases[] = {
        "--version",
        "-V",
        "tags photo.jpg",
        "tags --json photo.jpg",
        "tag photo.jpg Orientation",
        "rename --dry-run photo.jpg",       // no time stamp: skipped, exit 1
        "tags missing.jpg",                 // one error line, exit 1
        "tags",                             // usage error, through the full command
        "tags --help",
        "typelib",                          // not an EXIF command: the full command runs it
        "",
    };
    for (const char* args : cases) {
        Outcome launcher = run(VELMO_LAUNCHER, args);
        Outcome full = run(VELMO_FULL_COMMAND, args);
        EXPECT_EQ(launcher.out, full.out) << args;
        EXPECT_EQ(launcher.err, full.err) << args;
        EXPECT_EQ(launcher.code, full.code) << args;
    }
}

TEST_F(CommandTest, ExifCommandsAndVersionLoadNoDrawingLibrary)
{
    for (const char* args : { "--version", "tags photo.jpg", "tag photo.jpg Make" }) {
        Outcome launcher = run(VELMO_LAUNCHER, args, "LD_DEBUG=libs LD_DEBUG_OUTPUT=" + (folder_ / "ld").string() + " ");
        EXPECT_EQ(launcher.code, 0) << args << launcher.err;
        std::string loaded;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            if (entry.path().filename().string().starts_with("ld."))
                loaded += read_all(entry.path());
        }
        EXPECT_NE(loaded.find("libvelmo.so"), std::string::npos) << args;
        for (const char* name : { "libcairo", "libX11", "libfontconfig", "libpixman", "libvelmo-host" })
            EXPECT_EQ(loaded.find(name), std::string::npos) << args << " loads " << name;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            if (entry.path().filename().string().starts_with("ld."))
                fs::remove(entry.path());
        }
    }
}

}  // namespace
}  // namespace velmo
