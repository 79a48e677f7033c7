#include "platform/ole.h"

#include "platform/picture.h"

namespace velmo::platform {

HRESULT OleCreatePictureIndirect(const PICTDESC* description, const GUID& interface_id, BOOL own, ObjectRef* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (interface_id != IID_IDispatch && interface_id != IID_IPicture && interface_id != IID_IPictureDisp)
        return E_NOINTERFACE;
    if (!description) {
        *out = Picture::empty();
        return S_OK;
    }
    if (description->cbSizeofstruct < 8 || (description->picType != PICTYPE_BITMAP && description->picType != PICTYPE_NONE))
        return E_INVALIDARG;
    if (description->picType == PICTYPE_NONE) {
        *out = Picture::empty();
        return S_OK;
    }
    auto ownership = own ? Picture::Ownership::Owns : Picture::Ownership::Borrows;
    *out = std::make_shared<Picture>(description->hbitmap, description->hpal, ownership);
    return S_OK;
}

}  // namespace velmo::platform
