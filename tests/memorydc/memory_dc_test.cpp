// The memory bitmap helper: its own bitmap and a borrowed one, size requests, the invalid-handle
// error, system colours, pictures in and out, and that no ProgID reaches it.
#include <gtest/gtest.h>

#include "automation/late.h"
#include "automation/registry.h"
#include "platform/picture_from_bitmap.h"
#include "memorydc/memory_dc.h"
#include "platform/display.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"
#include "support/picture_pixels.h"
#include "support/velmo_error.h"
#include "velmo10/velmo10.h"

namespace velmo::memorydc {
namespace {

using namespace velmo::platform;
using testing::is_live;
using testing::picture_pixels;

HBITMAP as_handle(Long value) { return static_cast<HBITMAP>(value.value()); }
Long handle_value(HANDLE h) { return Long(static_cast<int32_t>(h)); }

// A bitmap of someone else's, with one marked pixel.
HBITMAP foreign_bitmap(int width, int height, COLORREF mark = 0x00336699)
{
    ScopedWindowDC screen(GetDC(0), 0);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), width, height);
    ScopedMemoryDC dc(CreateCompatibleDC(screen.get()));
    ScopedSelection selected(dc.get(), bitmap);
    SetPixel(dc.get(), 1, 1, mark);
    return bitmap;
}

COLORREF pixel_of(HBITMAP bitmap, int x, int y)
{
    ScopedMemoryDC dc(CreateCompatibleDC(0));
    ScopedSelection selected(dc.get(), bitmap);
    return GetPixel(dc.get(), x, y);
}

class MemoryDC : public velmo::testing::MemoryDisplayTest {
protected:
    MemoryDC()
        : MemoryDisplayTest({ { 320, 240 }, 32 })
    {
    }
    void SetUp() override
    {
        MemoryDisplayTest::SetUp();
        dc = std::make_shared<clsKxLumoMemoryDCA>();
    }
    std::shared_ptr<clsKxLumoMemoryDCA> dc;
};

TEST_F(MemoryDC, NewInstanceHoldsOneScreenCompatiblePixelAndKillsIt)
{
    EXPECT_EQ(late::get(dc, "Width").to_long(), Long(1));
    EXPECT_EQ(late::get(dc, "Height").to_long(), Long(1));
    EXPECT_EQ(late::get(dc, "TerminateKillsBitmap").to_boolean(), True);
    EXPECT_EQ(late::get(dc, "BitsPerPixel").to_integer(), Integer(32));
    EXPECT_EQ(late::get(dc, "Planes").to_integer(), Integer(1));
    EXPECT_EQ(late::get(dc, "WidthBytes").to_long(), Long(4));
    EXPECT_EQ(late::get(dc, "bmType").to_long(), Long(0));
    EXPECT_EQ(late::get(dc, "Bits").to_long(), Long(0));
    HBITMAP own = as_handle(late::get(dc, "hBitmap").to_long());
    HDC context = static_cast<HDC>(late::get(dc, "hdc").to_long().value());
    ASSERT_TRUE(is_live(own));
    EXPECT_EQ(GetCurrentObject(context, OBJ_BITMAP), own);
    dc.reset();
    EXPECT_FALSE(is_live(own));
    EXPECT_EQ(GetCurrentObject(context, OBJ_BITMAP), 0u) << "the context is gone too";
}

TEST_F(MemoryDC, WithoutTerminateKillsBitmapTheBitmapOutlivesTheInstance)
{
    dc->let_Width(6);
    late::let(dc, "TerminateKillsBitmap", False);
    HBITMAP own = as_handle(dc->get_hBitmap());
    dc.reset();
    ASSERT_TRUE(is_live(own));
    EXPECT_EQ(DeleteObject(own), 1) << "left unselected for its new owner";
}

