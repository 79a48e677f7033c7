#include "exif/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>

#include "exif/unique_fd.h"

namespace velmo::exif {

namespace {

constexpr time_t settle_seconds = 2;

bool same_time(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> read_all(const std::filesystem::path& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return text;
        text.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace

bool ProfileFile::Stamp::operator==(const Stamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size && same_time(modified, other.modified)
        && same_time(changed, other.changed);
}

const Profile& ProfileFile::refresh()
{
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        profile_ = Profile();
        stamp_ = Stamp();
        settled_ = false;
        return profile_;
    }
    Stamp now_stamp { info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim };
    if (settled_ && now_stamp == stamp_)
        return profile_;

    timespec now {};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    auto text = read_all(path_);
    profile_ = text ? Profile::parse(*text) : Profile();
    stamp_ = now_stamp;
    time_t last_change = std::max(info.st_mtim.tv_sec, info.st_ctim.tv_sec);
    settled_ = text.has_value() && now.tv_sec > last_change + settle_seconds;
    return profile_;
}

}  // namespace velmo::exif
