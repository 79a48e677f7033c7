#include "codecs/image_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>

#include "codecs/atomic_file.h"
#include "gfx/png_writer.h"

namespace velmo::codecs {

std::optional<ImageFormat> format_of(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png")
        return ImageFormat::Png;
    if (extension == ".jpg" || extension == ".jpeg")
        return ImageFormat::Jpeg;
    if (extension == ".webp")
        return ImageFormat::WebP;
    return std::nullopt;
}

std::vector<uint8_t> encode_image(const gfx::Bitmap& pixels, ImageFormat format, int quality)
{
    switch (format) {
    case ImageFormat::Png: return gfx::encode_png(pixels, pixels.rect());
    case ImageFormat::Jpeg: return encode_jpeg(pixels, quality);
    case ImageFormat::WebP: return encode_webp_lossless(pixels);
    }
    return {};
}

bool write_all(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

namespace {

// Opens the temporary file of `out`, hands it to `write` and commits; raises 75 with the reason
// when the picture cannot be encoded or written.
void write_through(AtomicFile& out, const std::function<gfx::PngWrite(int fd)>& write)
{
    int fd = ::open(out.path().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        out.fail(errno);
    gfx::PngWrite result = write(fd);
    int saved = errno;
    if (::close(fd) != 0 && result == gfx::PngWrite::Written) {
        result = gfx::PngWrite::NotWritten;
        saved = errno;
    }
    if (result == gfx::PngWrite::NotEncoded)
        out.fail("the picture cannot be encoded");
    if (result == gfx::PngWrite::NotWritten)
        out.fail(saved);
    out.commit();
}

}  // namespace

void write_image_whole(const gfx::Bitmap& pixels, const std::filesystem::path& file, ImageFormat format, int quality)
{
    AtomicFile out(file);
    if (format == ImageFormat::Png)
        return write_through(out, [&](int fd) { return gfx::write_png(pixels, pixels.rect(), fd); });
    std::vector<uint8_t> bytes = encode_image(pixels, format, quality);
    if (bytes.empty())
        out.fail("the picture cannot be encoded");
    write_through(out, [&](int fd) { return write_all(fd, bytes) ? gfx::PngWrite::Written : gfx::PngWrite::NotWritten; });
}

void write_image_whole(gfx::Bitmap&& pixels, const std::filesystem::path& file, ImageFormat format, int quality)
{
    if (format != ImageFormat::Png) {
        const gfx::Bitmap spent = std::move(pixels);
        pixels = gfx::Bitmap({ 0, 0 });
        return write_image_whole(spent, file, format, quality);
    }
    AtomicFile out(file);
    write_through(out, [&](int fd) { return gfx::write_png_spending(std::move(pixels), fd); });
}

}  // namespace velmo::codecs
