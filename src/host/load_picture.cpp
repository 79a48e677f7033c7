#include "host/load_picture.h"

#include <stb_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gdi.h"
#include "platform/picture.h"
#include "platform/scoped.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

namespace {

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

// Decoded pixels wider or taller than this are refused as no picture, before any bitmap exists.
constexpr int max_side = 1 << 15;

}  // namespace

bool jpeg_huffman_tables_fit(std::span<const uint8_t> bytes)
{
    // The decoder reads past the end as zeros; so does this walk.
    auto at = [&](size_t i) -> size_t { return i < bytes.size() ? bytes[i] : 0; };
    // The start marker, which the decoder takes after any number of fill bytes 0xFF.
    size_t start = 0;
    while (at(start) == 0xFF && at(start + 1) == 0xFF)
        ++start;
    if (at(start) != 0xFF || at(start + 1) != 0xD8)
        return true;
    // Every marker, in segments and between the scans' entropy-coded data (where tables of a
    // progressive file come), as the decoder meets them.
    for (size_t i = start + 2; i + 1 < bytes.size();) {
        uint8_t marker = bytes[i + 1];
        if (bytes[i] != 0xFF || marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;  // a stuffed byte, TEM or a restart marker: no length follows
            continue;
        }
        if (marker == 0xD9)
            break;
        const size_t length = at(i + 2) << 8 | at(i + 3);
        if (marker == 0xC4) {
            // Tables follow one another while the segment's length lasts: class and id, 16 counts,
            // then the codes.
            size_t table = i + 4;
            for (int64_t left = int64_t(length) - 2; left > 0;) {
                size_t codes = 0;
                for (size_t k = 1; k <= 16; ++k)
                    codes += at(table + k);
                if (codes > 256)
                    return false;
                table += 17 + codes;
                left -= 17 + int64_t(codes);
            }
        }
        i += 2 + length;
    }
    return true;
}

bool png_chunks_fit(std::span<const uint8_t> bytes)
{
    static constexpr uint8_t signature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (bytes.size() < sizeof signature || !std::equal(std::begin(signature), std::end(signature), bytes.begin()))
        return true;
    auto word_at = [&](size_t i) { return uint32_t(bytes[i]) << 24 | uint32_t(bytes[i + 1]) << 16 | uint32_t(bytes[i + 2]) << 8 | bytes[i + 3]; };
    // Each chunk: its length, its type, that many bytes of data, a checksum. The decoder stops at
    // IEND; a header cut short is read as zeros and fails there without a large allocation.
    for (size_t i = sizeof signature; i + 8 <= bytes.size();) {
        const uint32_t length = word_at(i);
        if (length > bytes.size() - i - 8)
            return false;
        if (word_at(i + 4) == 0x49454E44)  // IEND
            break;
        i += 12 + size_t(length);
    }
    return true;
}

bool is_known_picture_kind(std::span<const uint8_t> bytes)
{
    auto starts_with = [&](std::string_view head) {
        return bytes.size() >= head.size() && std::equal(head.begin(), head.end(), bytes.begin(), [](char a, uint8_t b) { return uint8_t(a) == b; });
    };
    auto le32_at = [&](size_t i) {
        return i + 4 <= bytes.size() ? uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 | uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 3]) << 24 : 0;
    };
    // Each test is the decoder's own for that kind, so a file that passes one is decoded as that
    // kind and never falls through to a kind without a signature (a TGA takes almost any bytes).
    if (starts_with("\xFF")) {  // JPEG: the start marker after any number of fill bytes
        auto first = std::find_if(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0xFF; });
        return first != bytes.end() && *first == 0xD8;
    }
    if (starts_with("\x89PNG\r\n\x1A\n") || starts_with("GIF87a") || starts_with("GIF89a"))
        return true;
    if (starts_with("BM")) {  // the size of a header of one of the versions there are
        const uint32_t header = le32_at(14);
        return header == 12 || header == 40 || header == 56 || header == 108 || header == 124;
    }
    return false;
}

ObjectRef picture_from_bytes(std::span<const uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX) || !is_known_picture_kind(bytes) || !jpeg_huffman_tables_fit(bytes)
        || !png_chunks_fit(bytes))
        raise(err::InvalidPicture);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels) || width <= 0 || height <= 0
        || width > max_side || height > max_side || int64_t(width) * height > (int64_t(1) << 26))
        raise(err::InvalidPicture);
    std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4));
    if (!rgba)
        raise(err::InvalidPicture);

    // Red, green, blue, alpha bytes become blue, green, red, reserved, in place: the decoder's
    // buffer is the bitmap's rows, with no second copy of a picture that may be large.
    stbi_uc* const pixels = rgba.get();
    for (size_t i = 0, n = static_cast<size_t>(width) * height * 4; i < n; i += 4) {
        std::swap(pixels[i], pixels[i + 2]);
        pixels[i + 3] = 0;
    }

    ScopedWindowDC screen(GetDC(0), 0);
    ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap)
        raise(err::OutOfMemory);
    BITMAPINFO info {};
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS);
    return std::make_shared<Picture>(bitmap.release(), 0, Picture::Ownership::Owns);
}

ObjectRef LoadPicture(const std::string& file_name)
{
    if (file_name.empty())
        return Picture::empty();
    std::error_code ec;
    std::filesystem::path path(file_name);
    auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        raise(err::FileNotFound);
    if (std::filesystem::is_directory(status))
        raise(err::PathFileAccess);
    std::ifstream file(path, std::ios::binary);
    if (!file)
        raise(err::PathFileAccess);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        raise(err::PathFileAccess);
    return picture_from_bytes(bytes);
}

}  // namespace velmo::host
