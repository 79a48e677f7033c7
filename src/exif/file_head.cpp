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

    size_t got = 0;
    while (got < window_size) {
        ssize_t n = ::read(fd.get(), head.buffer.data() + got, window_size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            fill_with_blanks(head);
            return;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    // A file of 0 bytes is no file to read.
    head.size = got;
    head.status = got > 0 ? FileHead::Status::Read : FileHead::Status::NotFound;
}

}  // namespace velmo::exif
