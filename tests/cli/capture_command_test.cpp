// `velmo capture` as a person runs it: what it writes, and that bad input leaves no file behind,
// prints one "velmo: ..." line and exits with 1.
#include <gtest/gtest.h>

#include "support/command_run.h"
#include "support/png_file.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>


namespace {

namespace fs = std::filesystem;

using Outcome = velmo::testing::CommandRun;

Outcome velmo(const std::string& arguments, const fs::path&)
{
    return velmo::testing::run_command(std::string(VELMO_EXE) + " " + arguments, velmo::testing::StandardError::Apart);
}

using velmo::testing::load_png;
using velmo::testing::Png;

class CaptureCommand : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("velmo-capture-cli-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    std::string out(const char* name) const { return (dir / name).string(); }
};

TEST_F(CaptureCommand, ScreenOfAFreshProcessIsTheDesktop)
{
    struct Case {
        const char* arguments;
        int width, height;
    };
    const Case cases[] = {
        { "", 1280, 800 },
        { "--screen", 1280, 800 },
        { "--window 0", 1280, 800 },
        { "--rect 100,50,64,48", 64, 48 },
        { "--screen --rect 1279,799,1,1", 1, 1 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Outcome run = velmo(std::string("capture ") + c.arguments + " -o " + out("shot.png"), dir);
        ASSERT_EQ(run.exit_code, 0) << run.err;
        EXPECT_NE(run.out.find("Wrote "), std::string::npos) << run.out;
        Png png = load_png(dir / "shot.png");
        ASSERT_TRUE(png.pixels);
        EXPECT_EQ(png.width, c.width);
        EXPECT_EQ(png.height, c.height);
        EXPECT_EQ(png.rgb(0, 0), (std::array<int, 3> { 0x3A, 0x6E, 0xA5 })) << "the desktop colour";
        fs::remove(dir / "shot.png");
    }
}

TEST_F(CaptureCommand, BadInputLeavesNoFileAndSaysSoInOneLine)
{
    struct Case {
        std::string arguments;
        const char* says;
    };
    const Case cases[] = {
        { "--window 12345", "no window has the handle" },
        { "--window 0xDEAD --client", "no window has the handle" },
        { "--window nine", "window handle" },
        { "--rect 0,0,0,10", "empty or negative" },
        { "--rect 0,0,10,-10", "empty or negative" },
        { "--rect -1,0,10,10", "outside the screen" },
        { "--rect 1200,0,100,10", "outside the screen" },
        { "--rect 1,2,3", "X,Y,W,H" },
        { "--active", "no window is active" },
        { "--screen --active", "excludes" },
        { "--client", "--window" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Outcome run = velmo("capture " + c.arguments + " -o " + out("bad.png"), dir);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_TRUE(run.err.starts_with("velmo: ")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(dir)) << "a file was left behind";
    }
}

TEST_F(CaptureCommand, UnwritableFileLeavesNothingAndKeepsAnEarlierFile)
{
    Outcome missing_folder = velmo("capture -o " + out("no/such/folder/shot.png"), dir);
    EXPECT_EQ(missing_folder.exit_code, 1);
    EXPECT_EQ(missing_folder.err,
        "velmo: error 75 (velmo): Cannot write " + out("no/such/folder/shot.png") + ": " + std::strerror(ENOENT) + "\n");

    fs::create_directories(dir / "taken.png");
    Outcome onto_folder = velmo("capture -o " + out("taken.png"), dir);
    EXPECT_EQ(onto_folder.exit_code, 1);
    EXPECT_EQ(onto_folder.err, "velmo: error 75 (velmo): Cannot write " + out("taken.png") + ": " + std::strerror(EISDIR) + "\n");
    EXPECT_TRUE(fs::is_empty(dir / "taken.png"));

    std::ofstream(dir / "earlier.png") << "earlier";
    Outcome refused = velmo("capture --window 12345 -o " + out("earlier.png"), dir);
    EXPECT_EQ(refused.exit_code, 1);
    std::ifstream in(dir / "earlier.png");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier");

    size_t entries = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    EXPECT_EQ(entries, 2u) << "only taken.png and earlier.png; no temporary file";
}

TEST_F(CaptureCommand, NamedInHelp)
{
    Outcome run = velmo("--help", dir);
    EXPECT_NE(run.out.find("  capture "), std::string::npos) << run.out;
    Outcome own = velmo("capture --help", dir);
    for (const char* option : { "--screen", "--active", "--window", "--client", "--rect", "-o,--output" })
        EXPECT_NE(own.out.find(option), std::string::npos) << option;
}

TEST_F(CaptureCommand, DemoWritesACaptureByEachMember)
{
    Outcome run = velmo("demo -o " + out("demo"), dir);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    struct Case {
        const char* file;
        int width, height;
    };
    const Case cases[] = {
        { "capture-form.png", 488, 328 },
        { "capture-form-client.png", 480, 300 },
        { "capture-active-window.png", 488, 328 },
        { "capture-screen.png", 1280, 800 },
        { "capture-window-part.png", 240, 150 },
        { "capture-any-window-caption.png", 488, 24 },
    };
    Png form = load_png(dir / "demo" / "capture" / "capture-form.png");
    Png client = load_png(dir / "demo" / "capture" / "capture-form-client.png");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Png png = load_png(dir / "demo" / "capture" / c.file);
        ASSERT_TRUE(png.pixels);
        EXPECT_EQ(png.width, c.width);
        EXPECT_EQ(png.height, c.height);
    }
    ASSERT_TRUE(form.pixels && client.pixels);
    // The client area sits inside the 4-pixel frame, below the 20-pixel caption.
    for (int y = 0; y < 300; y += 37)
        for (int x = 0; x < 480; x += 41)
            EXPECT_EQ(form.rgb(x + 4, y + 24), client.rgb(x, y)) << x << ", " << y;
}

}  // namespace
