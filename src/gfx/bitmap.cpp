#include "gfx/bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace velmo::gfx {

uint32_t* Bitmap::allocate(size_t count, bool zeroed)
{
    size_t n = std::max<size_t>(count, 1);
    void* block = zeroed ? std::calloc(n, sizeof(uint32_t)) : std::malloc(n * sizeof(uint32_t));
    if (!block)
        throw std::bad_alloc();
    return static_cast<uint32_t*>(block);
}

Bitmap::Bitmap(Size size, Color fill_color)
    : size_(size.is_empty() ? Size {} : size)
    , pixels_(allocate(pixel_count(), true), Release {})
{
    if (fill_color != Color {})
        fill(fill_color);
}

Bitmap::Bitmap(Size size, Uninitialized)
    : size_(size.is_empty() ? Size {} : size)
    , pixels_(allocate(pixel_count(), false), Release {})
{
}

Bitmap::Bitmap(Size size, std::unique_ptr<PixelStorage> storage)
    : size_(size.is_empty() ? Size {} : size)
    , pixels_(storage->data(), Release { storage.get() })
{
    storage.release();
}

Bitmap::Bitmap(const Bitmap& other)
    : size_(other.size_)
    , pixels_(allocate(pixel_count(), false), Release {})
{
    std::copy_n(other.pixels_.get(), pixel_count(), pixels_.get());
}

Bitmap& Bitmap::operator=(const Bitmap& other)
{
    if (this != &other)
        *this = Bitmap(other);
    return *this;
}

void Bitmap::fill(Rect area, Color color)
{
    Rect clipped = area.intersected(rect());
    uint32_t word = color.to_pixel();
    for (int y = clipped.top(); y < clipped.bottom(); ++y)
        std::fill_n(scanline(y) + clipped.left(), clipped.width, word);
}

void Bitmap::copy_from(const Bitmap& source, Rect source_area, Point destination)
{
    // Clip against the source, then move the destination by what was cut off, then clip against
    // this bitmap and move the source back the same way.
    Rect from = source_area.intersected(source.rect());
    Point to = destination.translated(from.location() - source_area.location());
    Rect onto = Rect::of(to, from.size()).intersected(rect());
    if (onto.is_empty())
        return;
    from = Rect::of(from.location().translated(onto.location() - to), onto.size());

    bool same = &source == this;
    bool upwards = same && onto.top() > from.top();
    for (int i = 0; i < onto.height; ++i) {
        int row = upwards ? onto.height - 1 - i : i;
        const uint32_t* src = source.scanline(from.top() + row) + from.left();
        uint32_t* dst = scanline(onto.top() + row) + onto.left();
        std::memmove(dst, src, static_cast<size_t>(onto.width) * 4);
    }
}

}  // namespace velmo::gfx
