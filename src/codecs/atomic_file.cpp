#include "codecs/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "automation/error.h"

namespace velmo::codecs {

namespace {

constexpr std::string_view temporary_suffix = ".velmo-XXXXXX";

[[noreturn]] void cannot_write(const std::filesystem::path& target, int error_number)
{
    std::string description = "Cannot write " + target.string();
    if (error_number != 0)
        description += std::string(": ") + std::strerror(error_number);
    throw Error(err::PathFileAccess, "velmo", description);
}

// ".NAME.velmo-XXXXXX", with NAME cut short where the whole would pass the longest name a folder
// takes, so any name the target may have also works for its temporary file.
std::string temporary_pattern(const std::filesystem::path& target)
{
    std::string name = target.filename().string();
    size_t room = NAME_MAX - 1 - temporary_suffix.size();
    if (name.size() > room)
        name.resize(room);
    auto folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    return (folder / ("." + name + std::string(temporary_suffix))).string();
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target))
{
    struct stat status {};
    if (::stat(target_.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        if (S_ISDIR(status.st_mode))
            cannot_write(target_, EISDIR);
        path_ = target_;
        return;
    }
    std::string pattern = temporary_pattern(target_);
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        cannot_write(target_, errno);
    // mkstemp makes the file private; the result gets the mode any new file would.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    path_ = pattern;
    pending_ = true;
}

AtomicFile::~AtomicFile()
{
    if (pending_)
        ::unlink(path_.c_str());
}

void AtomicFile::commit()
{
    if (!pending_)
        return;
    if (::rename(path_.c_str(), target_.c_str()) != 0)
        fail(errno);
    pending_ = false;
}

void AtomicFile::fail(int error_number) const { cannot_write(target_, error_number); }

void AtomicFile::fail(const std::string& reason) const
{
    throw Error(err::PathFileAccess, "velmo", "Cannot write " + target_.string() + ": " + reason);
}

void write_whole(const std::filesystem::path& target, const std::function<bool(const std::filesystem::path&)>& write)
{
    AtomicFile file(target);
    errno = 0;
    if (!write(file.path()))
        file.fail(errno);
    file.commit();
}

}  // namespace velmo::codecs