TEST_F(MemoryDC, SizeRequests)
{
    struct Case {
        const char* name;
        Long width, height;
        gfx::Size expected;
        bool new_bitmap;
    };
    const Case cases[] = {
        { "a new size", 30, 20, { 30, 20 }, true },
        { "zero width keeps the bitmap", 0, 20, { 1, 1 }, false },
        { "negative width keeps the bitmap", -5, 20, { 1, 1 }, false },
        { "negative height keeps the bitmap", 30, -1, { 30, 1 }, true },
    };
    for (const auto& c : cases) {
        auto fresh = std::make_shared<clsKxLumoMemoryDCA>();
        HBITMAP before = as_handle(fresh->get_hBitmap());
        late::let(fresh, "Width", c.width);
        late::let(fresh, "Height", c.height);
        EXPECT_EQ(fresh->get_Width(), Long(c.expected.width)) << c.name;
        EXPECT_EQ(fresh->get_Height(), Long(c.expected.height)) << c.name;
        HBITMAP after = as_handle(fresh->get_hBitmap());
        EXPECT_EQ(after != before, c.new_bitmap) << c.name;
        EXPECT_EQ(is_live(before), !c.new_bitmap) << c.name << ": a replaced own bitmap is deleted";
    }
}

TEST_F(MemoryDC, BorrowedBitmapIsUsedAndGivenBackUntouched)
{
    HBITMAP theirs = foreign_bitmap(7, 5);
    HBITMAP own = as_handle(dc->get_hBitmap());
    late::let(dc, "hBitmap", handle_value(theirs));
    EXPECT_EQ(as_handle(dc->get_hBitmap()), theirs);
    EXPECT_EQ(dc->get_Width(), Long(7));
    EXPECT_EQ(dc->get_Height(), Long(5));
    EXPECT_FALSE(is_live(own)) << "the instance's own bitmap was replaced";
    EXPECT_EQ(dc->get_PixelColor(1, 1), Long(0x336699)) << "drawn through the instance's context";

    dc->let_Width(9);
    EXPECT_NE(as_handle(dc->get_hBitmap()), theirs);
    EXPECT_EQ(dc->get_Width(), Long(9));
    EXPECT_EQ(dc->get_Height(), Long(5));
    ASSERT_TRUE(is_live(theirs));
    EXPECT_EQ(pixel_of(theirs, 1, 1), 0x336699u);
    EXPECT_EQ(DeleteObject(theirs), 1) << "given back unselected";
}

TEST_F(MemoryDC, EndingWhileBorrowingLeavesTheBitmap)
{
    HBITMAP theirs = foreign_bitmap(4, 4);
    dc->let_hBitmap(handle_value(theirs));
    dc.reset();
    ASSERT_TRUE(is_live(theirs));
    EXPECT_EQ(pixel_of(theirs, 1, 1), 0x336699u);
    EXPECT_EQ(DeleteObject(theirs), 1);
}

TEST_F(MemoryDC, AdoptingTheBitmapItHoldsKeepsIt)
{
    HBITMAP own = as_handle(dc->get_hBitmap());
    dc->let_hBitmap(handle_value(own));
    EXPECT_EQ(as_handle(dc->get_hBitmap()), own);
    EXPECT_TRUE(is_live(own));
    EXPECT_EQ(dc->get_Width(), Long(1));
    dc.reset();
    EXPECT_FALSE(is_live(own)) << "still its own, still ended with it";
}

TEST_F(MemoryDC, HandlesThatAreNoBitmapRaiseInvalidHandle)
{
    ScopedWindowDC screen(GetDC(0), 0);
    LOGPALETTE record {};
    record.palNumEntries = 1;
    ScopedGdiObject palette(CreatePalette(&record));
    ScopedGdiObject gone(CreateCompatibleBitmap(screen.get(), 2, 2));
    HBITMAP stale = gone.get();
    gone.reset();
    HBITMAP own = as_handle(dc->get_hBitmap());
    for (Long handle : { Long(0), Long(12345), handle_value(stale), handle_value(palette.get()), handle_value(screen.get()) }) {
        EXPECT_VELMO_ERROR(late::let(dc, "hBitmap", handle), invalid_handle_error, "CMemoryDC.hBitmap");
        try {
            dc->let_hBitmap(handle);
        } catch (const Error& error) {
            EXPECT_EQ(error.description(), "Invalid handle.");
        }
        EXPECT_EQ(as_handle(dc->get_hBitmap()), own) << handle.value();
    }
    EXPECT_EQ(invalid_handle_error, static_cast<int32_t>(0x80040000u) + 1);
}

