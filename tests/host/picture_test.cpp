// LoadPicture from each file kind, its errors, and pictures on surfaces: background, AutoSize,
// the empty picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "automation/late.h"
#include "host/load_picture.h"
#include "host/picture_box.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/picture.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"
#include "support/picture_fixture.h"
#include "support/temp_folder.h"
#include "support/velmo_error.h"

namespace velmo::host {
namespace {

using namespace velmo::platform;

using fixture::picture_color;
using fixture::picture_file;
using fixture::PictureFormat;
constexpr int W = fixture::picture_width, H = fixture::picture_height;

class LoadPictureTest : public velmo::testing::MemoryDisplayTest {
protected:

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

    velmo::testing::TempFolder folder_ { "velmo-picture" };
};

TEST_F(LoadPictureTest, LoadsEveryKindOfFile)
{
    write("p.bmp", picture_file(PictureFormat::Bmp));
    write("p.png", picture_file(PictureFormat::Png));
    write("p.jpg", picture_file(PictureFormat::Jpeg));
    write("p.gif", picture_file(PictureFormat::Gif));
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
                int32_t got = picture_pixel(picture, x, y), want = picture_color(x, y);
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
    auto gif = picture_file(PictureFormat::Gif);
    gif.resize(20);
    EXPECT_VELMO_ERROR(LoadPicture(write("cut.gif", gif).string()), err::InvalidPicture, "");
    // Kinds the decoder knows but LoadPicture does not: a TGA (whose header has no signature, so
    // that almost any bytes pass for one) and a PPM.
    const std::vector<uint8_t> tga = { 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0, 0, 0, 255, 255, 255, 255 };
    EXPECT_VELMO_ERROR(LoadPicture(write("p.tga", tga).string()), err::InvalidPicture, "");
    const std::string ppm = "P6\n1 1\n255\n\xFF\x00\x00";
    EXPECT_VELMO_ERROR(LoadPicture(write("p.ppm", { ppm.begin(), ppm.end() }).string()), err::InvalidPicture, "");
    EXPECT_VELMO_ERROR(LoadPicture(folder_.string()), err::PathFileAccess, "");
    ObjectRef none = LoadPicture("");
    EXPECT_EQ(late::get(none, "Handle"), Variant(Long(0)));
    EXPECT_EQ(late::get(none, "Type"), Variant(Integer(0)));
}

// Inputs that never end or would take all memory: each is refused at once with a reason, without
// waiting for a writer or reading what a picture could not hold.
TEST_F(LoadPictureTest, FilesThatAreNoRegularPictureFileAreRefusedBeforeReading)
{
    const auto fifo = folder_ / "fifo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto sparse = [&](const char* name, std::vector<uint8_t> head, off_t size) {
        auto path = write(name, head);
        EXPECT_EQ(::truncate(path.c_str(), size), 0);
        return path;
    };
    auto png_head = picture_file(PictureFormat::Png);
    png_head.resize(64);
    struct Case {
        std::string file;
        const char* reason;
    };
    const Case cases[] = {
        { fifo.string(), "not a regular file" },
        { "/dev/zero", "not a regular file" },
        { "/dev/urandom", "not a regular file" },
        { sparse("huge.png", png_head, off_t(3) << 30).string(), "larger than any picture" },
        { sparse("huge.bmp", { 'B', 'M' }, off_t(1) << 40).string(), "larger than any picture" },
        // Under the limit but no picture by its first bytes: refused before the rest is read.
        { sparse("zeros.png", {}, off_t(500) << 20).string(), "Invalid picture" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            LoadPicture(c.file);
            ADD_FAILURE() << "loaded";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), err::InvalidPicture) << e.to_text();
            EXPECT_NE(e.description().find(c.reason), std::string::npos) << e.to_text();
        }
    }
}

// A file the loader checks before decoding, and whether the check lets it through.
struct CheckCase {
    const char* what;
    std::vector<uint8_t> bytes;
    bool fits;
};

// Each case passes or fails `fits` as it says, and a failing one is no picture (481).
void expect_checked(bool (*fits)(std::span<const uint8_t>), const std::vector<CheckCase>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fits(c.bytes), c.fits);
        if (!c.fits)
            EXPECT_VELMO_ERROR(picture_from_bytes(c.bytes), err::InvalidPicture, "");
    }
}

// The window positions of the Huffman tables in the first DHT segment of a JPEG.
std::vector<size_t> huffman_tables(const std::vector<uint8_t>& jpeg)
{
    size_t dht = 2;
    while (!(jpeg[dht] == 0xFF && jpeg[dht + 1] == 0xC4))
        dht += 2 + (size_t(jpeg[dht + 2]) << 8 | jpeg[dht + 3]);
    const size_t end = dht + 2 + (size_t(jpeg[dht + 2]) << 8 | jpeg[dht + 3]);
    std::vector<size_t> tables;
    for (size_t table = dht + 4; table < end;) {
        tables.push_back(table);
        size_t codes = 0;
        for (size_t k = 1; k <= 16; ++k)
            codes += jpeg[table + k];
        table += 17 + codes;
    }
    return tables;
}

