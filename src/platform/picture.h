// Picture: the standard picture object. It holds a bitmap (and, on a palette display, a palette)
// and, when it owns them, deletes both on its last release. Its Width and Height are in HIMETRIC
// units (hundredths of a millimetre) at 96 pixels per inch, as the standard object reports them.
#pragma once

#include <memory>
#include <optional>

#include "automation/object.h"
#include "gfx/bitmap.h"
#include "gfx/size.h"
#include "platform/types.h"

namespace velmo::platform {

class Picture : public Object {
public:
    enum class Ownership { Owns, Borrows };
    // A picture type of the standard object.
    static constexpr int16_t type_none = 0;
    static constexpr int16_t type_bitmap = 1;

    Picture(HBITMAP bitmap, HPALETTE palette, Ownership ownership);
    ~Picture() override;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // A picture with no bitmap (type none), as an empty picture property holds.
    static std::shared_ptr<Picture> empty();

    const ClassInfo& class_info() const override;

    Long Handle();
    Long hPal();
    void let_hPal(Long palette);
    Integer Type();
    Long Width();
    Long Height();

    HBITMAP bitmap() const { return bitmap_; }
    HPALETTE palette() const { return palette_; }
    bool owns() const { return ownership_ == Ownership::Owns; }
    // The bitmap's size in pixels; empty when the bitmap is gone.
    gfx::Size pixel_size() const;
    // The bitmap's pixels; none when there is no bitmap or it is gone.
    const gfx::Bitmap* pixels() const;
    // Moves the pixels out of a picture that owns its bitmap, for a holder done with the picture
    // that wants its memory (to encode a file over it): the bitmap is 0 x 0 afterwards, for every
    // holder. Nothing for a borrowed picture.
    std::optional<gfx::Bitmap> take_pixels();

private:
    HBITMAP bitmap_;
    HPALETTE palette_;
    Ownership ownership_;
};

// Pixels to HIMETRIC at 96 pixels per inch, rounded.
int32_t pixels_to_himetric(int pixels);

}  // namespace velmo::platform