TEST_F(MemoryDC, PixelColorResolvesSystemColorsThroughBit31)
{
    dc->let_Width(4);
    dc->let_Height(4);
    struct Case {
        const char* name;
        uint32_t color;
        uint32_t painted;
    };
    const Case cases[] = {
        { "a plain colour", 0x00123456, 0x00123456 },
        { "system colour 5 (window)", 0x80000005, GetSysColor(5) },
        { "system colour 1 (desktop)", 0x80000001, GetSysColor(1) },
        { "system colour 8 (window text)", 0x80000008, GetSysColor(8) },
    };
    for (const auto& c : cases) {
        Variant x(Long(2)), y(Long(3)), color(Long(static_cast<int32_t>(c.color)));
        Variant* args[] = { &x, &y, &color };
        late::invoke(dc, "PixelColor", Invoke::Let, args);
        EXPECT_EQ(late::get(dc, "PixelColor", Long(2), Long(3)).to_long(), Long(static_cast<int32_t>(c.painted))) << c.name;
    }
    EXPECT_NE(GetSysColor(5), GetSysColor(1)) << "the cases tell colours apart";
    EXPECT_EQ(dc->get_PixelColor(4, 0), Long(-1)) << "outside the bitmap";
}

TEST_F(MemoryDC, PictureGetIsAnOwnedCopy)
{
    dc->let_Width(5);
    dc->let_Height(3);
    dc->let_PixelColor(4, 2, 0x00ABCDEF);
    ObjectRef picture = late::get(dc, "Picture").to_object();
    const gfx::Bitmap* pixels = picture_pixels(picture);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels->size(), (gfx::Size { 5, 3 }));
    EXPECT_EQ(pixels->pixel(4, 2).to_colorref(), 0x00ABCDEFu);
    EXPECT_EQ(pixels->pixel(0, 0).to_colorref(), 0u);

    dc->let_PixelColor(4, 2, 0x000000FF);
    EXPECT_EQ(pixels->pixel(4, 2).to_colorref(), 0x00ABCDEFu) << "a copy, not the instance's bitmap";
    HBITMAP copy = testing::as_picture(picture)->bitmap();
    EXPECT_NE(copy, as_handle(dc->get_hBitmap()));
    picture.reset();
    EXPECT_FALSE(is_live(copy)) << "the picture owned its copy";
}

TEST_F(MemoryDC, PictureGetAfterARefusedWidthCopiesTheBitmapHeld)
{
    dc->let_Width(5);
    dc->let_Height(3);
    dc->let_Width(0);
    ObjectRef picture = dc->get_Picture();
    ASSERT_NE(picture_pixels(picture), nullptr);
    EXPECT_EQ(picture_pixels(picture)->size(), (gfx::Size { 5, 3 }));
}

TEST_F(MemoryDC, PictureSetCopiesThePixelsAndLeavesThePictureAlone)
{
    HBITMAP theirs = foreign_bitmap(6, 4, 0x00102030);
    ObjectRef picture = platform::PictureFromBitmap(theirs, 0);
    late::set(dc, "Picture", picture);
    EXPECT_EQ(dc->get_Width(), Long(6));
    EXPECT_EQ(dc->get_Height(), Long(4));
    EXPECT_NE(as_handle(dc->get_hBitmap()), theirs);
    EXPECT_EQ(dc->get_PixelColor(1, 1), Long(0x102030));
    EXPECT_EQ(pixel_of(theirs, 1, 1), 0x00102030u);
    picture.reset();
    EXPECT_FALSE(is_live(theirs)) << "the temporary instance left the picture's bitmap free to go";
    EXPECT_EQ(dc->get_PixelColor(1, 1), Long(0x102030)) << "the instance kept its copy";
}

TEST_F(MemoryDC, PictureSetFailures)
{
    EXPECT_VELMO_ERROR(late::set(dc, "Picture", ObjectRef()), err::ObjectNotSet, "Velmo10");
    EXPECT_VELMO_ERROR(late::set(dc, "Picture", Picture::empty()), invalid_handle_error, "CMemoryDC.hBitmap");
    EXPECT_EQ(dc->get_Width(), Long(1));
}

TEST(MemoryDCClass, NoProgIdAndNoTypeLibraryEntryReachIt)
{
    velmo10::load();
    EXPECT_VELMO_ERROR(create_object("Velmo10.clsKxLumoMemoryDCA"), err::CannotCreateObject, "Velmo10.clsKxLumoMemoryDCA");
    for (const ClassInfo* info : velmo10::type_library().classes)
        EXPECT_NE(info->name, "clsKxLumoMemoryDCA");
    EXPECT_EQ(clsKxLumoMemoryDCA::info().creatable, Creatable::No);
    velmo10::unload();
}

}  // namespace
}  // namespace velmo::memorydc
