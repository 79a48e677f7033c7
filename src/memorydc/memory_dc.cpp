#include "memorydc/memory_dc.h"

#include "automation/late.h"
#include "platform/picture_from_bitmap.h"
#include "platform/gdi.h"
#include "platform/user.h"

namespace velmo::memorydc {

using namespace velmo::platform;

namespace {

Long handle_value(HANDLE handle) { return Long(static_cast<int32_t>(handle)); }

}  // namespace

const ClassInfo& clsKxLumoMemoryDCA::info()
{
    using C = clsKxLumoMemoryDCA;
    const auto long_ = TypeName::of(VarType::Long);
    const auto integer = TypeName::of(VarType::Integer);
    const auto picture = TypeName::object("IPicture");
    const std::vector<Param> point { param("x", VarType::Long), param("y", VarType::Long) };
    static const ClassInfo table {
        "Velmo10",
        "clsKxLumoMemoryDCA",
        Creatable::No,
        {
            property_let("hBitmap", &C::let_hBitmap, long_),
            property_get("hBitmap", &C::get_hBitmap, long_),
            property_let("Height", &C::let_Height, long_),
            property_get("Height", &C::get_Height, long_),
            property_set("Picture", &C::set_Picture, picture),
            property_get("Picture", &C::get_Picture, picture),
            property_let("PixelColor", &C::let_PixelColor, long_, point),
            property_get("PixelColor", &C::get_PixelColor, long_, point),
            property_let("TerminateKillsBitmap", &C::let_TerminateKillsBitmap, TypeName::of(VarType::Boolean)),
            property_get("TerminateKillsBitmap", &C::get_TerminateKillsBitmap, TypeName::of(VarType::Boolean)),
            property_let("Width", &C::let_Width, long_),
            property_get("Width", &C::get_Width, long_),
            property_get("hdc", &C::get_hdc, long_),
            property_get("bmType", &C::get_bmType, long_),
            property_get("WidthBytes", &C::get_WidthBytes, long_),
            property_get("Planes", &C::get_Planes, integer),
            property_get("BitsPerPixel", &C::get_BitsPerPixel, integer),
            property_get("Bits", &C::get_Bits, long_),
        },
    };
    return table;
}

clsKxLumoMemoryDCA::clsKxLumoMemoryDCA()
{
    HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    hDCMem = CreateCompatibleDC(screen);
    ReleaseDC(desktop, screen);
    lReqWidth = 1;
    lReqHeight = 1;
    RecreateBitmap();
    bTerminateKillsBitmap = True;
}

clsKxLumoMemoryDCA::~clsKxLumoMemoryDCA()
{
    if (hBmp != 0) {
        SelectObject(hDCMem, hBmpOld);
        if (!bBmpBorrowed && bTerminateKillsBitmap.raw != 0)
            DeleteObject(hBmp);
    }
    DeleteDC(hDCMem);
}

// ---- The bitmap -------------------------------------------------------------------------------

void clsKxLumoMemoryDCA::RecreateBitmap()
{
    if (lReqWidth <= Long(0) || lReqHeight <= Long(0))
        return;
    if (hBmp != 0) {
        SelectObject(hDCMem, hBmpOld);
        if (!bBmpBorrowed)
            DeleteObject(hBmp);
    }
    HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    hBmp = CreateCompatibleBitmap(screen, lReqWidth.value(), lReqHeight.value());
    hBmpOld = SelectObject(hDCMem, hBmp);
    ReleaseDC(desktop, screen);
    // When no bitmap could be made, describe none rather than the one just deleted.
    if (GetObjectA(hBmp, sizeof tBmInfo, &tBmInfo) == 0)
        tBmInfo = {};
    bBmpBorrowed = false;
}

void clsKxLumoMemoryDCA::AdoptBitmap(HBITMAP handle)
{
    // Taking over the bitmap already held would delete it (when it is the instance's own) and
    // then hold a dead handle; keeping it as it is is what the caller means.
    if (handle == hBmp)
        return;
    SelectObject(hDCMem, hBmpOld);
    if (!bBmpBorrowed)
        DeleteObject(hBmp);
    hBmp = handle;
    hBmpOld = SelectObject(hDCMem, handle);
    GetObjectA(handle, sizeof tBmInfo, &tBmInfo);
    lReqWidth = tBmInfo.bmWidth;
    lReqHeight = tBmInfo.bmHeight;
    bBmpBorrowed = true;
}

void clsKxLumoMemoryDCA::let_hBitmap(Long handle)
{
    // Only a bitmap fills the 24-byte record; a palette's handle, which GetObjectA also accepts,
    // is no bitmap to draw on.
    BITMAP probe;
    if (GetObjectA(static_cast<HGDIOBJ>(handle.value()), sizeof probe, &probe) != sizeof probe)
        throw Error(invalid_handle_error, "CMemoryDC.hBitmap", "Invalid handle.");
    AdoptBitmap(static_cast<HBITMAP>(handle.value()));
}

Long clsKxLumoMemoryDCA::get_hBitmap() { return handle_value(hBmp); }

void clsKxLumoMemoryDCA::let_Height(Long value)
{
    lReqHeight = value;
    RecreateBitmap();
}

Long clsKxLumoMemoryDCA::get_Height() { return tBmInfo.bmHeight; }

void clsKxLumoMemoryDCA::let_Width(Long value)
{
    lReqWidth = value;
    RecreateBitmap();
}

Long clsKxLumoMemoryDCA::get_Width() { return tBmInfo.bmWidth; }

void clsKxLumoMemoryDCA::let_TerminateKillsBitmap(Boolean value) { bTerminateKillsBitmap = value; }
Boolean clsKxLumoMemoryDCA::get_TerminateKillsBitmap() { return bTerminateKillsBitmap; }

Long clsKxLumoMemoryDCA::get_hdc() { return handle_value(hDCMem); }
Long clsKxLumoMemoryDCA::get_bmType() { return tBmInfo.bmType; }
Long clsKxLumoMemoryDCA::get_WidthBytes() { return tBmInfo.bmWidthBytes; }
Integer clsKxLumoMemoryDCA::get_Planes() { return static_cast<int16_t>(tBmInfo.bmPlanes); }
Integer clsKxLumoMemoryDCA::get_BitsPerPixel() { return static_cast<int16_t>(tBmInfo.bmBitsPixel); }
Long clsKxLumoMemoryDCA::get_Bits() { return static_cast<int32_t>(tBmInfo.bmBits); }

// ---- Pixels -----------------------------------------------------------------------------------

Long clsKxLumoMemoryDCA::ResolveSysColor(Long color)
{
    auto word = static_cast<uint32_t>(color.value());
    if (word & 0x80000000u)
        return static_cast<int32_t>(GetSysColor(static_cast<int>(word & 0x7FFFFFFFu)));
    return color;
}

void clsKxLumoMemoryDCA::let_PixelColor(Long x, Long y, Long color)
{
    SetPixel(hDCMem, x.value(), y.value(), static_cast<COLORREF>(ResolveSysColor(color).value()));
}

Long clsKxLumoMemoryDCA::get_PixelColor(Long x, Long y) { return static_cast<int32_t>(GetPixel(hDCMem, x.value(), y.value())); }

// ---- Pictures, through a temporary instance ---------------------------------------------------

void clsKxLumoMemoryDCA::set_Picture(ObjectRef picture)
{
    auto borrowed = std::make_shared<clsKxLumoMemoryDCA>();
    borrowed->let_hBitmap(late::get(picture, "Handle").to_long());
    lReqHeight = borrowed->get_Height();
    lReqWidth = borrowed->get_Width();
    RecreateBitmap();
    BitBlt(hDCMem, 0, 0, lReqWidth.value(), lReqHeight.value(), static_cast<HDC>(borrowed->get_hdc().value()), 0, 0, SRCCOPY);
    // Ending the temporary selects the picture's bitmap out again and leaves it alone.
}

ObjectRef clsKxLumoMemoryDCA::get_Picture()
{
    // The copy takes the size of the bitmap held now: after a refused size request (Width 0) the
    // request no longer describes it.
    Long width = tBmInfo.bmWidth;
    Long height = tBmInfo.bmHeight;
    HBITMAP copy = 0;
    {
        auto target = std::make_shared<clsKxLumoMemoryDCA>();
        target->let_Height(height);
        target->let_Width(width);
        target->let_TerminateKillsBitmap(False);
        BitBlt(static_cast<HDC>(target->get_hdc().value()), 0, 0, width.value(), height.value(), hDCMem, 0, 0, SRCCOPY);
        copy = static_cast<HBITMAP>(target->get_hBitmap().value());
    }
    ObjectRef result = platform::PictureFromBitmap(copy, 0);
    // Nobody would own the copy without a picture; it goes rather than leaking.
    if (!result)
        DeleteObject(copy);
    return result;
}

}  // namespace velmo::memorydc
