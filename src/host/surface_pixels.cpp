// A surface's client pixels as shown, one at a time or written out as a PNG.
#include "host/surface.h"

#include "gfx/png_writer.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

int32_t Surface::pixel(int x, int y) const
{
    HDC dc = auto_redraw_ && image_ ? image_->dc.get() : GetDC(window_);
    COLORREF value = GetPixel(dc, x, y);
    if (!(auto_redraw_ && image_))
        ReleaseDC(window_, dc);
    return static_cast<int32_t>(value);
}

void Surface::write_png(const std::filesystem::path& path) const
{
    HDC dc = auto_redraw_ && image_ ? image_->dc.get() : GetDC(window_);
    auto source = reading_source(dc);
    bool written = source && gfx::write_png(*source->bitmap, source->area, path);
    if (!(auto_redraw_ && image_))
        ReleaseDC(window_, dc);
    if (!written)
        raise(err::PathFileAccess, "Cannot write " + path.string());
}

}  // namespace velmo::host
