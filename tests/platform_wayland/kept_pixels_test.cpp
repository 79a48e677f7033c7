#include "platform/wayland/kept_pixels.h"

#include <gtest/gtest.h>

#include <optional>

namespace velmo::platform::wayland {
namespace {

TEST(KeptPixels, ABlockComesBackForTheNextReadOfItsSizeOnly)
{
    KeptPixels kept;
    const uint32_t* first = nullptr;
    {
        gfx::Bitmap b = kept.take({ 640, 480 });
        first = b.pixels().data();
        b.fill({ 1, 2, 3 });
    }
    gfx::Bitmap again = kept.take({ 640, 480 });
    EXPECT_EQ(again.pixels().data(), first);
    gfx::Bitmap other = kept.take({ 480, 640 + 1 });
    EXPECT_NE(other.pixels().data(), first);
    EXPECT_EQ(other.size(), (gfx::Size { 480, 641 }));
}

TEST(KeptPixels, BitmapsMayOutliveTheShelfAndEmptySizesTakeNothing)
{
    std::optional<gfx::Bitmap> held;
    {
        KeptPixels kept;
        held = kept.take({ 32, 32 });
        EXPECT_TRUE(kept.take({ 0, 5 }).pixels().empty());
    }
    held->fill({ 9, 9, 9 });
    EXPECT_EQ(held->pixel(31, 31), (gfx::Color { 9, 9, 9 }));
    held.reset();  // the shelf is closed, so the bitmap frees its block itself
}

}  // namespace
}  // namespace velmo::platform::wayland