TEST_F(LoadPictureTest, JpegWithMoreThan256HuffmanCodesInATableIsRefused)
{
    const auto good = picture_file(PictureFormat::Jpeg);
    const auto tables = huffman_tables(good);
    ASSERT_GE(tables.size(), 2u);
    // A table's 16 counts set to `codes` in all, the rest of the file as it was.
    auto with_codes = [&](size_t table, int codes) {
        auto bytes = good;
        for (size_t k = 1; k <= 16; ++k) {
            bytes[table + k] = uint8_t(std::min(codes, 255));
            codes -= bytes[table + k];
        }
        return bytes;
    };
    // The same table again after the image's scan, as a progressive file places its tables.
    auto after_the_scan = [&](int codes) {
        auto bytes = good;
        bytes.resize(bytes.size() - 2);  // without EOI
        std::vector<uint8_t> segment = { 0xFF, 0xC4, 0, 19, 0x10 };
        segment.resize(21, 0);
        segment[20] = uint8_t(codes > 255 ? 255 : codes);
        segment[19] = uint8_t(codes > 255 ? codes - 255 : 0);
        bytes.insert(bytes.end(), segment.begin(), segment.end());
        bytes.insert(bytes.end(), { 0xFF, 0xD9 });
        return bytes;
    };
    expect_checked(jpeg_huffman_tables_fit, {
        { "the intact file", good, true },
        { "first table, 257 codes", with_codes(tables.front(), 257), false },
        { "last table of the segment, 256 codes", with_codes(tables.back(), 256), true },
        { "last table of the segment, 4080 codes", with_codes(tables.back(), 16 * 255), false },
        { "a table after the scan, 256 codes", after_the_scan(256), true },
        { "a table after the scan, 300 codes", after_the_scan(300), false },
        { "fill bytes before the start marker", [&] {
             auto bytes = with_codes(tables.front(), 257);
             bytes.insert(bytes.begin(), 3, 0xFF);
             return bytes;
         }(), false },
        { "a PNG", picture_file(PictureFormat::Png), true },
        { "nothing", {}, true },
    });
}

TEST_F(LoadPictureTest, PngWithAChunkLongerThanTheFileIsRefused)
{
    const auto good = picture_file(PictureFormat::Png);
    const auto idat = size_t(std::search(good.begin(), good.end(), std::begin("IDAT"), std::end("IDAT") - 1) - good.begin()) - 4;
    ASSERT_LT(idat + 8, good.size());
    auto with_idat_length = [&](uint32_t length) {
        auto bytes = good;
        for (int k = 0; k < 4; ++k)
            bytes[idat + k] = uint8_t(length >> (24 - 8 * k));
        return bytes;
    };
    const uint32_t rest = uint32_t(good.size() - idat - 8);
    expect_checked(png_chunks_fit, {
        { "the intact file", good, true },
        { "image data claiming 1 GiB", with_idat_length(0x46383900), false },
        { "image data claiming one byte more than the file holds", with_idat_length(rest + 1), false },
        { "image data running to the last byte", with_idat_length(rest), true },
        { "anything after the end chunk", [&] {
             auto bytes = good;
             bytes.insert(bytes.end(), { 0x7F, 0xFF, 0xFF, 0xFF, 'I', 'D', 'A', 'T' });
             return bytes;
         }(), true },
        { "a JPEG", picture_file(PictureFormat::Jpeg), true },
    });
    EXPECT_NE(picture_from_bytes(good), nullptr);
}

TEST_F(LoadPictureTest, PicturesOwnTheirBitmaps)
{
    write("p.png", picture_file(PictureFormat::Png));
    ObjectRef picture = LoadPicture((folder_ / "p.png").string());
    auto handle = static_cast<HBITMAP>(late::get(picture, "Handle").to_long().value());
    picture.reset();
    EXPECT_EQ(GetObjectA(handle, 0, nullptr), 0);
}

TEST_F(LoadPictureTest, PictureIsPaintedAsBackgroundAndAutoSizeFitsIt)
{
    write("p.png", picture_file(PictureFormat::Png));
    ObjectRef picture = LoadPicture((folder_ / "p.png").string());
    auto box = PictureBox::create(10, 8);
    ObjectRef b = box;
    late::let(b, "BackColor", Long(0xFFFFFF));
    late::set(b, "Picture", picture);
    EXPECT_EQ(late::get(b, "Picture").to_object(), picture);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(box->pixel(x, y), x < W && y < H ? picture_color(x, y) : 0xFFFFFF) << x << "," << y;

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
            ASSERT_EQ(int32_t(GetPixel(hdc, x, y)), picture_color(x, y)) << x << "," << y;

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
