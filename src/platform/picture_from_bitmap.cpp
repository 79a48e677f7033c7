#include "platform/picture_from_bitmap.h"

#include "platform/ole.h"

namespace velmo::platform {

using namespace velmo::platform;

ObjectRef PictureFromBitmap(HBITMAP bitmap, HPALETTE palette)
{
    PICTDESC description;
    description.cbSizeofstruct = sizeof(PICTDESC);
    description.picType = PICTYPE_BITMAP;
    description.hbitmap = bitmap;
    description.hpal = palette;
    const GUID interface_id = IID_IDispatch;
    ObjectRef picture;
    // The status is not looked at: whether an object came back is all that matters.
    OleCreatePictureIndirect(&description, interface_id, 1, &picture);
    return picture;
}

}  // namespace velmo::platform
