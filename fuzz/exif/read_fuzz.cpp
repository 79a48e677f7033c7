// Any bytes as a file given to the EXIF reader: ImageFile, then ListInfo(True), then MetaInfo of
// every catalogue tag. A read fails only with error 1 "ReadMetaInfo"; the queries only with the
// errors they document (9 before any records, 6 for a number out of range, 10 for a file
// without EXIF block); nothing crashes.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "exif/catalogue.h"
#include "exif/jpg_tags.h"
#include "runtime/app.h"

namespace {

// The input's bytes as a file: a memory file, rewritten for every input, named by its descriptor.
const std::string& memory_file(const uint8_t* data, size_t size)
{
    static const int fd = memfd_create("exif-input", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)))
        std::abort();
    return path;
}

void expect(const velmo::Error& error, std::initializer_list<int32_t> allowed)
{
    for (int32_t number : allowed) {
        if (error.number() == number)
            return;
    }
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velmo;
    static const bool no_profile = [] {
        host::set_library_folder("/nonexistent/velmo-fuzz");
        return true;
    }();
    (void)no_profile;

    auto reader = std::make_shared<exif::clsKxLumoJPGTagsA>();
    try {
        reader->LetImageFile(Variant(memory_file(data, size)));
    } catch (const Error& error) {
        if (error.number() != err::ReadMetaInfo || error.source() != "ReadMetaInfo")
            std::abort();
    }
    try {
        Variant with_lines(True);
        reader->ListInfo(ByRef<Boolean>(with_lines));
    } catch (const Error& error) {
        expect(error, { err::SubscriptOutOfRange, err::Overflow });
    }
    for (const auto& entry : exif::catalogue) {
        try {
            Variant text;
            reader->MetaInfo(Long(entry.tag), ByRef<std::string>(text));
        } catch (const Error& error) {
            expect(error, { err::SubscriptOutOfRange, err::Overflow, err::MetaInfo });
        }
    }
    return 0;
}
