// A file written whole or not at all. The bytes go to a fresh temporary file beside the target,
// renamed over it only once complete, so a failure (a full disk, an encoder that gives up) leaves
// neither a partial file nor a damaged earlier one. Only a regular file or a new name is replaced
// that way: a device, FIFO or other special file is written to directly, as any program would.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace velmo::codecs {

class AtomicFile {
public:
    // Errors are 75 from "velmo", "Cannot write TARGET: reason", naming the target, never the
    // temporary file. Raised here when no temporary file can be made beside the target.
    explicit AtomicFile(std::filesystem::path target);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::filesystem::path& target() const { return target_; }
    // Where to write now: the temporary file, or the target itself when it is a special file.
    const std::filesystem::path& path() const { return path_; }

    // Puts the written file in place; raises 75 naming the target when it cannot.
    void commit();
    // Raises 75 "Cannot write TARGET", with the system's reason for `error_number` when not 0.
    [[noreturn]] void fail(int error_number) const;
    // Raises 75 "Cannot write TARGET: reason".
    [[noreturn]] void fail(const std::string& reason) const;

private:
    std::filesystem::path target_;
    std::filesystem::path path_;
    bool pending_ = false;  // path_ is a temporary file still to be renamed or removed
};

// Writes `target` whole through `write`, which fills the path it is given and answers false when it
// cannot (leaving errno set, when a system call failed, for the reason in the error).
void write_whole(const std::filesystem::path& target, const std::function<bool(const std::filesystem::path&)>& write);

}  // namespace velmo::codecs
