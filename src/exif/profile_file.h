// ProfileFile: an INI file on disk, parsed once and parsed again only when it changes.
//
// refresh() is called once per image read: it compares the file's identity, size and change
// times with those of the copy in memory, so that an edited file takes effect at the next read
// without the file being opened for every lookup. A copy read within two seconds of the file's
// last change is not trusted (an edit in the same clock tick keeps the times), so such a file is
// read again until it has been quiet for that long. A missing or unreadable file is an empty
// profile.
#pragma once

#include <ctime>
#include <filesystem>

#include "exif/profile.h"

namespace velmo::exif {

class ProfileFile {
public:
    explicit ProfileFile(std::filesystem::path path) : path_(std::move(path)) { }

    const std::filesystem::path& path() const { return path_; }
    const Profile& refresh();
    const Profile& profile() const { return profile_; }

private:
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified {};
        timespec changed {};
        bool operator==(const Stamp& other) const;
    };

    std::filesystem::path path_;
    Profile profile_;
    Stamp stamp_;
    bool settled_ = false;  // the copy was read well after the file's last change
};

}  // namespace velmo::exif
