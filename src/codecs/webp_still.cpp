// A still WebP, lossless: a screen capture's text and edges stay exact.
#include <webp/encode.h>

#include "codecs/image_file.h"

namespace velmo::codecs {

std::vector<uint8_t> encode_webp_lossless(const gfx::Bitmap& pixels)
{
    if (pixels.size().is_empty())
        return {};
    // Opaque RGB: the bitmap's pad byte is no alpha.
    std::vector<uint8_t> rgb(static_cast<size_t>(pixels.width()) * pixels.height() * 3);
    uint8_t* out = rgb.data();
    for (uint32_t word : pixels.pixels()) {
        *out++ = uint8_t(word >> 16);
        *out++ = uint8_t(word >> 8);
        *out++ = uint8_t(word);
    }
    uint8_t* encoded = nullptr;
    size_t size = WebPEncodeLosslessRGB(rgb.data(), pixels.width(), pixels.height(), pixels.width() * 3, &encoded);
    std::vector<uint8_t> bytes(encoded, encoded + size);
    WebPFree(encoded);
    return bytes;
}

}  // namespace velmo::codecs
