// The WebP animation writer: what libwebp's own decoder makes of its files, frame by frame, and the
// same file whether it goes to a regular file or through a pipe.
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "codecs/animation_writer.h"
#include "codecs/atomic_file.h"
#include "support/temp_folder.h"
#include "support/webp_animation.h"

namespace fs = std::filesystem;

namespace {

constexpr int width = 7;  // odd, so that a change at an odd column needs the frame widened
constexpr int height = 5;
constexpr int frame_ms = 40;

using Frame = std::vector<uint32_t>;  // top-down rows of 0x00RRGGBB

struct Decoded {
    bool animated = false;
    std::vector<Frame> frames;      // as shown, 0x00RRGGBB
    std::vector<int> timestamps;    // when each frame ends, in milliseconds
};

Decoded decode(const std::vector<uint8_t>& bytes)
{
    velmo::testing::WebpAnimation animation = velmo::testing::decode_webp_animation(bytes);
    Decoded decoded { animation.animated, {}, animation.ends_ms };
    for (const auto& rgba : animation.rgba) {
        Frame frame;
        for (size_t i = 0; i + 4 <= rgba.size(); i += 4)
            frame.push_back(uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 | rgba[i + 2]);
        decoded.frames.push_back(std::move(frame));
    }
    return decoded;
}

void write(const fs::path& target, const std::vector<Frame>& frames)
{
    velmo::codecs::AtomicFile file(target);
    auto writer = velmo::codecs::make_webp_writer(file, width, height, frame_ms);
    for (const Frame& frame : frames)
        writer->add_frame(frame);
    writer->finish();
    file.commit();
}

std::vector<uint8_t> bytes_of(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

class WebpWriterTest : public ::testing::Test {
protected:
    velmo::testing::TempFolder dir { "velmo-webp" };
};

// A picture with a colour per pixel, and the same with some pixels changed.
Frame picture()
{
    Frame frame;
    for (int i = 0; i < width * height; ++i)
        frame.push_back(uint32_t(i * 0x050301 + 0x102030) & 0xFFFFFF);
    return frame;
}
Frame changed(Frame frame, std::vector<std::pair<int, int>> at, uint32_t color)
{
    for (auto [x, y] : at)
        frame[size_t(y * width + x)] = color;
    return frame;
}

TEST_F(WebpWriterTest, EveryFrameDecodesAsGivenAndAnUnchangedOneLengthensTheOneBefore)
{
    Frame a = picture();
    // White and black are the colours an unchanged, see-through pixel carries: drawn, they must show.
    Frame b = changed(a, { { 3, 1 } }, 0xFFFFFF);            // an odd column and row
    Frame c = changed(b, { { 6, 4 }, { 0, 0 } }, 0x000000);  // both corners: the whole picture
    Frame d = changed(c, { { 5, 3 } }, 0x123456);
    write(dir / "a.webp", { a, b, b, c, d, d, d });

    Decoded decoded = decode(bytes_of(dir / "a.webp"));
    EXPECT_TRUE(decoded.animated);
    ASSERT_EQ(decoded.frames.size(), 4u);
    EXPECT_EQ(decoded.frames[0], a);
    EXPECT_EQ(decoded.frames[1], b);
    EXPECT_EQ(decoded.frames[2], c);
    EXPECT_EQ(decoded.frames[3], d);
    EXPECT_EQ(decoded.timestamps, (std::vector<int> { 40, 120, 160, 280 }));
}

TEST_F(WebpWriterTest, ALoneFrameIsAStillPicture)
{
    Frame a = picture();
    write(dir / "still.webp", { a, a, a });
    auto bytes = bytes_of(dir / "still.webp");
    Decoded decoded = decode(bytes);
    EXPECT_FALSE(decoded.animated);
    ASSERT_EQ(decoded.frames.size(), 1u);
    EXPECT_EQ(decoded.frames[0], a);
}

TEST_F(WebpWriterTest, APipeGetsTheSameFileAsARegularFile)
{
    Frame a = picture();
    std::vector<Frame> frames { a, changed(a, { { 2, 2 } }, 0x00FF00), a };
    write(dir / "file.webp", frames);

    fs::path fifo = dir / "pipe.webp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<uint8_t> piped;
    std::thread reader([&] { piped = bytes_of(fifo); });
    write(fifo, frames);
    reader.join();
    EXPECT_TRUE(fs::is_fifo(fifo)) << "written to, not replaced";
    EXPECT_EQ(piped, bytes_of(dir / "file.webp"));
    EXPECT_EQ(decode(piped).frames.size(), 3u);
}

}  // namespace
