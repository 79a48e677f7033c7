// Palettes: the capture path on a palette display and on a true-colour one.
#include <gtest/gtest.h>

#include <vector>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/ole.h"
#include "platform/picture.h"
#include "platform/scoped.h"
#include "platform/user.h"

namespace velmo::platform {
namespace {

// A palette record with room for 256 entries.
struct PaletteRecord {
    LOGPALETTE header;
    PALETTEENTRY more[255];
};

TEST(Palette, TrueColorDisplayHasNoSystemPalette)
{
    reset_display({ { 32, 32 }, 32 });
    ScopedWindowDC screen(GetDC(0), 0);
    PALETTEENTRY entries[4] {};
    EXPECT_EQ(GetSystemPaletteEntries(screen.get(), 0, 4, entries), 0u);
    EXPECT_EQ(GetSystemPaletteEntries(screen.get(), 0, 0, nullptr), 0u);
}

TEST(Palette, CapturePathOnAPaletteDisplay)
{
    reset_display({ { 32, 32 }, 8 });
    ScopedWindowDC screen(GetDC(0), 0);
    ASSERT_EQ(GetDeviceCaps(screen.get(), SIZEPALETTE), 256);
    ASSERT_EQ(GetSystemPaletteEntries(screen.get(), 0, 0, nullptr), 256u);

    PaletteRecord record {};
    record.header.palVersion = 0x300;
    record.header.palNumEntries = 256;
    ASSERT_EQ(GetSystemPaletteEntries(screen.get(), 0, 256, record.header.palPalEntry), 256u);
    const PALETTEENTRY* all = record.header.palPalEntry;
    EXPECT_EQ(all[0].peRed + all[0].peGreen + all[0].peBlue, 0) << "black first";
    EXPECT_EQ(all[255].peRed & all[255].peGreen & all[255].peBlue, 255) << "white last";
    PALETTEENTRY tail[8] {};
    EXPECT_EQ(GetSystemPaletteEntries(screen.get(), 250, 8, tail), 6u) << "only what exists";

    HPALETTE palette = CreatePalette(&record.header);
    ASSERT_NE(palette, 0u);
    WORD count = 0;
    ASSERT_EQ(GetObjectA(palette, sizeof count, &count), 2);
    EXPECT_EQ(count, 256);

    ScopedMemoryDC memory(CreateCompatibleDC(screen.get()));
    HPALETTE previous = SelectPalette(memory.get(), palette, 0);
    EXPECT_EQ(previous, GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_PAL), palette);
    EXPECT_EQ(RealizePalette(memory.get()), 256u);
    EXPECT_EQ(DeleteObject(palette), 0) << "still selected";
    EXPECT_EQ(SelectPalette(memory.get(), previous, 0), palette);

    // The picture takes the palette over with the bitmap and deletes both.
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), 4, 4);
    ObjectRef picture;
    PICTDESC desc;
    desc.hbitmap = bitmap;
    desc.hpal = palette;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, IID_IDispatch, 1, &picture), S_OK);
    picture.reset();
    EXPECT_EQ(GetObjectA(palette, 0, nullptr), 0);
    EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), 0);
}

TEST(Palette, RefusedRecordsAndHandles)
{
    reset_display({ { 32, 32 }, 8 });
    LOGPALETTE wrong {};
    wrong.palVersion = 0x200;
    wrong.palNumEntries = 1;
    EXPECT_EQ(CreatePalette(&wrong), 0u);
    LOGPALETTE empty {};
    EXPECT_EQ(CreatePalette(&empty), 0u);
    EXPECT_EQ(CreatePalette(nullptr), 0u);
    ScopedWindowDC screen(GetDC(0), 0);
    ScopedGdiObject region(CreateRectRgn(0, 0, 1, 1));
    EXPECT_EQ(SelectPalette(screen.get(), region.get(), 0), 0u);
    EXPECT_EQ(SelectObject(screen.get(), GetStockObject(DEFAULT_PALETTE)), 0u) << "palettes are selected with SelectPalette";
    EXPECT_EQ(RealizePalette(0x7FFF0000), GDI_ERROR);
    EXPECT_EQ(RealizePalette(screen.get()), 0u) << "the default palette maps nothing new";
}

}  // namespace
}  // namespace velmo::platform
