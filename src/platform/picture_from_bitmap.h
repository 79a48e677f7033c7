// The library's one way of turning a bitmap handle (and a palette handle, 0 for none) into a
// standard picture object. The picture owns both handles from then on: they are deleted on its
// last release, and nobody else may delete them.
#pragma once

#include "automation/object.h"
#include "platform/types.h"

namespace velmo::platform {

// The picture, or an empty reference when the picture runtime gave no object back. The handles
// are passed on unchecked, as the runtime takes them.
ObjectRef PictureFromBitmap(HBITMAP bitmap, HPALETTE palette);

}  // namespace velmo::platform
