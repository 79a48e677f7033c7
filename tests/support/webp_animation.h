// An animated WebP as libwebp's own decoder shows it, for checking what the writers wrote: the
// canvas, each frame whole as top-down RGBA bytes, and when each frame ends.
#pragma once

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstdint>
#include <span>
#include <vector>

namespace velmo::testing {

struct WebpAnimation {
    bool animated = false;  // the file says it is an animation
    int width = 0;
    int height = 0;
    std::vector<std::vector<uint8_t>> rgba;
    std::vector<int> ends_ms;
};

// Empty where libwebp cannot read the bytes.
inline WebpAnimation decode_webp_animation(std::span<const uint8_t> bytes)
{
    WebpAnimation animation;
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK)
        return animation;
    animation.animated = features.has_animation;
    WebPData data { bytes.data(), bytes.size() };
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder)
        return animation;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    animation.width = int(info.canvas_width);
    animation.height = int(info.canvas_height);
    const size_t bytes_per_frame = size_t(animation.width) * size_t(animation.height) * 4;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        uint8_t* rgba = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder, &rgba, &timestamp))
            break;
        animation.rgba.emplace_back(rgba, rgba + bytes_per_frame);
        animation.ends_ms.push_back(timestamp);
    }
    WebPAnimDecoderDelete(decoder);
    return animation;
}

}  // namespace velmo::testing
