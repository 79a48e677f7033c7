#include "exif/file_head.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "exif/unique_fd.h"

namespace velmo::exif {

namespace {

void fill_with_blanks(FileHead& head)
{
    head.buffer.fill(' ');
    head.size = window_size;
    head.status = FileHead::Status::Read;
}

}  // namespace

void read_file_head(const std::string& path, FileHead& head)
{
    head.size = 0;
    head.status = FileHead::Status::NotFound;
    if (path.empty() || path.find('\0') != std::string::npos)
        return;

    // Non-blocking, so that a named pipe given as the path cannot hang the read.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!fd) {
        // It may exist and still refuse to open: then it reads as blanks.
        if (::stat(path.c_str(), &info) == 0 && info.st_size > 0)
            fill_with_blanks(head);
        return;
    }

    // One read of a file: a regular file gives all it has up to the size asked for, so a short
    // read is its end and a second call to see the end is spared.
    ssize_t got = 0;
    do {
        got = ::read(fd.get(), head.buffer.data(), window_size);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        fill_with_blanks(head);
        return;
    }
    // A file of 0 bytes is no file to read.
    head.size = static_cast<size_t>(got);
    head.status = got > 0 ? FileHead::Status::Read : FileHead::Status::NotFound;
}

}  // namespace velmo::exif
