// Animated GIF: one global palette, the first frame whole, every later frame as the rectangle that
// changed with its unchanged pixels transparent (long runs of one index, which LZW packs well).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "codecs/animation_writer.h"

namespace velmo::codecs {

namespace {

constexpr int max_code = 4095;
constexpr uint8_t transparent = 255;

// GIF's variable-width LZW, codes packed from the low bit up, as 255-byte sub-blocks. The code
// table is stamped with a generation, so a clear costs no memset.
class LzwEncoder {
public:
    void encode(const std::vector<uint8_t>& indexes, std::vector<uint8_t>& out)
    {
        bytes_.clear();
        start_table();
        emit(clear_code);
        uint32_t prefix = indexes.front();
        for (size_t i = 1; i < indexes.size(); ++i) {
            uint8_t k = indexes[i];
            uint32_t& slot = table_[(prefix << 8) | k];
            if ((slot >> 12) == generation_) {
                prefix = slot & 0xFFF;
                continue;
            }
            emit(prefix);
            prefix = k;
            if (next_ >= max_code) {
                emit(clear_code);
                start_table();
            } else {
                slot = (generation_ << 12) | next_++;
            }
        }
        emit(prefix);
        emit(end_code);
        if (bit_count_ > 0)
            bytes_.push_back(static_cast<uint8_t>(bits_));
        bits_ = 0;
        bit_count_ = 0;

        out.push_back(min_code_size);
        for (size_t at = 0; at < bytes_.size(); at += 255) {
            size_t n = std::min<size_t>(255, bytes_.size() - at);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), bytes_.begin() + at, bytes_.begin() + at + n);
        }
        out.push_back(0);
    }

private:
    static constexpr uint32_t min_code_size = 8;
    static constexpr uint32_t clear_code = 1u << min_code_size;
    static constexpr uint32_t end_code = clear_code + 1;

    void start_table()
    {
        if (++generation_ >= (1u << 20)) {
            std::fill(table_.begin(), table_.end(), 0);
            generation_ = 1;
        }
        next_ = end_code + 1;
        code_size_ = min_code_size + 1;
    }

    // A code goes out at the current width; the width grows once the next code would not fit.
    void emit(uint32_t code)
    {
        bits_ |= code << bit_count_;
        bit_count_ += code_size_;
        while (bit_count_ >= 8) {
            bytes_.push_back(static_cast<uint8_t>(bits_));
            bits_ >>= 8;
            bit_count_ -= 8;
        }
        if (next_ >= (1u << code_size_) && code_size_ < 12)
            ++code_size_;
    }

    std::vector<uint32_t> table_ = std::vector<uint32_t>(size_t(max_code + 1) << 8, 0);
    uint32_t generation_ = 0;
    uint32_t next_ = 0;
    uint32_t code_size_ = 0;
    uint32_t bits_ = 0;
    uint32_t bit_count_ = 0;
    std::vector<uint8_t> bytes_;
};

class GifWriter : public AnimationWriter {
public:
    GifWriter(const AtomicFile& file, int width, int height, int delay_cs)
        : target_(file)
        , width_(width)
        , height_(height)
        , delay_cs_(delay_cs)
        , file_(std::fopen(file.path().c_str(), "wb"))
    {
        if (!file_)
            fail();
    }
    ~GifWriter() override
    {
        if (file_)
            std::fclose(file_);
    }

    void add_frame(std::span<const uint32_t> pixels) override
    {
        if (previous_.empty()) {
            choose_palette(pixels);
            write_head();
            write_frame(pixels, 0, 0, width_, height_, false);
            previous_.assign(pixels.begin(), pixels.end());
            return;
        }
        int left = width_, top = height_, right = -1, bottom = -1;
        for (int y = 0; y < height_; ++y) {
            const uint32_t* row = pixels.data() + size_t(y) * width_;
            const uint32_t* before = previous_.data() + size_t(y) * width_;
            if (std::memcmp(row, before, size_t(width_) * 4) == 0)
                continue;
            top = std::min(top, y);
            bottom = y;
            for (int x = 0; x < width_; ++x) {
                if (row[x] != before[x]) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        if (right < 0)
            left = top = right = bottom = 0;  // nothing changed: one transparent pixel keeps the time
        write_frame(pixels, left, top, right - left + 1, bottom - top + 1, true);
        previous_.assign(pixels.begin(), pixels.end());
    }

    void finish() override
    {
        put({ 0x3B });
        if (std::fclose(file_) != 0) {
            file_ = nullptr;
            fail();
        }
        file_ = nullptr;
    }

private:
    [[noreturn]] void fail() const { target_.fail(errno); }

    void put(std::initializer_list<uint8_t> bytes) { put(bytes.begin(), bytes.size()); }
    void put(const uint8_t* bytes, size_t n)
    {
        if (std::fwrite(bytes, 1, n, file_) != n)
            fail();
    }
    void put16(int value) { put({ static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8) }); }

    void choose_palette(std::span<const uint32_t> pixels)
    {
        palette_ = { 0x000000, 0xFFFFFF };
        index_ = { { 0x000000, 0 }, { 0xFFFFFF, 1 } };
        for (uint32_t p : pixels) {
            p &= 0xFFFFFF;
            if (index_.contains(p))
                continue;
            if (palette_.size() == transparent) {
                use_cube();
                return;
            }
            index_.emplace(p, static_cast<uint8_t>(palette_.size()));
            palette_.push_back(p);
        }
    }

    void use_cube()
    {
        cube_ = true;
        palette_.clear();
        index_.clear();
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 7; ++g)
                for (int b = 0; b < 6; ++b)
                    palette_.push_back(uint32_t(r * 51) << 16 | uint32_t(g * 255 / 6) << 8 | uint32_t(b * 51));
    }

