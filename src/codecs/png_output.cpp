#include "codecs/png_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "gfx/png_writer.h"

namespace velmo::codecs {

std::optional<std::string> write_png_whole(const gfx::Bitmap& pixels, const std::filesystem::path& png)
{
    std::filesystem::path temporary = png;
    temporary += ".velmo-" + std::to_string(::getpid()) + ".tmp";
    // O_EXCL: never write through a name someone else made.
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return "cannot write " + png.string() + ": " + std::strerror(errno);
    ::close(fd);
    if (!gfx::write_png(pixels, temporary)) {
        std::filesystem::remove(temporary);
        return "cannot write " + png.string();
    }
    std::error_code failure;
    std::filesystem::rename(temporary, png, failure);
    if (failure) {
        std::filesystem::remove(temporary);
        return "cannot write " + png.string() + ": " + failure.message();
    }
    return std::nullopt;
}

}  // namespace velmo::codecs
