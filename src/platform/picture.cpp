#include "platform/picture.h"

#include <cmath>

#include "platform/display.h"
#include "platform/gdi.h"

namespace velmo::platform {

int32_t pixels_to_himetric(int pixels) { return static_cast<int32_t>(std::lround(pixels * 2540.0 / 96.0)); }

Picture::Picture(HBITMAP bitmap, HPALETTE palette, Ownership ownership)
    : bitmap_(bitmap)
    , palette_(palette)
    , ownership_(ownership)
{
}

Picture::~Picture()
{
    if (ownership_ != Ownership::Owns)
        return;
    if (bitmap_)
        DeleteObject(bitmap_);
    if (palette_)
        DeleteObject(palette_);
}

std::shared_ptr<Picture> Picture::empty() { return std::make_shared<Picture>(0, 0, Ownership::Borrows); }

const ClassInfo& Picture::class_info() const
{
    static const ClassInfo info {
        "Host", "Picture", Creatable::No,
        {
            property_get("Handle", &Picture::Handle, TypeName::of(VarType::Long)),
            property_get("hPal", &Picture::hPal, TypeName::of(VarType::Long)),
            property_let("hPal", &Picture::let_hPal, TypeName::of(VarType::Long)),
            property_get("Type", &Picture::Type, TypeName::of(VarType::Integer)),
            property_get("Width", &Picture::Width, TypeName::of(VarType::Long)),
            property_get("Height", &Picture::Height, TypeName::of(VarType::Long)),
        },
    };
    return info;
}

Long Picture::Handle() { return Long(static_cast<int32_t>(bitmap_)); }
Long Picture::hPal() { return Long(static_cast<int32_t>(palette_)); }
void Picture::let_hPal(Long palette) { palette_ = static_cast<HPALETTE>(palette.value()); }
Integer Picture::Type() { return bitmap_ ? type_bitmap : type_none; }
Long Picture::Width() { return pixels_to_himetric(pixel_size().width); }
Long Picture::Height() { return pixels_to_himetric(pixel_size().height); }

const gfx::Bitmap* Picture::pixels() const { return bitmap_ ? bitmap_pixels(bitmap_) : nullptr; }

std::optional<gfx::Bitmap> Picture::take_pixels()
{
    if (!bitmap_ || ownership_ != Ownership::Owns)
        return std::nullopt;
    return take_bitmap_pixels(bitmap_);
}

gfx::Size Picture::pixel_size() const
{
    BITMAP record;
    if (!bitmap_ || GetObjectA(bitmap_, sizeof record, &record) == 0)
        return {};
    return { record.bmWidth, record.bmHeight };
}

}  // namespace velmo::platform