    uint8_t index_of(uint32_t color)
    {
        int r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
        if (cube_)
            return static_cast<uint8_t>(((r + 25) / 51) * 42 + ((g * 6 + 127) / 255) * 6 + (b + 25) / 51);
        color &= 0xFFFFFF;
        if (auto it = index_.find(color); it != index_.end())
            return it->second;
        // A colour the first frame did not have: the nearest entry, remembered.
        uint8_t best = 0;
        int best_distance = 1 << 30;
        for (size_t i = 0; i < palette_.size(); ++i) {
            int dr = r - int((palette_[i] >> 16) & 0xFF), dg = g - int((palette_[i] >> 8) & 0xFF), db = b - int(palette_[i] & 0xFF);
            int distance = dr * dr + dg * dg + db * db;
            if (distance < best_distance) {
                best_distance = distance;
                best = static_cast<uint8_t>(i);
            }
        }
        index_.emplace(color, best);
        return best;
    }

    void write_head()
    {
        put({ 'G', 'I', 'F', '8', '9', 'a' });
        put16(width_);
        put16(height_);
        put({ 0xF7, 0, 0 });  // a global table of 256 entries
        std::vector<uint8_t> table(256 * 3, 0);
        for (size_t i = 0; i < palette_.size(); ++i) {
            table[i * 3] = static_cast<uint8_t>(palette_[i] >> 16);
            table[i * 3 + 1] = static_cast<uint8_t>(palette_[i] >> 8);
            table[i * 3 + 2] = static_cast<uint8_t>(palette_[i]);
        }
        put(table.data(), table.size());
        // Loop for ever.
        put({ 0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01, 0x00, 0x00, 0x00 });
    }

    void write_frame(std::span<const uint32_t> pixels, int left, int top, int width, int height, bool delta)
    {
        // Graphic control: leave the frame in place, the delay, and the transparent index.
        put({ 0x21, 0xF9, 0x04, static_cast<uint8_t>((1 << 2) | (delta ? 1 : 0)) });
        put16(delay_cs_);
        put({ transparent, 0x00 });
        put({ 0x2C });
        put16(left);
        put16(top);
        put16(width);
        put16(height);
        put({ 0x00 });

        indexes_.resize(size_t(width) * height);
        size_t at = 0;
        for (int y = top; y < top + height; ++y) {
            const uint32_t* row = pixels.data() + size_t(y) * width_;
            const uint32_t* before = delta ? previous_.data() + size_t(y) * width_ : nullptr;
            for (int x = left; x < left + width; ++x)
                indexes_[at++] = before && before[x] == row[x] ? transparent : index_of(row[x]);
        }
        encoded_.clear();
        lzw_.encode(indexes_, encoded_);
        put(encoded_.data(), encoded_.size());
    }

    const AtomicFile& target_;
    int width_;
    int height_;
    int delay_cs_;
    std::FILE* file_;
    bool cube_ = false;
    std::vector<uint32_t> palette_;
    std::unordered_map<uint32_t, uint8_t> index_;
    std::vector<uint32_t> previous_;
    std::vector<uint8_t> indexes_;
    std::vector<uint8_t> encoded_;
    LzwEncoder lzw_;
};

}  // namespace

std::unique_ptr<AnimationWriter> make_gif_writer(const AtomicFile& file, int width, int height, int delay_cs)
{
    return std::make_unique<GifWriter>(file, width, height, delay_cs);
}

}  // namespace velmo::codecs
