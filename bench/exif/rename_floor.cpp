// rename_floor FILE...: the least a renamer that reads each file's head can do, on one thread:
// open, read 4 KiB, close, and one no-replace rename (to FILE.moved). The floor `velmo rename`
// is measured against (compare.sh).
#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <unistd.h>

#include <string>

int main(int argc, char** argv)
{
    char head[4096];
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        int fd = ::open(argv[i], O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::read(fd, head, sizeof head) < 0) {
            ++failed;
        }
        if (fd >= 0)
            ::close(fd);
        std::string target = std::string(argv[i]) + ".moved";
        if (::renameat2(AT_FDCWD, argv[i], AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
            ++failed;
    }
    return failed ? 1 : 0;
}
