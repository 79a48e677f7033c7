#include "support/picture_fixture.h"

#include <stb_image_write.h>

namespace velmo::fixture {

namespace {

constexpr int W = picture_width;
constexpr int H = picture_height;

std::vector<uint8_t> rgb_pixels()
{
    std::vector<uint8_t> out;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            int32_t c = picture_color(x, y);
            out.push_back(uint8_t(c));
            out.push_back(uint8_t(c >> 8));
            out.push_back(uint8_t(c >> 16));
        }
    }
    return out;
}

// Written by hand, since the writer has no GIF: a four-colour global table and an LZW stream that
// sends a clear code before every pixel, so every code stays three bits wide.
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

void append(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

int32_t picture_color(int x, int y)
{
    if (y == H - 1)
        return 0x00FF00;
    return x < W / 2 ? 0x0000FF : 0xFF0000;
}

std::vector<uint8_t> picture_file(PictureFormat format)
{
    if (format == PictureFormat::Gif)
        return gif_bytes();
    const auto rgb = rgb_pixels();
    std::vector<uint8_t> out;
    switch (format) {
    case PictureFormat::Bmp: stbi_write_bmp_to_func(append, &out, W, H, 3, rgb.data()); break;
    case PictureFormat::Jpeg: stbi_write_jpg_to_func(append, &out, W, H, 3, rgb.data(), 100); break;
    case PictureFormat::Png: stbi_write_png_to_func(append, &out, W, H, 3, rgb.data(), W * 3); break;
    case PictureFormat::Gif: break;
    }
    return out;
}

}  // namespace velmo::fixture
