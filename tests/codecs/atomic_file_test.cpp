#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codecs/atomic_file.h"
#include "support/temp_folder.h"
#include "support/velmo_error.h"

namespace fs = std::filesystem;
using velmo::codecs::write_whole;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (mounted_)
            ::umount(folder_.path().c_str());
    }

    static std::string read(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return { std::istreambuf_iterator<char>(in), {} };
    }
    static bool put(const fs::path& file, const std::string& bytes)
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
        return static_cast<bool>(out.flush());
    }
    // Every name in the folder: the target must be the only one left, whatever happened.
    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

    velmo::testing::TempFolder folder_ { "velmo-atomic" };
    bool mounted_ = false;
};

TEST_F(AtomicFileTest, WritesWholeOrKeepsTheEarlierFile)
{
    const std::string long_name = std::string(NAME_MAX - 4, 'n') + ".png";
    struct Case {
        std::string name;
        bool earlier;  // a file of that name exists before
        bool succeeds;
    };
    const Case cases[] = {
        { "new.png", false, true },
        { "new.png", false, false },
        { "old.png", true, true },
        { "old.png", true, false },
        { long_name, false, true },
        { long_name, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 20) + (c.earlier ? " earlier" : " new") + (c.succeeds ? " succeeds" : " fails"));
        for (const auto& entry : fs::directory_iterator(folder_))
            fs::remove(entry.path());
        fs::path target = folder_ / c.name;
        if (c.earlier) {
            ASSERT_TRUE(put(target, "earlier"));
        }
        fs::path written_to;
        auto write = [&](const fs::path& file) {
            written_to = file;
            // A failing writer leaves a partial file behind it, as a full disk does.
            EXPECT_TRUE(put(file, c.succeeds ? "whole" : "part"));
            errno = ENOSPC;
            return c.succeeds;
        };
        if (c.succeeds) {
            write_whole(target, write);
            EXPECT_EQ(read(target), "whole");
        } else {
            try {
                write_whole(target, write);
                ADD_FAILURE() << "no error";
            } catch (const velmo::Error& error) {
                EXPECT_EQ(error.number(), velmo::err::PathFileAccess);
                EXPECT_EQ(error.source(), "velmo");
                EXPECT_EQ(error.description(), "Cannot write " + target.string() + ": " + std::strerror(ENOSPC));
            }
            if (c.earlier) {
                EXPECT_EQ(read(target), "earlier");
            }
        }
        EXPECT_NE(written_to, target) << "a regular file is written beside, then renamed";
        EXPECT_EQ(written_to.parent_path(), target.parent_path());
        EXPECT_LE(written_to.filename().string().size(), size_t(NAME_MAX));
        std::vector<std::string> left;
        if (c.succeeds || c.earlier)
            left.push_back(c.name);
        EXPECT_EQ(names(), left);
    }
}

TEST_F(AtomicFileTest, ErrorsNameTheTargetAndTheReason)
{
    fs::path missing_folder = folder_ / "no-such-folder" / "out.png";
    EXPECT_VELMO_ERROR(write_whole(missing_folder, [](const fs::path&) { return true; }), velmo::err::PathFileAccess, "velmo");
    try {
        write_whole(missing_folder, [](const fs::path&) { return true; });
    } catch (const velmo::Error& error) {
        EXPECT_EQ(error.description(), "Cannot write " + missing_folder.string() + ": " + std::strerror(ENOENT));
    }
    EXPECT_VELMO_ERROR(write_whole(folder_, [](const fs::path&) { return true; }), velmo::err::PathFileAccess, "velmo");
    EXPECT_TRUE(fs::is_directory(folder_));
}

// A device or FIFO is written to as it is, never replaced by a regular file.
TEST_F(AtomicFileTest, SpecialFilesAreWrittenDirectly)
{
    fs::path fifo = folder_ / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    write_whole(fifo, [&](const fs::path& file) {
        EXPECT_EQ(file, fifo);
        return put(file, "through");
    });
    char bytes[16] = {};
    EXPECT_EQ(::read(reader, bytes, sizeof bytes), 7);
    EXPECT_EQ(std::string(bytes), "through");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));

    // The null device's numbers, on a node of our own; only root may make one.
    fs::path device = folder_ / "null";
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "making a device node needs root: " << std::strerror(errno);
    write_whole(device, [&](const fs::path& file) {
        EXPECT_EQ(file, device);
        return put(file, "discarded");
    });
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_EQ(names(), (std::vector<std::string> { "null", "pipe" }));
}

// A disk that fills up under the writer: the error says so, and the earlier file survives.
TEST_F(AtomicFileTest, FullDiskKeepsTheEarlierFile)
{
    if (::mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root: " << std::strerror(errno);
    mounted_ = true;
    fs::path target = folder_ / "picture.png";
    ASSERT_TRUE(put(target, "earlier"));
    const std::string big(256 * 1024, 'x');
    try {
        write_whole(target, [&](const fs::path& file) { return put(file, big); });
        ADD_FAILURE() << "a 256 KiB file fitted on a 64 KiB disk";
    } catch (const velmo::Error& error) {
        EXPECT_EQ(error.description(), "Cannot write " + target.string() + ": " + std::strerror(ENOSPC));
    }
    EXPECT_EQ(read(target), "earlier");
    EXPECT_EQ(names(), std::vector<std::string> { "picture.png" });
}

}  // namespace
