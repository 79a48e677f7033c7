// The standard picture object: its members, and who deletes the bitmap.
#include <gtest/gtest.h>

#include "automation/late.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/ole.h"
#include "platform/picture.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"

namespace velmo::platform {
namespace {

class PictureTest : public velmo::testing::MemoryDisplayTest {
protected:
    PictureTest()
        : MemoryDisplayTest({ { 100, 100 } })
    {
    }
    static HBITMAP bitmap(int width, int height)
    {
        ScopedWindowDC screen(GetDC(0), 0);
        return CreateCompatibleBitmap(screen.get(), width, height);
    }
};

TEST_F(PictureTest, OwningPictureDeletesItsBitmapOnLastRelease)
{
    HBITMAP handle = bitmap(96, 48);
    ObjectRef picture;
    PICTDESC desc;
    desc.hbitmap = handle;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, IID_IDispatch, 1, &picture), S_OK);
    ObjectRef second = picture;
    EXPECT_EQ(late::get(picture, "Handle"), Variant(Long(int32_t(handle))));
    EXPECT_EQ(late::get(picture, "Type"), Variant(Integer(1)));
    EXPECT_EQ(late::get(picture, "Width"), Variant(Long(2540)));
    EXPECT_EQ(late::get(picture, "Height"), Variant(Long(1270)));
    EXPECT_EQ(late::get(picture, "hPal"), Variant(Long(0)));
    picture.reset();
    EXPECT_EQ(GetObjectA(handle, 0, nullptr), 24) << "one reference is left";
    second.reset();
    EXPECT_EQ(GetObjectA(handle, 0, nullptr), 0) << "the last release deleted the bitmap";
}

TEST_F(PictureTest, BorrowingPictureLeavesTheBitmap)
{
    HBITMAP handle = bitmap(4, 4);
    ObjectRef picture;
    PICTDESC desc;
    desc.hbitmap = handle;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, IID_IPicture, 0, &picture), S_OK);
    picture.reset();
    EXPECT_EQ(DeleteObject(handle), 1);
}

// Taking the pixels hands over what the bitmap held and leaves it empty; a borrowed bitmap, or one
// selected into a context, is not given away.
TEST_F(PictureTest, OwnerTakesThePixelsOut)
{
    HBITMAP handle = bitmap(6, 3);
    ScopedMemoryDC memory(CreateCompatibleDC(0));
    {
        ScopedSelection selected(memory.get(), handle);
        SetPixel(memory.get(), 5, 2, gfx::Color { 10, 20, 30 }.to_colorref());
    }
    Picture owning(handle, 0, Picture::Ownership::Owns);
    Picture borrowing(handle, 0, Picture::Ownership::Borrows);
    EXPECT_FALSE(borrowing.take_pixels());
    {
        ScopedSelection selected(memory.get(), handle);
        EXPECT_FALSE(owning.take_pixels()) << "a selected bitmap is in use";
    }
    auto taken = owning.take_pixels();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->size(), (gfx::Size { 6, 3 }));
    EXPECT_EQ(taken->pixel(5, 2), (gfx::Color { 10, 20, 30 }));
    EXPECT_EQ(taken->pixel(0, 0), (gfx::Color {}));
    EXPECT_TRUE(owning.pixel_size().is_empty());
}

TEST_F(PictureTest, DescriptionsAndInterfaces)
{
    ObjectRef picture = std::make_shared<Picture>(0, 0, Picture::Ownership::Owns);
    PICTDESC desc;
    GUID unknown { 1, 2, 3, {} };
    EXPECT_EQ(OleCreatePictureIndirect(&desc, unknown, 1, &picture), E_NOINTERFACE);
    EXPECT_EQ(picture, nullptr);
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IDispatch, 1, nullptr), E_POINTER);
    desc.picType = 4;  // a metafile: not made here
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IDispatch, 1, &picture), E_INVALIDARG);
    // A bitmap handle that is no bitmap is taken as it is, the way the runtime does.
    desc.picType = PICTYPE_BITMAP;
    desc.hbitmap = 0x7FFF1234;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, IID_IDispatch, 1, &picture), S_OK);
    EXPECT_EQ(late::get(picture, "Width"), Variant(Long(0)));
    picture.reset();  // deleting the stale handle fails quietly
    EXPECT_EQ(late::get(Picture::empty(), "Type"), Variant(Integer(0)));
}

}  // namespace
}  // namespace velmo::platform
