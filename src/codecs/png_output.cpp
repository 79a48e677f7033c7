#include "codecs/png_output.h"

#include "codecs/atomic_file.h"
#include "gfx/png_writer.h"

namespace velmo::codecs {

void write_png_whole(const gfx::Bitmap& pixels, const std::filesystem::path& png)
{
    write_png_whole(pixels, pixels.rect(), png);
}

void write_png_whole(const gfx::Bitmap& pixels, gfx::Rect area, const std::filesystem::path& png)
{
    write_whole(png, [&](const std::filesystem::path& file) { return gfx::write_png(pixels, area, file); });
}

}  // namespace velmo::codecs
