// clsKxLumoMemoryDCA: an off-screen drawing context, compatible with the screen, with one bitmap
// selected into it, and conversion between that bitmap and picture objects.
//
// A private class: it has a member table, so it answers by name like any object, but it is in no
// type-library listing and no ProgID creates it; C++ code and its own Picture members make it.
// All members are unguarded; only hBitmap's assignment raises an error of its own.
//
// Ownership: a bitmap the instance made is deleted when it is replaced, and at the end of the
// instance while TerminateKillsBitmap is True; a bitmap handed in through hBitmap belongs to
// someone else and is only selected out again, never deleted.
#pragma once

#include "automation/object.h"
#include "platform/types.h"

namespace velmo::memorydc {

// The error hBitmap's assignment raises for a handle GetObjectA does not accept: the component's
// error base 0x80040000 plus 1.
inline constexpr int32_t invalid_handle_error = static_cast<int32_t>(0x80040001u);

class clsKxLumoMemoryDCA : public Object {
public:
    // A 1 x 1 bitmap of its own, deleted at the end.
    clsKxLumoMemoryDCA();
    ~clsKxLumoMemoryDCA() override;
    clsKxLumoMemoryDCA(const clsKxLumoMemoryDCA&) = delete;
    clsKxLumoMemoryDCA& operator=(const clsKxLumoMemoryDCA&) = delete;

    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    void let_hBitmap(Long handle);
    Long get_hBitmap();
    void let_Height(Long value);
    Long get_Height();
    void set_Picture(ObjectRef picture);
    ObjectRef get_Picture();
    void let_PixelColor(Long x, Long y, Long color);
    Long get_PixelColor(Long x, Long y);
    void let_TerminateKillsBitmap(Boolean value);
    Boolean get_TerminateKillsBitmap();
    void let_Width(Long value);
    Long get_Width();
    Long get_hdc();
    Long get_bmType();
    Long get_WidthBytes();
    Integer get_Planes();
    Integer get_BitsPerPixel();
    Long get_Bits();

    // A colour with bit 31 set names a system colour (its index below): its current value;
    // any other colour is returned as it is.
    static Long ResolveSysColor(Long color);

private:
    void RecreateBitmap();
    void AdoptBitmap(platform::HBITMAP handle);

    platform::BITMAP tBmInfo;
    platform::HDC hDCMem = 0;
    platform::HBITMAP hBmp = 0;
    bool bBmpBorrowed = false;
    platform::HGDIOBJ hBmpOld = 0;
    Long lReqWidth = 0;
    Long lReqHeight = 0;
    Boolean bTerminateKillsBitmap = True;
};

}  // namespace velmo::memorydc
