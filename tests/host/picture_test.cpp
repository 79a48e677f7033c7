// LoadPicture from each file kind, its errors, and pictures on surfaces: background, AutoSize,
// the empty picture.
#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "automation/late.h"
#include "host/load_picture.h"
#include "host/picture_box.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/picture.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/velmo_error.h"

namespace velmo::host {
namespace {

using namespace velmo::platform;

// The test picture: 6 x 4, left half red, right half blue, bottom row green.
constexpr int W = 6, H = 4;
int32_t expected_colour(int x, int y)
{
    if (y == H - 1)
        return 0x00FF00;
    return x < W / 2 ? 0x0000FF : 0xFF0000;
}

std::vector<uint8_t> rgb_pixels()
{
    std::vector<uint8_t> out;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            int32_t c = expected_colour(x, y);
            out.push_back(uint8_t(c));
            out.push_back(uint8_t(c >> 8));
            out.push_back(uint8_t(c >> 16));
        }
    }
    return out;
}

// A GIF of the picture, written by hand: a four-colour global table and an LZW stream that sends a
// clear code before every pixel, so every code stays three bits wide.
std::vector<uint8_t> gif_bytes()
{
    std::vector<uint8_t> out = { 'G', 'I', 'F', '8', '9', 'a', W, 0, H, 0, 0x81, 0, 0 };
    const uint8_t table[4][3] = { { 255, 0, 0 }, { 0, 0, 255 }, { 0, 255, 0 }, { 0, 0, 0 } };
    for (auto& entry : table)
        out.insert(out.end(), entry, entry + 3);
    out.insert(out.end(), { 0x2C, 0, 0, 0, 0, W, 0, H, 0, 0, 2 });
    std::vector<int> codes;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            codes.push_back(4);
            codes.push_back(y == H - 1 ? 2 : x < W / 2 ? 0 : 1);
        }
    }
    codes.push_back(5);
    std::vector<uint8_t> data;
    uint32_t bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= uint32_t(code) << count;
        count += 3;
        while (count >= 8) {
            data.push_back(uint8_t(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count)
        data.push_back(uint8_t(bits));
    out.push_back(uint8_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), { 0, 0x3B });
    return out;
}

class LoadPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_display();
        folder_ = std::filesystem::temp_directory_path() / ("velmo_picture_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        auto path = folder_ / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    // The colour of a picture's pixel, read through a memory context.
    static int32_t picture_pixel(const ObjectRef& picture, int x, int y)
    {
        auto handle = static_cast<HBITMAP>(late::get(picture, "Handle").to_long().value());
        ScopedMemoryDC dc(CreateCompatibleDC(0));
        ScopedSelection selected(dc.get(), handle);
        return int32_t(GetPixel(dc.get(), x, y));
    }

    std::filesystem::path folder_;
};

TEST_F(LoadPictureTest, LoadsEveryKindOfFile)
{
    auto rgb = rgb_pixels();
    stbi_write_bmp((folder_ / "p.bmp").c_str(), W, H, 3, rgb.data());
    stbi_write_png((folder_ / "p.png").c_str(), W, H, 3, rgb.data(), W * 3);
    stbi_write_jpg((folder_ / "p.jpg").c_str(), W, H, 3, rgb.data(), 100);
    write("p.gif", gif_bytes());
    struct Case {
        const char* file;
        int tolerance;  // JPEG is lossy
    };
    for (Case c : { Case { "p.bmp", 0 }, Case { "p.png", 0 }, Case { "p.gif", 0 }, Case { "p.jpg", 80 } }) {
        ObjectRef picture = LoadPicture((folder_ / c.file).string());
        ASSERT_NE(picture, nullptr) << c.file;
        EXPECT_EQ(late::get(picture, "Type"), Variant(Integer(1))) << c.file;
        EXPECT_EQ(late::get(picture, "Width"), Variant(Long(pixels_to_himetric(W)))) << c.file;
        EXPECT_EQ(late::get(picture, "Height"), Variant(Long(pixels_to_himetric(H)))) << c.file;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                int32_t got = picture_pixel(picture, x, y), want = expected_colour(x, y);
                for (int shift : { 0, 8, 16 })
                    ASSERT_NEAR((got >> shift) & 0xFF, (want >> shift) & 0xFF, c.tolerance) << c.file << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(LoadPictureTest, LoadPictureErrors)
{
    EXPECT_VELMO_ERROR(LoadPicture((folder_ / "missing.bmp").string()), err::FileNotFound, "");
    EXPECT_VELMO_ERROR(LoadPicture(write("text.bmp", { 'h', 'e', 'l', 'l', 'o' }).string()), err::InvalidPicture, "");
    EXPECT_VELMO_ERROR(LoadPicture(write("empty.png", {}).string()), err::InvalidPicture, "");
    auto gif = gif_bytes();
    gif.resize(20);
    EXPECT_VELMO_ERROR(LoadPicture(write("cut.gif", gif).string()), err::InvalidPicture, "");
    EXPECT_VELMO_ERROR(LoadPicture(folder_.string()), err::PathFileAccess, "");
    ObjectRef none = LoadPicture("");
    EXPECT_EQ(late::get(none, "Handle"), Variant(Long(0)));
    EXPECT_EQ(late::get(none, "Type"), Variant(Integer(0)));
}

TEST_F(LoadPictureTest, PicturesOwnTheirBitmaps)
{
    auto rgb = rgb_pixels();
    stbi_write_png((folder_ / "p.png").c_str(), W, H, 3, rgb.data(), W * 3);
    ObjectRef picture = LoadPicture((folder_ / "p.png").string());
    auto handle = static_cast<HBITMAP>(late::get(picture, "Handle").to_long().value());
    picture.reset();
    EXPECT_EQ(GetObjectA(handle, 0, nullptr), 0);
}

TEST_F(LoadPictureTest, PictureIsPaintedAsBackgroundAndAutoSizeFitsIt)
{
    auto rgb = rgb_pixels();
    stbi_write_png((folder_ / "p.png").c_str(), W, H, 3, rgb.data(), W * 3);
    ObjectRef picture = LoadPicture((folder_ / "p.png").string());
    auto box = PictureBox::create(10, 8);
    ObjectRef b = box;
    late::let(b, "BackColor", Long(0xFFFFFF));
    late::set(b, "Picture", picture);
    EXPECT_EQ(late::get(b, "Picture").to_object(), picture);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(box->pixel(x, y), x < W && y < H ? expected_colour(x, y) : 0xFFFFFF) << x << "," << y;

    // The way a skinned form prepares its box: pixel scale, persistent image, natural size, no border.
    late::let(b, "ScaleMode", 3);
    late::let(b, "AutoRedraw", True);
    late::let(b, "AutoSize", True);
    EXPECT_EQ(box->client_width(), W);
    EXPECT_EQ(box->client_height(), H);
    late::let(b, "BorderStyle", 0);
    EXPECT_EQ(late::get(b, "Width"), Variant(float(W * 15)));
    auto hdc = static_cast<HDC>(late::get(b, "hDC").to_long().value());
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(int32_t(GetPixel(hdc, x, y)), expected_colour(x, y)) << x << "," << y;

    // Nothing clears it; the property then answers an empty picture.
    late::set(b, "Picture", nullptr);
    ObjectRef empty = late::get(b, "Picture").to_object();
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(late::get(empty, "Handle"), Variant(Long(0)));
    EXPECT_EQ(box->pixel(0, 0), 0xFFFFFF);
    EXPECT_VELMO_ERROR(late::set(b, "Picture", box), err::TypeMismatch, "Host");
}

}  // namespace
}  // namespace velmo::host
