// KeptPixels: memory for screen reads that outlives the bitmap it was lent to. A read's pixels
// go to a bitmap the caller keeps (a picture, usually); when that bitmap goes, its block comes
// back here instead of to the kernel, and the next read of the same size writes into pages that
// are already there. A fresh screen-sized block costs more in first touches than the copy into it.
#pragma once

#include <memory>

#include "gfx/bitmap.h"

namespace velmo::platform::wayland {

class KeptPixels {
public:
    KeptPixels();
    // Blocks lent out and not yet back are freed by their bitmaps from then on.
    ~KeptPixels();
    KeptPixels(const KeptPixels&) = delete;
    KeptPixels& operator=(const KeptPixels&) = delete;

    // A bitmap of `size` whose pixels hold no values yet, on a kept block where one fits.
    gfx::Bitmap take(gfx::Size size);

    struct Shelf;

private:
    std::shared_ptr<Shelf> shelf_;
};

}  // namespace velmo::platform::wayland
