// `velmo skin` as a person runs it: the region's rectangles on standard output and nothing else,
// the screen capture with the desktop showing through, and one line with exit code 1 for a skin
// that cannot be read or a capture that cannot be written.
#include <gtest/gtest.h>

#include "support/command_run.h"
#include "support/png_file.h"
#include "support/skin_fixture.h"
#include "support/temp_folder.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include "gfx/bitmap.h"
#include "gfx/png_writer.h"
#include "skin_images.h"

namespace velmo::skin {
namespace {

using velmo::testing::lines_of;

namespace fs = std::filesystem;
using testing::color_of;
using velmo::testing::heart_skin;

using Outcome = velmo::testing::CommandRun;

class SkinCommand : public ::testing::Test {
protected:
    velmo::testing::TempFolder dir_ { "velmo-skin-cli" };

    Outcome velmo(const std::string& arguments)
    {
        return velmo::testing::run_command(std::string(VELMO_EXE) + " --display memory " + arguments,
            velmo::testing::StandardError::Apart);
    }

    std::string skin_file(const std::string& name, const std::vector<std::string>& rows) { return velmo::testing::write_skin(dir_ / name, rows); }
};

TEST_F(SkinCommand, RectsCoverExactlyTheNonTransparentPixels)
{
    struct Case {
        const char* name;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        { "heart", heart_skin },
        { "the corner colour cut out inside", { "#..#", "....", "#.##" } },
        { "one colour gives no lines", { "rrr", "rrr" } },
    };
    for (const auto& c : cases) {
        Outcome run = velmo("skin " + skin_file("skin.png", c.rows) + " --rects");
        ASSERT_EQ(run.exit_code, 0) << c.name << ": " << run.err;
        EXPECT_EQ(run.err, "") << c.name;
        std::set<std::pair<int, int>> covered;
        for (const std::string& line : lines_of(run.out)) {
            std::istringstream fields(line);
            int left, top, right, bottom;
            std::string rest;
            ASSERT_TRUE(fields >> left >> top >> right >> bottom) << c.name << ": " << line;
            ASSERT_FALSE(fields >> rest) << c.name << ": " << line;
            ASSERT_LT(left, right) << line;
            ASSERT_LT(top, bottom) << line;
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x)
                    ASSERT_TRUE(covered.insert({ x, y }).second) << c.name << ": rectangles overlap at " << x << "," << y;
        }
        std::set<std::pair<int, int>> opaque;
        for (int y = 0; y < int(c.rows.size()); ++y)
            for (int x = 0; x < int(c.rows[y].size()); ++x)
                if (c.rows[y][x] != c.rows[0][0])
                    opaque.insert({ x, y });
        EXPECT_EQ(covered, opaque) << c.name << "\n" << run.out;
    }
}

TEST_F(SkinCommand, TheCaptureShowsTheDesktopThroughTheTransparentPixels)
{
    fs::path png = dir_ / "shown.png";
    Outcome run = velmo("skin " + skin_file("heart.png", heart_skin) + " -o " + png.string());
    ASSERT_EQ(run.exit_code, 0) << run.err;
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(stbi_load(png.c_str(), &width, &height, &channels, 3), stbi_image_free);
    ASSERT_TRUE(pixels);
    ASSERT_EQ(width, 10);
    ASSERT_EQ(height, 5);
    const gfx::Color desktop { 0x3A, 0x6E, 0xA5 };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const stbi_uc* p = pixels.get() + (y * width + x) * 3;
            gfx::Color expected = heart_skin[y][x] == '.' ? desktop : gfx::Color::from_colorref(color_of(heart_skin[y][x]));
            ASSERT_EQ(gfx::Color(p[0], p[1], p[2]), expected) << x << "," << y;
        }
    }
}

// The form is made fifteen times its skin, larger than any window can be for a skin of 640 x 480:
// the window is held to the largest size, and the skin shows whole.
TEST_F(SkinCommand, ASkinWhoseFormWouldBeTooLargeStillShowsWhole)
{
    const gfx::Color see_through { 255, 0, 255 }, body { 30, 160, 90 };
    gfx::Bitmap picture({ 640, 480 });
    picture.fill(picture.rect(), see_through);
    picture.fill({ 40, 30, 560, 420 }, body);
    const fs::path skin = dir_ / "large.png", shown = dir_ / "shown.png";
    ASSERT_TRUE(gfx::write_png(picture, skin));

    Outcome run = velmo("skin " + skin.string() + " -o " + shown.string());
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    velmo::testing::Png png = velmo::testing::load_png(shown);
    ASSERT_TRUE(png.pixels);
    ASSERT_EQ(png.width, 640);
    ASSERT_EQ(png.height, 480);
    const gfx::Color desktop { 0x3A, 0x6E, 0xA5 };
    for (gfx::Point p : { gfx::Point { 0, 0 }, gfx::Point { 639, 479 }, gfx::Point { 40, 30 }, gfx::Point { 599, 449 }, gfx::Point { 320, 240 } }) {
        auto [r, g, b] = png.rgb(p.x, p.y);
        gfx::Color expected = picture.pixel(p.x, p.y) == see_through ? desktop : body;
        EXPECT_EQ(gfx::Color(uint8_t(r), uint8_t(g), uint8_t(b)), expected) << p.x << "," << p.y;
    }
}

TEST_F(SkinCommand, BadInputIsOneLineAndExitCodeOne)
{
    std::string garbage = (dir_ / "garbage.png").string();
    std::ofstream(garbage) << "not a picture";
    std::string good = skin_file("heart.png", heart_skin);
    struct Case {
        std::string arguments;
        std::string names;  // what the line must mention
    };
    const Case cases[] = {
        { (dir_ / "missing.png").string() + " -o " + (dir_ / "out.png").string(), "missing.png" },
        { garbage + " --rects -o " + (dir_ / "out.png").string(), "garbage.png" },
        { "''", "no skin" },
        { good + " --rects -o " + (dir_ / "no-such-folder" / "out.png").string(), "out.png" },
    };
    for (const auto& c : cases) {
        Outcome run = velmo("skin " + c.arguments);
        EXPECT_EQ(run.exit_code, 1) << c.arguments;
        EXPECT_EQ(run.out, "") << c.arguments;
        auto lines = lines_of(run.err);
        ASSERT_EQ(lines.size(), 1u) << c.arguments << "\n" << run.err;
        EXPECT_EQ(lines[0].rfind("velmo: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(c.names), std::string::npos) << lines[0];
        EXPECT_FALSE(fs::exists(dir_ / "out.png")) << c.arguments;
    }
}

TEST_F(SkinCommand, HelpNamesTheCommand)
{
    Outcome run = velmo("--help");
    EXPECT_NE(run.out.find("  skin "), std::string::npos) << run.out;
}

}  // namespace
}  // namespace velmo::skin
