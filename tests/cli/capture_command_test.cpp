// `velmo capture` as a person runs it: what it writes, and that bad input leaves no file behind,
// prints one "velmo: ..." line and exits with 1.
#include <gtest/gtest.h>

#include "support/command_run.h"
#include "support/png_file.h"
#include "support/temp_folder.h"

#include <sys/wait.h>
#include <unistd.h>
#include <webp/decode.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>


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
    velmo::testing::TempFolder dir { "velmo-capture-cli" };
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

std::string file_bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

// The sum of the first quantization table of a JPEG file: larger for a lower quality.
long first_quantization_sum(const std::string& jpeg)
{
    size_t at = jpeg.find("\xFF\xDB");
    if (at == std::string::npos || at + 5 + 64 > jpeg.size())
        return -1;
    long sum = 0;
    for (size_t i = 0; i < 64; ++i)
        sum += static_cast<unsigned char>(jpeg[at + 5 + i]);
    return sum;
}

TEST_F(CaptureCommand, FormatFollowsTheExtension)
{
    struct Case {
        const char* name;
        const char* options;
        const char* magic;
        int tolerance;
    };
    const Case cases[] = {
        { "shot.png", "", "\x89PNG", 0 },
        { "SHOT.PNG", "", "\x89PNG", 0 },
        { "shot.jpg", "", "\xFF\xD8\xFF", 3 },
        { "shot.jpeg", "--quality 40", "\xFF\xD8\xFF", 3 },
        { "shot.webp", "", "RIFF", 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome run = velmo(std::string("capture ") + c.options + " -o " + out(c.name), dir);
        ASSERT_EQ(run.exit_code, 0) << run.err;
        std::string bytes = file_bytes(dir / c.name);
        EXPECT_TRUE(bytes.starts_with(c.magic));
        int width = 0, height = 0;
        std::vector<uint8_t> rgb;
        if (bytes.starts_with("RIFF")) {
            uint8_t* decoded = WebPDecodeRGB(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &width, &height);
            ASSERT_TRUE(decoded);
            rgb.assign(decoded, decoded + size_t(width) * height * 3);
            WebPFree(decoded);
        } else {
            Png png = load_png(dir / c.name);
            ASSERT_TRUE(png.pixels);
            width = png.width;
            height = png.height;
            rgb.assign(png.pixels.get(), png.pixels.get() + size_t(width) * height * 3);
        }
        EXPECT_EQ(width, 1280);
        EXPECT_EQ(height, 800);
        const int desktop[] = { 0x3A, 0x6E, 0xA5 };
        for (size_t i : { size_t(0), (size_t(400) * 1280 + 640) * 3, rgb.size() - 3 }) {
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(rgb[i + k], desktop[k], c.tolerance) << "byte " << i + k;
        }
        fs::remove(dir / c.name);
    }
    // The quality reaches the encoder: a coarser table for a lower one.
    ASSERT_EQ(velmo("capture --quality 10 -o " + out("low.jpg"), dir).exit_code, 0);
    ASSERT_EQ(velmo("capture -o " + out("default.jpg"), dir).exit_code, 0);
    ASSERT_EQ(velmo("capture --quality 98 -o " + out("high.jpg"), dir).exit_code, 0);
    long low = first_quantization_sum(file_bytes(dir / "low.jpg"));
    long standard = first_quantization_sum(file_bytes(dir / "default.jpg"));
    long high = first_quantization_sum(file_bytes(dir / "high.jpg"));
    EXPECT_GT(low, standard);
    EXPECT_GT(standard, high);
    EXPECT_GT(high, 0);
}

TEST_F(CaptureCommand, DashWritesThePngToStandardOutputAlone)
{
    Outcome piped = velmo("capture --rect 10,20,300,200 -o -", dir);
    ASSERT_EQ(piped.exit_code, 0) << piped.err;
    EXPECT_EQ(piped.err, "");
    EXPECT_TRUE(fs::is_empty(dir));
    ASSERT_EQ(velmo("capture --rect 10,20,300,200 -o " + out("same.png"), dir).exit_code, 0);
    EXPECT_EQ(piped.out, file_bytes(dir / "same.png")) << "standard output holds the PNG file and nothing else";
}

TEST_F(CaptureCommand, PointerIsDrawnWithItsHotSpotOnThePointer)
{
    // A fresh memory display has its pointer at the top left corner of the screen.
    struct Case {
        const char* rect;
        std::array<int, 3> at_origin;  // the capture's pixel (0, 0) with the pointer drawn
        bool changed;
    };
    const std::array<int, 3> black { 0, 0, 0 };
    const Case cases[] = {
        { "", black, true },
        { "--rect 1,1,40,40", black, true },
        { "--rect 30,30,40,40", { 0x3A, 0x6E, 0xA5 }, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rect);
        ASSERT_EQ(velmo(std::string("capture ") + c.rect + " -o " + out("plain.png"), dir).exit_code, 0);
        ASSERT_EQ(velmo(std::string("capture --pointer ") + c.rect + " -o " + out("pointer.png"), dir).exit_code, 0);
        Png plain = load_png(dir / "plain.png");
        Png pointer = load_png(dir / "pointer.png");
        ASSERT_TRUE(plain.pixels && pointer.pixels);
        EXPECT_EQ(pointer.rgb(0, 0), c.at_origin);
        int changed = 0;
        bool white = false;
        for (int y = 0; y < plain.height; ++y) {
            for (int x = 0; x < plain.width; ++x) {
                if (plain.rgb(x, y) == pointer.rgb(x, y))
                    continue;
                ++changed;
                white = white || pointer.rgb(x, y) == std::array<int, 3> { 255, 255, 255 };
                EXPECT_TRUE(x < 32 && y < 32) << "drawn far from the pointer at " << x << "," << y;
            }
        }
        EXPECT_EQ(changed > 0, c.changed);
        EXPECT_EQ(white, c.changed) << "the arrow is white inside its black edge";
    }
}

TEST_F(CaptureCommand, BadOutputChoicesAreRefusedBeforeCapturing)
{
    struct Case {
        std::string arguments;
        const char* says;
    };
    const Case cases[] = {
        { "-o " + out("shot.bmp"), "unknown image format" },
        { "-o " + out("shot"), "unknown image format" },
        { "--quality 0 -o " + out("shot.jpg"), "1 to 100" },
        { "--quality 101 -o " + out("shot.jpg"), "1 to 100" },
        { "--quality 9.5 -o " + out("shot.jpg"), "1 to 100" },
        { "--quality 80 -o " + out("shot.png"), ".jpg" },
        { "--quality 80 -o -", ".jpg" },
        { "--delay -1 -o " + out("shot.png"), "--delay" },
        { "--delay=-0.5 -o " + out("shot.png"), "--delay" },
        { "--delay soon -o " + out("shot.png"), "--delay" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Outcome run = velmo("capture " + c.arguments, dir);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("velmo: ")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(dir)) << "a file was left behind";
    }
    Outcome waited = velmo("capture --delay 0.3 -o " + out("later.png"), dir);
    EXPECT_EQ(waited.exit_code, 0) << waited.err;
    EXPECT_EQ(waited.err, "") << "no countdown off a terminal";
    EXPECT_TRUE(fs::exists(dir / "later.png"));
}

TEST_F(CaptureCommand, NamedInHelp)
{
    Outcome run = velmo("--help", dir);
    EXPECT_NE(run.out.find("  capture "), std::string::npos) << run.out;
    Outcome own = velmo("capture --help", dir);
    for (const char* option : { "--screen", "--active", "--window", "--client", "--rect", "-o,--output", "--quality", "--delay", "--pointer" })
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
