// Still pictures in the format of the file's extension: each one read back by an independent
// decoder (stb for PNG and JPEG, libwebp for WebP) against the bitmap that was written.
#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#include <webp/decode.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "codecs/image_file.h"
#include "support/temp_folder.h"
#include "support/velmo_error.h"

namespace velmo::codecs {
namespace {

// Smooth ramps with a sharp-edged block: both what JPEG keeps well and what it blurs.
gfx::Bitmap test_picture()
{
    gfx::Bitmap bitmap({ 97, 61 });
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            bool block = x >= 30 && x < 60 && y >= 20 && y < 40;
            gfx::Color color = block ? gfx::Color { 250, 20, 30 } : gfx::Color { uint8_t(x * 2), uint8_t(y * 4), uint8_t(255 - x - y) };
            bitmap.set_pixel(x, y, color);
        }
    }
    return bitmap;
}

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

Decoded decode(const std::vector<uint8_t>& bytes, ImageFormat format)
{
    Decoded out;
    if (format == ImageFormat::WebP) {
        uint8_t* rgb = WebPDecodeRGB(bytes.data(), bytes.size(), &out.width, &out.height);
        if (rgb)
            out.rgb.assign(rgb, rgb + size_t(out.width) * out.height * 3);
        WebPFree(rgb);
        return out;
    }
    int channels = 0;
    stbi_uc* rgb = stbi_load_from_memory(bytes.data(), int(bytes.size()), &out.width, &out.height, &channels, 3);
    if (rgb)
        out.rgb.assign(rgb, rgb + size_t(out.width) * out.height * 3);
    stbi_image_free(rgb);
    return out;
}

// The largest difference of any channel of any pixel, and the mean one.
std::pair<int, double> difference(const gfx::Bitmap& bitmap, const Decoded& decoded)
{
    int largest = 0;
    double sum = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            uint32_t word = bitmap.word(x, y);
            const uint8_t* got = decoded.rgb.data() + (size_t(y) * decoded.width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                int d = std::abs(int(uint8_t(word >> (16 - 8 * c))) - int(got[c]));
                largest = std::max(largest, d);
                sum += d;
            }
        }
    }
    return { largest, sum / (double(bitmap.width()) * bitmap.height() * 3) };
}

TEST(ImageFile, FormatFollowsTheExtension)
{
    struct Case {
        const char* name;
        std::optional<ImageFormat> format;
    };
    const Case cases[] = {
        { "a.png", ImageFormat::Png },
        { "dir.d/A.PNG", ImageFormat::Png },
        { "a.jpg", ImageFormat::Jpeg },
        { "a.JPeG", ImageFormat::Jpeg },
        { "a.webp", ImageFormat::WebP },
        { "a.bmp", std::nullopt },
        { "png", std::nullopt },
        { "a.png.txt", std::nullopt },
        { "a.", std::nullopt },
        { "-", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(format_of(c.name), c.format) << c.name;
}

TEST(ImageFile, EachFormatReadsBackAsThePicture)
{
    const gfx::Bitmap picture = test_picture();
    struct Case {
        ImageFormat format;
        int quality;
        int largest;  // allowed difference of any channel
        double mean;
    };
    const Case cases[] = {
        { ImageFormat::Png, 90, 0, 0 },
        { ImageFormat::WebP, 90, 0, 0 },
        { ImageFormat::Jpeg, 100, 12, 1.5 },
        { ImageFormat::Jpeg, 90, 40, 3 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.format) * 1000 + c.quality);
        auto bytes = encode_image(picture, c.format, c.quality);
        Decoded decoded = decode(bytes, c.format);
        ASSERT_EQ(decoded.width, picture.width());
        ASSERT_EQ(decoded.height, picture.height());
        auto [largest, mean] = difference(picture, decoded);
        EXPECT_LE(largest, c.largest);
        EXPECT_LE(mean, c.mean);
    }
}

TEST(ImageFile, LowerJpegQualityLosesMoreAndTakesLess)
{
    const gfx::Bitmap picture = test_picture();
    double previous_mean = -1;
    size_t previous_size = SIZE_MAX;
    for (int quality : { 100, 75, 30, 5, 1 }) {
        SCOPED_TRACE(quality);
        auto bytes = encode_jpeg(picture, quality);
        auto [largest, mean] = difference(picture, decode(bytes, ImageFormat::Jpeg));
        EXPECT_GT(mean, previous_mean);
        EXPECT_LT(bytes.size(), previous_size);
        previous_mean = mean;
        previous_size = bytes.size();
    }
}

TEST(ImageFile, WrittenWholeOrNotAtAll)
{
    velmo::testing::TempFolder folder("velmo-image-file");
    const gfx::Bitmap picture = test_picture();
    for (auto format : { ImageFormat::Png, ImageFormat::Jpeg, ImageFormat::WebP }) {
        auto file = folder / "picture";
        EXPECT_NO_THROW(write_image_whole(picture, file, format, 80));
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> written { std::istreambuf_iterator<char>(in), {} };
        EXPECT_EQ(written, encode_image(picture, format, 80));
    }
    EXPECT_VELMO_ERROR(write_image_whole(picture, folder / "missing" / "a.png", ImageFormat::Png), 75, "velmo");
    try {
        write_image_whole(picture, folder / "missing" / "a.png", ImageFormat::Png);
    } catch (const Error& e) {
        EXPECT_EQ(e.description(), "Cannot write " + (folder / "missing" / "a.png").string() + ": No such file or directory");
    }
    EXPECT_VELMO_ERROR(write_image_whole(gfx::Bitmap({ 0, 0 }), folder / "empty.png", ImageFormat::Png), 75, "velmo");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file is left";
}

}  // namespace
}  // namespace velmo::codecs
