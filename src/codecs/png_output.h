// Writes a command's PNG output through a temporary file beside the target, renamed into place
// only when it is whole, so a failure leaves neither a partial file nor a damaged earlier one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "gfx/bitmap.h"

namespace velmo::codecs {

// Nothing on success; otherwise what went wrong, as one line for the user.
std::optional<std::string> write_png_whole(const gfx::Bitmap& pixels, const std::filesystem::path& png);

}  // namespace velmo::codecs
