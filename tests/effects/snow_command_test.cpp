// `velmo snow` as a person runs it: the files it writes, decoded again by other decoders, and the
// one line and exit code of each refusal, with nothing left behind.
#include <gtest/gtest.h>

#include "support/command_run.h"
#include "support/temp_folder.h"
#include "support/webp_animation.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

namespace fs = std::filesystem;

using Outcome = velmo::testing::CommandRun;  // `out` holds standard output and error together

Outcome velmo(const std::string& arguments)
{
    return velmo::testing::run_command(std::string(VELMO_EXE) + " " + arguments, velmo::testing::StandardError::JoinedToOutput);
}

std::vector<uint8_t> bytes_of(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

// Frames as RGB bytes, top-down.
struct Frames {
    int width = 0;
    int height = 0;
    std::vector<std::vector<uint8_t>> rgb;
    std::vector<int> delays_ms;
};

Frames decode_gif(const fs::path& file)
{
    auto bytes = bytes_of(file);
    Frames frames;
    int* delays = nullptr;
    int count = 0;
    int channels = 0;
    stbi_uc* all = stbi_load_gif_from_memory(bytes.data(), int(bytes.size()), &delays, &frames.width, &frames.height, &count, &channels, 3);
    if (!all)
        return frames;
    size_t size = size_t(frames.width) * frames.height * 3;
    for (int i = 0; i < count; ++i) {
        frames.rgb.emplace_back(all + i * size, all + (i + 1) * size);
        frames.delays_ms.push_back(delays[i]);
    }
    stbi_image_free(all);
    stbi_image_free(delays);
    return frames;
}

Frames decode_webp(const fs::path& file)
{
    velmo::testing::WebpAnimation animation = velmo::testing::decode_webp_animation(bytes_of(file));
    Frames frames { animation.width, animation.height, {}, {} };
    int before = 0;
    for (size_t f = 0; f < animation.rgba.size(); ++f) {
        std::vector<uint8_t> rgb;
        for (size_t i = 0; i + 4 <= animation.rgba[f].size(); i += 4)
            rgb.insert(rgb.end(), animation.rgba[f].begin() + long(i), animation.rgba[f].begin() + long(i) + 3);
        frames.rgb.push_back(std::move(rgb));
        frames.delays_ms.push_back(animation.ends_ms[f] - before);
        before = animation.ends_ms[f];
    }
    return frames;
}

std::vector<uint8_t> decode_png(const fs::path& file, int& width, int& height)
{
    int channels = 0;
    stbi_uc* p = stbi_load(file.c_str(), &width, &height, &channels, 3);
    if (!p)
        return {};
    std::vector<uint8_t> rgb(p, p + size_t(width) * height * 3);
    stbi_image_free(p);
    return rgb;
}

class SnowCommand : public ::testing::Test {
protected:
    velmo::testing::TempFolder dir { "velmo-snow" };
    std::string at(const std::string& name) const { return (dir / name).string(); }
};

TEST_F(SnowCommand, GifWebpAndPngShowTheSameSeededSnowfall)
{
    for (const char* name : { "snow.gif", "snow.webp", "snow.png" }) {
        Outcome run = velmo("snow --size 90x70 --frames 12 --seed 3 -o " + at(name));
        EXPECT_EQ(run.exit_code, 0) << run.out;
        EXPECT_EQ(run.out, "Wrote " + at(name) + "\n") << "no progress when standard error is no terminal";
    }
    Frames gif = decode_gif(dir / "snow.gif");
    Frames webp = decode_webp(dir / "snow.webp");
    int width = 0;
    int height = 0;
    auto png = decode_png(dir / "snow.png", width, height);
    for (const Frames* frames : { &gif, &webp }) {
        ASSERT_EQ(frames->rgb.size(), 12u);
        EXPECT_EQ(frames->width, 90);
        EXPECT_EQ(frames->height, 70);
        EXPECT_EQ(frames->delays_ms.back(), 40);
    }
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(gif.rgb[i], webp.rgb[i]) << "frame " << i << ": both kept every pixel";
    EXPECT_NE(gif.rgb.front(), gif.rgb.back()) << "the snow moved";
    EXPECT_EQ(width, 90);
    EXPECT_EQ(gif.rgb.back(), png) << "the PNG is the last frame";
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(dir), {}).size(), 3u) << "no partial files left";
    EXPECT_EQ(fs::status(dir / "snow.gif").permissions() & fs::perms::others_read, fs::perms::others_read);
}

