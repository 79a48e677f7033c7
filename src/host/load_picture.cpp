#include "host/load_picture.h"

#include <stb_image.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
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

ObjectRef picture_from_bytes(std::span<const uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX))
        raise(err::InvalidPicture);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels) || width <= 0 || height <= 0
        || width > max_side || height > max_side || int64_t(width) * height > (int64_t(1) << 26))
        raise(err::InvalidPicture);
    std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4));
    if (!rgba)
        raise(err::InvalidPicture);

    // Red, green, blue, alpha bytes become blue, green, red, reserved.
    std::vector<uint32_t> rows(static_cast<size_t>(width) * height);
    const stbi_uc* in = rgba.get();
    for (auto& word : rows) {
        word = (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
        in += 4;
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
    SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), rows.data(), &info, DIB_RGB_COLORS);
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
