// Bitmap: a top-down buffer of 32-bit pixels laid out as a device-independent bitmap row (blue,
// green, red, reserved bytes; the word 0x00RRGGBB), which is also cairo's RGB24 layout, so cairo
// can draw straight into the memory.
//
// Invariant: pixels().size() == width * height, rows follow each other with no padding, and the
// memory never moves while the Bitmap lives (a new size means a new Bitmap).
#pragma once

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "gfx/color.h"
#include "gfx/rect.h"

namespace velmo::gfx {

// Memory that a bitmap's pixels may live in instead of a heap block of their own, such as a
// segment a display server maps too and can write a screen read into. The bitmap deletes it when
// it goes; data() holds at least width * height pixel words.
class PixelStorage {
public:
    virtual ~PixelStorage() = default;
    virtual uint32_t* data() = 0;
};

static_assert(std::endian::native == std::endian::little, "pixel words are stored as blue, green, red, reserved bytes");

class Bitmap {
public:
    // Every pixel starts black. A size with a zero or negative side makes an empty bitmap.
    explicit Bitmap(Size size, Color fill = {});
    // Storage whose pixels hold no values yet: for an owner that writes every pixel before any read.
    struct Uninitialized { };
    Bitmap(Size size, Uninitialized);
    // Pixels in `storage`, holding whatever values it holds; the owner keeps every word's top byte 0.
    Bitmap(Size size, std::unique_ptr<PixelStorage> storage);
    Bitmap(const Bitmap&);
    Bitmap& operator=(const Bitmap&);
    Bitmap(Bitmap&&) noexcept = default;
    Bitmap& operator=(Bitmap&&) noexcept = default;
    ~Bitmap() = default;

    int width() const { return size_.width; }
    int height() const { return size_.height; }
    Size size() const { return size_; }
    Rect rect() const { return { 0, 0, size_.width, size_.height }; }
    int stride_bytes() const { return size_.width * 4; }

    uint32_t* scanline(int y) { return pixels_.get() + static_cast<size_t>(y) * size_.width; }
    const uint32_t* scanline(int y) const { return pixels_.get() + static_cast<size_t>(y) * size_.width; }
    std::span<uint32_t> pixels() { return { pixels_.get(), pixel_count() }; }
    std::span<const uint32_t> pixels() const { return { pixels_.get(), pixel_count() }; }

    // Unchecked: the caller keeps (x, y) inside rect().
    uint32_t word(int x, int y) const { return scanline(y)[x]; }
    void set_word(int x, int y, uint32_t word) { scanline(y)[x] = word & 0x00FFFFFF; }
    Color pixel(int x, int y) const { return Color::from_pixel(word(x, y)); }
    void set_pixel(int x, int y, Color color) { scanline(y)[x] = color.to_pixel(); }

    // Fills the part of `area` that lies inside the bitmap.
    void fill(Rect area, Color color);
    void fill(Color color) { fill(rect(), color); }

    // Copies the part of `source_area` that lies inside `source` to `destination` in this bitmap,
    // both sides clipped; overlapping copies within one bitmap behave as if through a temporary.
    void copy_from(const Bitmap& source, Rect source_area, Point destination);

private:
    size_t pixel_count() const { return static_cast<size_t>(size_.width) * size_.height; }

    // A heap block for `count` pixels; zeroed ones come from calloc, which hands a large block
    // over as fresh zero pages without writing them, so a bitmap nobody draws on costs no memory.
    static uint32_t* allocate(size_t count, bool zeroed);

    // Frees a heap block, or the storage the pixels live in.
    struct Release {
        PixelStorage* storage = nullptr;
        void operator()(uint32_t* pixels) const
        {
            if (storage)
                delete storage;
            else
                std::free(pixels);
        }
    };

    Size size_;
    std::unique_ptr<uint32_t[], Release> pixels_;
};

}  // namespace velmo::gfx
