// Any bytes as an exif.ini: parsing never fails, and every value found is non-empty and at most
// 1023 characters long.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exif/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using velmo::exif::Profile;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Profile profile = Profile::parse(text);
    // Looks up sections and keys made of the input's own pieces.
    for (size_t at = 0; at + 1 < size && at < 64; at += 7) {
        std::string_view piece = text.substr(at, 12);
        std::string_view value = profile.value(piece, piece.substr(1));
        if (value.size() > Profile::max_value_chars * 4)
            std::abort();
        size_t chars = 0;
        for (char c : value)
            chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (chars > Profile::max_value_chars)
            std::abort();
    }
    return 0;
}
