// PNG output read back by two independent decoders (libpng through cairo, which checks every
// CRC, and stb_image), pixel for pixel, for whole bitmaps and parts of them.
#include <cairo.h>
#include <gtest/gtest.h>
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "gfx/png_writer.h"

namespace velmo::gfx {
namespace {

uint32_t pattern(int x, int y) { return (uint32_t(x * 37 % 256) << 16) | (uint32_t(y * 11 % 256) << 8) | uint32_t((x * y) % 256); }

class PngWriterTest : public ::testing::Test {
protected:
    // One file per test and process: CTest runs the tests side by side.
    std::filesystem::path file_ = std::filesystem::path(::testing::TempDir())
        / ("velmo_png_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_"
            + std::to_string(::getpid()) + ".png");
    void TearDown() override { std::filesystem::remove(file_); }
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
        Bitmap bitmap(c.bitmap);
        for (int y = 0; y < c.bitmap.height; ++y)
            for (int x = 0; x < c.bitmap.width; ++x)
                bitmap.set_word(x, y, pattern(x, y));
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

}  // namespace
}  // namespace velmo::gfx
