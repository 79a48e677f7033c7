// PNG output read back by two independent decoders (libpng through cairo, which checks every
// CRC, and stb_image), pixel for pixel, for whole bitmaps and parts of them.
#include <cairo.h>
#include <gtest/gtest.h>
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/png_writer.h"
#include "support/temp_folder.h"

namespace velmo::gfx {
namespace {

uint32_t pattern(int x, int y) { return (uint32_t(x * 37 % 256) << 16) | (uint32_t(y * 11 % 256) << 8) | uint32_t((x * y) % 256); }

Bitmap patterned(Size size)
{
    Bitmap bitmap(size);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            bitmap.set_word(x, y, pattern(x, y));
    return bitmap;
}

class PngWriterTest : public ::testing::Test {
protected:
    velmo::testing::TempFolder folder_ { "velmo-png" };
    std::filesystem::path file_ = folder_ / "out.png";
};

TEST_F(PngWriterTest, PartsReadBackPixelForPixel)
{
    struct Case {
        Size bitmap;
        Rect area;
        Rect expected;  // the part inside the bitmap
    };
    const Case cases[] = {
        { { 1, 1 }, { 0, 0, 1, 1 }, { 0, 0, 1, 1 } },
        { { 37, 23 }, { 0, 0, 37, 23 }, { 0, 0, 37, 23 } },
        { { 37, 23 }, { 5, 3, 7, 9 }, { 5, 3, 7, 9 } },
        { { 37, 23 }, { 30, -4, 20, 10 }, { 30, 0, 7, 6 } },
        { { 300, 2 }, { 0, 1, 300, 1 }, { 0, 1, 300, 1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bitmap.width << "x" << c.bitmap.height << " area " << c.area.x << "," << c.area.y);
        Bitmap bitmap = patterned(c.bitmap);
        ASSERT_TRUE(write_png(bitmap, c.area, file_));

        cairo_surface_t* surface = cairo_image_surface_create_from_png(file_.c_str());
        ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
        EXPECT_EQ(cairo_image_surface_get_width(surface), c.expected.width);
        EXPECT_EQ(cairo_image_surface_get_height(surface), c.expected.height);
        int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);

        int w = 0, h = 0, channels = 0;
        unsigned char* rgb = stbi_load(file_.c_str(), &w, &h, &channels, 3);
        ASSERT_NE(rgb, nullptr);
        ASSERT_EQ(channels, 3);
        for (int y = 0; y < c.expected.height; ++y)
            for (int x = 0; x < c.expected.width; ++x) {
                uint32_t want = pattern(c.expected.x + x, c.expected.y + y);
                uint32_t by_cairo = reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0x00FFFFFF;
                const unsigned char* p = rgb + (y * w + x) * 3;
                ASSERT_EQ(by_cairo, want) << x << "," << y;
                ASSERT_EQ((uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2], want) << x << "," << y;
            }
        stbi_image_free(rgb);
        cairo_surface_destroy(surface);
    }
}

TEST_F(PngWriterTest, NothingToWriteOrNowhereToWriteFails)
{
    Bitmap bitmap({ 4, 4 });
    EXPECT_FALSE(write_png(bitmap, { 4, 0, 2, 2 }, file_));
    EXPECT_FALSE(std::filesystem::exists(file_));
    EXPECT_FALSE(write_png(bitmap, "/nonexistent-folder/x.png"));
}

// The descriptor writers give encode_png's bytes: from a bitmap kept as it is, and from one spent,
// whose memory the filtered rows were laid over (a pixel overwritten before it is read would show).
TEST_F(PngWriterTest, DescriptorWritersGiveTheSameBytes)
{
    struct Case {
        Size bitmap;
        Rect area;
    };
    const Case cases[] = {
        { { 1, 1 }, { 0, 0, 1, 1 } },
        { { 1, 9 }, { 0, 0, 1, 9 } },
        { { 9, 1 }, { 0, 0, 9, 1 } },
        { { 37, 23 }, { 0, 0, 37, 23 } },
        { { 37, 23 }, { 5, 3, 7, 9 } },
        { { 300, 4 }, { 0, 0, 300, 4 } },
    };
    auto written = [&](const std::function<PngWrite(int)>& write) {
        int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd), PngWrite::Written);
        ::close(fd);
        std::ifstream in(file_, std::ios::binary);
        return std::vector<uint8_t> { std::istreambuf_iterator<char>(in), {} };
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bitmap.width << "x" << c.bitmap.height << " area " << c.area.x << "," << c.area.y);
        Bitmap bitmap = patterned(c.bitmap);
        const std::vector<uint8_t> expected = encode_png(bitmap, c.area);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(written([&](int fd) { return write_png(bitmap, c.area, fd); }), expected);
        if (c.area != bitmap.rect())
            continue;
        Bitmap spent = bitmap;
        EXPECT_EQ(written([&](int fd) { return write_png_spending(std::move(spent), fd); }), expected);
        EXPECT_TRUE(spent.size().is_empty());
    }
    Bitmap empty({ 0, 0 });
    EXPECT_EQ(write_png_spending(std::move(empty), -1), PngWrite::NotEncoded);
    EXPECT_EQ(write_png(Bitmap({ 4, 4 }), { 0, 0, 4, 4 }, -1), PngWrite::NotWritten);
}

}  // namespace
}  // namespace velmo::gfx
