// Animated WebP through libwebp's animation encoder, lossless: one-pixel flakes stay sharp, and
// the encoder stores each frame as the part that changed.
#include <webp/encode.h>
#include <webp/mux.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "automation/error.h"
#include "codecs/animation_writer.h"

namespace velmo::codecs {

namespace {

class WebpWriter : public AnimationWriter {
public:
    WebpWriter(const AtomicFile& file, int width, int height, int frame_ms)
        : file_(file)
        , width_(width)
        , height_(height)
        , frame_ms_(frame_ms)
    {
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config_))
            file_.fail("the WebP encoder does not match its headers");
        options.anim_params.loop_count = 0;
        options.kmax = 0;  // no forced key frames: each frame is what changed
        config_.lossless = 1;
        config_.method = 0;  // the quickest effort; snow on a still picture packs well anyway
        config_.quality = 0;
        encoder_ = WebPAnimEncoderNew(width, height, &options);
        if (!encoder_)
            file_.fail("cannot start a WebP animation of " + std::to_string(width) + "x" + std::to_string(height));
        if (!WebPPictureInit(&picture_))
            file_.fail("the WebP encoder does not match its headers");
        picture_.use_argb = 1;
        picture_.width = width;
        picture_.height = height;
    }
    ~WebpWriter() override
    {
        WebPPictureFree(&picture_);
        if (encoder_)
            WebPAnimEncoderDelete(encoder_);
    }

    void add_frame(std::span<const uint32_t> pixels) override
    {
        // Little-endian 0x00RRGGBB words are the bytes blue, green, red, unused.
        if (!WebPPictureImportBGRX(&picture_, reinterpret_cast<const uint8_t*>(pixels.data()), width_ * 4))
            throw Error(err::OutOfMemory, "velmo", "out of memory for a WebP frame");
        if (!WebPAnimEncoderAdd(encoder_, &picture_, timestamp_, &config_))
            encoder_failed();
        timestamp_ += frame_ms_;
    }

    void finish() override
    {
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAdd(encoder_, nullptr, timestamp_, nullptr) || !WebPAnimEncoderAssemble(encoder_, &data))
            encoder_failed();
        std::FILE* file = std::fopen(file_.path().c_str(), "wb");
        bool written = file && std::fwrite(data.bytes, 1, data.size, file) == data.size;
        int saved = errno;
        bool closed = file && std::fclose(file) == 0;
        WebPDataClear(&data);
        if (!written || !closed)
            file_.fail(written ? errno : saved);
    }

private:
    [[noreturn]] void encoder_failed() const
    {
        const char* why = WebPAnimEncoderGetError(encoder_);
        file_.fail(std::string("WebP encoder: ") + (why && *why ? why : "failed"));
    }

    const AtomicFile& file_;
    int width_;
    int height_;
    int frame_ms_;
    int timestamp_ = 0;
    WebPConfig config_ {};
    WebPPicture picture_ {};
    WebPAnimEncoder* encoder_ = nullptr;
};

}  // namespace

std::unique_ptr<AnimationWriter> make_webp_writer(const AtomicFile& file, int width, int height, int frame_ms)
{
    return std::make_unique<WebpWriter>(file, width, height, frame_ms);
}

}  // namespace velmo::codecs
