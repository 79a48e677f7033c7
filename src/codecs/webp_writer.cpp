// Animated WebP, lossless, assembled here frame by frame: libwebp encodes each frame's changed
// rectangle as a still picture, and the frame goes to the file at once (a lone frame is written as
// a still picture, as libwebp's animation encoder would). Memory holds the canvas as last shown and
// one frame's encoding, never the animation: for W x H pixels, 4 bytes a pixel for the canvas plus
// what libwebp's lossless encoder takes for the largest changed rectangle, the whole canvas for the
// first frame (about 9 bytes a pixel for flat drawings, up to about 24 for noise-like photos).
// libwebp's animation encoder would add three more canvases of its own.
#include <sys/stat.h>
#include <unistd.h>
#include <webp/encode.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "automation/error.h"
#include "codecs/animation_writer.h"

namespace velmo::codecs {

namespace {

constexpr uint32_t opaque = 0xFF000000u;
constexpr uint32_t see_through = 0x00FFFFFFu;  // a pixel that leaves the canvas below as it was
constexpr int max_duration = (1 << 24) - 1;     // milliseconds, in a frame's 24 bits

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the bytes go: straight into the file, whose size field is filled in at the end; an output
// that cannot seek back (a pipe) gets the whole file at the end instead.
class Output {
public:
    explicit Output(const AtomicFile& file)
        : target_(file)
        , file_(std::fopen(file.path().c_str(), "wb"))
    {
        if (!file_)
            target_.fail(errno);
        struct stat status {};
        seekable_ = ::fstat(::fileno(file_), &status) == 0 && S_ISREG(status.st_mode);
    }
    ~Output()
    {
        if (file_)
            std::fclose(file_);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void put(const uint8_t* bytes, size_t n)
    {
        size_ += n;
        if (!seekable_) {
            held_.insert(held_.end(), bytes, bytes + n);
            return;
        }
        if (std::fwrite(bytes, 1, n, file_) != n)
            target_.fail(errno);
    }
    void put(std::initializer_list<uint8_t> bytes) { put(bytes.begin(), bytes.size()); }
    void put_tag(const char (&tag)[5]) { put(reinterpret_cast<const uint8_t*>(tag), 4); }
    void put24(uint32_t value) { put({ uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16) }); }
    void put32(uint32_t value) { put({ uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24) }); }

    size_t size() const { return size_; }

    // Write over bytes written earlier.
    void patch24(size_t offset, uint32_t value) { patch(offset, { uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16) }); }
    void patch32(size_t offset, uint32_t value)
    {
        patch(offset, { uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24) });
    }

    void close()
    {
        bool written = seekable_ || std::fwrite(held_.data(), 1, held_.size(), file_) == held_.size();
        int saved = errno;
        bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!written || !closed)
            target_.fail(written ? errno : saved);
    }

private:
    const AtomicFile& target_;
    std::FILE* file_;
    bool seekable_ = false;
    size_t size_ = 0;
    std::vector<uint8_t> held_;

    void patch(size_t offset, std::initializer_list<uint8_t> bytes)
    {
        if (!seekable_) {
            std::copy(bytes.begin(), bytes.end(), held_.begin() + ptrdiff_t(offset));
            return;
        }
        if (std::fseek(file_, long(offset), SEEK_SET) != 0 || std::fwrite(bytes.begin(), 1, bytes.size(), file_) != bytes.size()
            || std::fseek(file_, 0, SEEK_END) != 0)
            target_.fail(errno);
    }
};

class WebpWriter : public AnimationWriter {
public:
    WebpWriter(const AtomicFile& file, int width, int height, int frame_ms)
        : target_(file)
        , out_(file)
        , width_(width)
        , height_(height)
        , frame_ms_(frame_ms)
    {
        if (width < 1 || height < 1 || width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION)
            target_.fail("cannot start a WebP animation of " + std::to_string(width) + "x" + std::to_string(height));
        if (!WebPConfigInit(&config_))
            target_.fail("the WebP encoder does not match its headers");
        config_.lossless = 1;
        config_.method = 0;  // the quickest effort; snow on a still picture packs well anyway
        config_.quality = 0;

    }

    void add_frame(std::span<const uint32_t> pixels) override
    {
        if (canvas_.empty()) {
            // The first frame whole; the canvas is it from now on. It waits for a second: alone,
            // it is written as a still picture.
            canvas_.resize(size_t(width_) * height_);
            std::transform(pixels.begin(), pixels.begin() + ptrdiff_t(canvas_.size()), canvas_.begin(),
                [](uint32_t p) { return p | opaque; });
            first_ = encode(Rect { 0, 0, width_, height_ }, canvas_.data());
            last_duration_ = frame_ms_;
            return;
        }
        std::optional<Rect> found = changed_rect(pixels);
        if (!found && last_duration_ + frame_ms_ <= max_duration) {
            // Nothing changed: the frame before shows longer.
            last_duration_ += frame_ms_;
            if (first_.empty())
                out_.patch24(last_duration_at_, uint32_t(last_duration_));
            return;
        }
        if (!first_.empty()) {
            start_animation();
            put_frame(Rect { 0, 0, width_, height_ }, false, first_);
            std::vector<uint8_t>().swap(first_);
        }
        Rect changed = found.value_or(Rect { 0, 0, 1, 1 });  // a see-through pixel keeps the time
        // The frame's offset is stored halved.
        changed.width += changed.x & 1;
        changed.height += changed.y & 1;
        changed.x &= ~1;
        changed.y &= ~1;
        // Only what changed is drawn; the rest of the rectangle lets the canvas show through.
        part_.resize(size_t(changed.width) * changed.height);
        for (int y = 0; y < changed.height; ++y) {
            const uint32_t* now = pixels.data() + size_t(changed.y + y) * width_ + changed.x;
            uint32_t* shown = canvas_.data() + size_t(changed.y + y) * width_ + changed.x;
            uint32_t* part = part_.data() + size_t(y) * changed.width;
            for (int x = 0; x < changed.width; ++x) {
                uint32_t p = now[x] | opaque;
                part[x] = p == shown[x] ? see_through : p;
                shown[x] = p;
            }
        }
        last_duration_ = frame_ms_;
        put_frame(changed, true, encode(changed, part_.data()));
        if (part_.size() > size_t(1) << 20)
            std::vector<uint32_t>().swap(part_);  // a large part is not kept between frames
    }