TEST_F(SnowCommand, AGivenPictureKeepsItsSizeAndAManyColoredOneIsQuantisedForGif)
{
    // 120 x 80 with a colour for every pixel: more than a GIF palette holds.
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x)
            rgb.insert(rgb.end(), { uint8_t(x * 2), uint8_t(y * 3), uint8_t(40 + (x + y) % 200) });
    ASSERT_TRUE(stbi_write_png(at("in.png").c_str(), 120, 80, 3, rgb.data(), 120 * 3));

    ASSERT_EQ(velmo("snow -i " + at("in.png") + " --frames 3 --seed 1 -o " + at("out.gif")).exit_code, 0);
    ASSERT_EQ(velmo("snow -i " + at("in.png") + " --frames 3 --seed 1 -o " + at("out.png")).exit_code, 0);
    Frames gif = decode_gif(dir / "out.gif");
    ASSERT_EQ(gif.rgb.size(), 3u);
    EXPECT_EQ(gif.width, 120);
    EXPECT_EQ(gif.height, 80);
    int width = 0;
    int height = 0;
    auto last = decode_png(dir / "out.png", width, height);
    ASSERT_EQ(last.size(), gif.rgb.back().size());
    int worst = 0;
    for (size_t i = 0; i < last.size(); ++i)
        worst = std::max(worst, std::abs(int(last[i]) - int(gif.rgb.back()[i])));
    EXPECT_LE(worst, 25) << "each channel within half a step of the colour cube";
    EXPECT_GT(worst, 0);
}

TEST_F(SnowCommand, RefusesBadInputInOneLineLeavingNothing)
{
    std::ofstream(dir / "words.png") << "not a picture";
    struct Case {
        std::string arguments;
        std::string says;
    };
    const Case cases[] = {
        { "-i " + at("missing.png") + " -o " + at("out.gif"), "cannot read picture" },
        { "-i " + at("words.png") + " -o " + at("out.webp"), "cannot read picture" },
        { "--size 0x10 -o " + at("out.gif"), "--size" },
        { "--size 20x-4 -o " + at("out.gif"), "--size" },
        { "--size big -o " + at("out.gif"), "--size" },
        { "--frames 0 -o " + at("out.gif"), "--frames" },
        { "--frames -3 -o " + at("out.gif"), "--frames" },
        { "--frames 2.5 -o " + at("out.gif"), "--frames" },
        { "--seed soon -o " + at("out.gif"), "--seed" },
        { "-o " + at("out.bmp"), ".webp, .gif or .png" },
        { "-o " + at("out"), ".webp, .gif or .png" },
        { "--frames 2", "-o FILE" },
        { "-i " + at("words.png") + " --size 10x10 -o " + at("out.gif"), "--size" },
        { "--frames 2 -o " + at("no-such-folder/out.gif"), "error 75 (velmo): Cannot write " + at("no-such-folder/out.gif") + ": " },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Outcome run = velmo("snow " + c.arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.out.rfind("velmo: ", 0), 0u) << run.out;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
        EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(dir), {}).size(), 1u) << "only the fixture is there";
    }
}

TEST_F(SnowCommand, HelpNamesTheCommandAndItsOptions)
{
    EXPECT_NE(velmo("--help").out.find("  snow "), std::string::npos);
    Outcome help = velmo("snow --help");
    EXPECT_EQ(help.exit_code, 0);
    for (const char* option : { "-i,--input", "--size", "--frames", "--seed", "-o,--output", ".webp" })
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

}  // namespace
