// Reading what a picture object holds: its bitmap's pixels, its palette's entries, and whether a
// handle still names a live object. For comparing captures against the pixels they came from.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/picture.h"

namespace velmo::testing {

inline std::shared_ptr<platform::Picture> as_picture(const ObjectRef& object)
{
    return std::dynamic_pointer_cast<platform::Picture>(object);
}

// The pixels of the picture's bitmap; nullptr when there is no picture or no live bitmap. They
// live as long as the picture, so a temporary picture is refused.
inline const gfx::Bitmap* picture_pixels(const ObjectRef& object)
{
    auto picture = as_picture(object);
    return picture ? platform::bitmap_pixels(picture->bitmap()) : nullptr;
}
const gfx::Bitmap* picture_pixels(ObjectRef&&) = delete;

inline bool is_live(platform::HGDIOBJ handle)
{
    platform::BITMAP record;
    return handle != 0 && platform::GetObjectA(handle, sizeof record, &record) != 0;
}

// `actual` equals the part of `expected` at `area`, pixel for pixel; reports the first few misses.
inline ::testing::AssertionResult same_pixels(const gfx::Bitmap& actual, const gfx::Bitmap& expected, gfx::Rect area)
{
    if (actual.size() != area.size())
        return ::testing::AssertionFailure() << "size " << actual.width() << " x " << actual.height() << ", expected "
                                             << area.width << " x " << area.height;
    int misses = 0;
    auto failure = ::testing::AssertionFailure();
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x) {
            uint32_t got = actual.word(x, y);
            uint32_t want = expected.word(area.x + x, area.y + y);
            if (got != want && ++misses <= 5)
                failure << "pixel (" << x << ", " << y << ") is " << std::hex << got << ", expected " << want << std::dec << "; ";
        }
    }
    if (misses)
        return failure << misses << " pixels differ";
    return ::testing::AssertionSuccess();
}

}  // namespace velmo::testing
