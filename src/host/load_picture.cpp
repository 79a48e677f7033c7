#include "host/load_picture.h"

#include <stb_image.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gdi.h"
#include "platform/picture.h"
#include "platform/scoped.h"
#include "platform/user.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmo::host {

using namespace velmo::platform;

namespace {

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

// Decoded pixels wider or taller than this, or more of them than this, are refused as no picture,
// before any bitmap exists.
constexpr int max_side = 1 << 15;
constexpr int64_t max_pixels = int64_t(1) << 26;
// The largest file an accepted picture can take: a 16-bit RGBA PNG stored without compression holds
// 8 bytes a pixel, plus a filter byte a row and a few bytes a block, well under 9.
constexpr int64_t max_file_bytes = max_pixels * 9;
// Enough of a file to tell its kind from: every signature and the BMP header size that is checked.
constexpr size_t head_bytes = 64;

class ScopedFd {
public:
    explicit ScopedFd(int fd) : fd_(fd) {}
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    ~ScopedFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads until `bytes` is full or the file ends; the size read.
size_t read_fully(int fd, std::span<uint8_t> bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            raise(err::PathFileAccess, std::string("Path/File access error: ") + std::strerror(errno));
        if (n == 0)
            break;
        done += size_t(n);
    }
    return done;
}

}  // namespace

bool jpeg_huffman_tables_fit(std::span<const uint8_t> bytes)
{
    // The decoder reads past the end as zeros; so does this walk.
    auto at = [&](size_t i) -> size_t { return i < bytes.size() ? bytes[i] : 0; };
    // The start marker, which the decoder takes after any number of fill bytes 0xFF.
    size_t start = 0;
    while (at(start) == 0xFF && at(start + 1) == 0xFF)
        ++start;
    if (at(start) != 0xFF || at(start + 1) != 0xD8)
        return true;
    // Every marker, in segments and between the scans' entropy-coded data (where tables of a
    // progressive file come), as the decoder meets them.
    for (size_t i = start + 2; i + 1 < bytes.size();) {
        uint8_t marker = bytes[i + 1];
        if (bytes[i] != 0xFF || marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;  // a stuffed byte, TEM or a restart marker: no length follows
            continue;
        }
        if (marker == 0xD9)
            break;
        const size_t length = at(i + 2) << 8 | at(i + 3);
        if (marker == 0xC4) {
            // Tables follow one another while the segment's length lasts: class and id, 16 counts,
            // then the codes.
            size_t table = i + 4;
            for (int64_t left = int64_t(length) - 2; left > 0;) {
                size_t codes = 0;
                for (size_t k = 1; k <= 16; ++k)
                    codes += at(table + k);
                if (codes > 256)
                    return false;
                table += 17 + codes;
                left -= 17 + int64_t(codes);
            }
        }
        i += 2 + length;
    }
    return true;
}

bool png_chunks_fit(std::span<const uint8_t> bytes)
{
    static constexpr uint8_t signature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (bytes.size() < sizeof signature || !std::equal(std::begin(signature), std::end(signature), bytes.begin()))
        return true;
    auto word_at = [&](size_t i) { return uint32_t(bytes[i]) << 24 | uint32_t(bytes[i + 1]) << 16 | uint32_t(bytes[i + 2]) << 8 | bytes[i + 3]; };
    // Each chunk: its length, its type, that many bytes of data, a checksum. The decoder stops at
    // IEND; a header cut short is read as zeros and fails there without a large allocation.
    for (size_t i = sizeof signature; i + 8 <= bytes.size();) {
        const uint32_t length = word_at(i);
        if (length > bytes.size() - i - 8)
            return false;
        if (word_at(i + 4) == 0x49454E44)  // IEND
            break;
        i += 12 + size_t(length);
    }
    return true;
}

bool is_known_picture_kind(std::span<const uint8_t> bytes)
{
    auto starts_with = [&](std::string_view head) {
        return bytes.size() >= head.size() && std::equal(head.begin(), head.end(), bytes.begin(), [](char a, uint8_t b) { return uint8_t(a) == b; });
    };
    auto le32_at = [&](size_t i) {
        return i + 4 <= bytes.size() ? uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 | uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 3]) << 24 : 0;
    };
    // Each test is the decoder's own for that kind, so a file that passes one is decoded as that
    // kind and never falls through to a kind without a signature (a TGA takes almost any bytes).
    if (starts_with("\xFF")) {  // JPEG: the start marker after any number of fill bytes
        auto first = std::find_if(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0xFF; });
        return first != bytes.end() && *first == 0xD8;
    }
    if (starts_with("\x89PNG\r\n\x1A\n") || starts_with("GIF87a") || starts_with("GIF89a"))
        return true;
    if (starts_with("BM")) {  // the size of a header of one of the versions there are
        const uint32_t header = le32_at(14);
        return header == 12 || header == 40 || header == 56 || header == 108 || header == 124;
    }
    return false;
}

ObjectRef picture_from_bytes(std::span<const uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX) || !is_known_picture_kind(bytes) || !jpeg_huffman_tables_fit(bytes)
        || !png_chunks_fit(bytes))
        raise(err::InvalidPicture);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels) || width <= 0 || height <= 0
        || width > max_side || height > max_side || int64_t(width) * height > max_pixels)
        raise(err::InvalidPicture);
    std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4));
    if (!rgba)
        raise(err::InvalidPicture);

    // Red, green, blue, alpha bytes become blue, green, red, reserved, in place: the decoder's
    // buffer is the bitmap's rows, with no second copy of a picture that may be large.
    stbi_uc* const pixels = rgba.get();
    for (size_t i = 0, n = static_cast<size_t>(width) * height * 4; i < n; i += 4) {
        std::swap(pixels[i], pixels[i + 2]);
        pixels[i + 3] = 0;
    }

    ScopedWindowDC screen(GetDC(0), 0);
    ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap)
        raise(err::OutOfMemory);
    BITMAPINFO info {};
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS);
    return std::make_shared<Picture>(bitmap.release(), 0, Picture::Ownership::Owns);
}

ObjectRef LoadPicture(const std::string& file_name)
{
    if (file_name.empty())
        return Picture::empty();
    // Without blocking, so that a FIFO with no writer is refused instead of waited for.
    ScopedFd fd(::open(file_name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG || errno == ELOOP)
            raise(err::FileNotFound);
        raise(err::PathFileAccess, std::string("Path/File access error: ") + std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        raise(err::PathFileAccess, std::string("Path/File access error: ") + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        raise(err::PathFileAccess);
    // Devices, FIFOs and sockets may never end; only a file's bytes can be a picture.
    if (!S_ISREG(info.st_mode))
        raise(err::InvalidPicture, "Invalid picture: not a regular file");
    if (info.st_size > max_file_bytes)
        raise(err::InvalidPicture, "Invalid picture: the file is larger than any picture that can be loaded ("
                + std::to_string(max_file_bytes >> 20) + " MB)");
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);

    // The kind from the first bytes, before the rest is read.
    std::vector<uint8_t> bytes(std::min<size_t>(head_bytes, size_t(info.st_size)));
    bytes.resize(read_fully(fd.get(), bytes));
    if (bytes.empty() || (!is_known_picture_kind(bytes) && std::any_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0xFF; })))
        raise(err::InvalidPicture);
    // The size seen when opened bounds the read, even if the file grows meanwhile.
    const size_t head = bytes.size();
    bytes.resize(size_t(info.st_size));
    bytes.resize(head + read_fully(fd.get(), std::span(bytes).subspan(head)));
    return picture_from_bytes(bytes);
}

}  // namespace velmo::host
