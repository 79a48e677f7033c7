// TempFolder: a folder of its own under the system's temporary folder, removed with everything in
// it when the object goes. Its name is unique, so tests running side by side never share files.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace velmo::testing {

class TempFolder {
public:
    // The prefix starts the folder's name, to tell whose leftovers are whose.
    explicit TempFolder(std::string_view prefix = "velmo")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Usable wherever a path is.
    operator const std::filesystem::path&() const { return path_; }
    std::string string() const { return path_.string(); }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace velmo::testing
