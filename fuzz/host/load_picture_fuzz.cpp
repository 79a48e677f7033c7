// Any bytes given to the picture loader: either a picture comes back, whose bitmap has the size it
// reports, or error 481; nothing else, and no crash.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "automation/late.h"
#include "host/load_picture.h"
#include "platform/display.h"
#include "platform/gdi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velmo;
    try {
        ObjectRef picture = host::picture_from_bytes(std::span(data, size));
        auto handle = static_cast<platform::HBITMAP>(late::get(picture, "Handle").to_long().value());
        platform::BITMAP record {};
        if (platform::GetObjectA(handle, sizeof record, &record) != sizeof record || record.bmWidth <= 0 || record.bmHeight <= 0)
            std::abort();
    } catch (const Error& error) {
        if (error.number() != err::InvalidPicture && error.number() != err::OutOfMemory)
            std::abort();
    }
    return 0;
}
