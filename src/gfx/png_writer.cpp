#include "gfx/png_writer.h"

#include <cairo.h>

namespace velmo::gfx {

bool write_png(const Bitmap& bitmap, Rect area, const std::filesystem::path& path)
{
    Rect part = area.intersected(bitmap.rect());
    if (part.is_empty())
        return false;
    // cairo only reads through this pointer when writing the file.
    auto* first = const_cast<uint32_t*>(bitmap.scanline(part.y) + part.x);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(first),
        CAIRO_FORMAT_RGB24, part.width, part.height, bitmap.stride_bytes());
    cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    return status == CAIRO_STATUS_SUCCESS;
}

}  // namespace velmo::gfx