    void finish() override
    {
        if (!first_.empty()) {
            out_.put(first_.data(), first_.size());
        } else {
            if (out_.size() - 8 > UINT32_MAX)
                target_.fail("the animation is too large for a WebP file");
            out_.patch32(4, uint32_t(out_.size() - 8));
        }
        out_.close();
    }

private:
    void start_animation()
    {
        out_.put_tag("RIFF");
        out_.put32(0);  // the size, known at the end
        out_.put_tag("WEBP");
        out_.put_tag("VP8X");
        out_.put32(10);
        out_.put({ 0x10 | 0x02, 0, 0, 0 });  // alpha (the later frames' see-through pixels), animation
        out_.put24(uint32_t(width_ - 1));
        out_.put24(uint32_t(height_ - 1));
        out_.put_tag("ANIM");
        out_.put32(6);
        out_.put32(0xFFFFFFFF);  // background: white, unused, as no frame is disposed
        out_.put({ 0, 0 });      // loop for ever
    }

    // The smallest rectangle holding every pixel that differs from the canvas, if one does.
    std::optional<Rect> changed_rect(std::span<const uint32_t> pixels) const
    {
        int left = width_, top = height_, right = -1, bottom = -1;
        for (int y = 0; y < height_; ++y) {
            const uint32_t* now = pixels.data() + size_t(y) * width_;
            const uint32_t* shown = canvas_.data() + size_t(y) * width_;
            int x = 0;
            while (x < width_ && (now[x] | opaque) == shown[x])
                ++x;
            if (x == width_)
                continue;
            int last = width_ - 1;
            while ((now[last] | opaque) == shown[last])
                --last;
            top = std::min(top, y);
            bottom = y;
            left = std::min(left, x);
            right = std::max(right, last);
        }
        if (right < 0)
            return std::nullopt;
        return Rect { left, top, right - left + 1, bottom - top + 1 };
    }

    static int collect(const uint8_t* data, size_t size, const WebPPicture* picture)
    {
        auto* bytes = static_cast<std::vector<uint8_t>*>(picture->custom_ptr);
        bytes->insert(bytes->end(), data, data + size);
        return 1;
    }

    // A still picture's file of `argb`, the rows of `area` one after another: "RIFF", size, "WEBP",
    // then its one chunk, which an animation's frame holds.
    static constexpr size_t file_head = 12;
    std::vector<uint8_t> encode(Rect area, uint32_t* argb)
    {
        WebPPicture picture;
        if (!WebPPictureInit(&picture))
            target_.fail("the WebP encoder does not match its headers");
        picture.use_argb = 1;
        picture.width = area.width;
        picture.height = area.height;
        picture.argb = argb;
        picture.argb_stride = area.width;
        std::vector<uint8_t> encoded;
        picture.writer = collect;
        picture.custom_ptr = &encoded;
        bool ok = WebPEncode(&config_, &picture);
        WebPEncodingError error = picture.error_code;
        WebPPictureFree(&picture);  // frees only what the encoder added; the pixels are borrowed
        if (!ok) {
            if (error == VP8_ENC_ERROR_OUT_OF_MEMORY)
                throw Error(err::OutOfMemory, "velmo", "out of memory for a WebP frame");
            target_.fail("WebP encoder: error " + std::to_string(int(error)));
        }
        if (encoded.size() < file_head + 8 || std::memcmp(encoded.data() + file_head, "VP8L", 4) != 0)
            target_.fail("WebP encoder: not a lossless picture");
        return encoded;
    }

    // Writes `still` as the frame covering `area`, shown for last_duration_.
    void put_frame(Rect area, bool blend, const std::vector<uint8_t>& still)
    {
        size_t chunk = still.size() - file_head;
        out_.put_tag("ANMF");
        out_.put32(uint32_t(16 + chunk));
        out_.put24(uint32_t(area.x / 2));
        out_.put24(uint32_t(area.y / 2));
        out_.put24(uint32_t(area.width - 1));
        out_.put24(uint32_t(area.height - 1));
        last_duration_at_ = out_.size();
        out_.put24(uint32_t(last_duration_));
        out_.put({ uint8_t(blend ? 0 : 0x02) });  // bit 1: do not blend; bit 0 clear: not disposed
        out_.put(still.data() + file_head, chunk);
    }

    const AtomicFile& target_;
    Output out_;
    int width_;
    int height_;
    int frame_ms_;
    WebPConfig config_ {};
    std::vector<uint32_t> canvas_;  // opaque ARGB, as the animation shows it after the last frame
    std::vector<uint32_t> part_;    // the changed rectangle being encoded
    std::vector<uint8_t> first_;    // the first frame's still picture, until a second frame comes
    size_t last_duration_at_ = 0;   // where the last frame's duration is in the file
    int last_duration_ = 0;         // of the last frame, in milliseconds
};

}  // namespace

std::unique_ptr<AnimationWriter> make_webp_writer(const AtomicFile& file, int width, int height, int frame_ms)
{
    return std::make_unique<WebpWriter>(file, width, height, frame_ms);
}

}  // namespace velmo::codecs
