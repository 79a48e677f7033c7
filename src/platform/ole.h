// Picture creation as the OLE runtime offers it: a description of a bitmap (and palette) becomes
// a standard picture object.
#pragma once

#include <array>
#include <cstdint>

#include "automation/object.h"
#include "platform/types.h"

namespace velmo::platform {

using HRESULT = int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

struct GUID {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    std::array<uint8_t, 8> data4 {};
    friend bool operator==(const GUID&, const GUID&) = default;
};

inline constexpr GUID IID_IDispatch { 0x00020400, 0x0000, 0x0000, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
inline constexpr GUID IID_IPicture { 0x7BF80980, 0xBF32, 0x101A, { 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB } };
inline constexpr GUID IID_IPictureDisp { 0x7BF80981, 0xBF32, 0x101A, { 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB } };

inline constexpr UINT PICTYPE_NONE = 0;
inline constexpr UINT PICTYPE_BITMAP = 1;

// The bitmap form of the description: 20 bytes, the last four unused by bitmaps.
struct PICTDESC {
    UINT cbSizeofstruct = 20;
    UINT picType = PICTYPE_BITMAP;
    HBITMAP hbitmap = 0;
    HPALETTE hpal = 0;
    uint32_t unused = 0;
};
static_assert(sizeof(PICTDESC) == 20);

// Makes a picture of the bitmap and palette; with `own` non-zero the picture deletes both on its
// last release. The handles are taken as they are, unchecked, as the runtime does.
HRESULT OleCreatePictureIndirect(const PICTDESC* description, const GUID& interface_id, BOOL own, ObjectRef* out);

}  // namespace velmo::platform
