#include "corpus.h"

#include <cstdio>

#include "exif/catalogue.h"
#include "support/exif_fixture.h"

namespace velmo::exif::bench {

std::vector<std::string> write_corpus(const std::filesystem::path& folder, int count)
{
    std::filesystem::create_directories(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        fixture::Layout layout = fixture::camera(i % 2 ? ByteOrder::BigEndian : ByteOrder::LittleEndian, i);
        // The thumbnail's directory, as cameras write it; the reader does not read it.
        layout.ifd1 = { fixture::shorts(259, { 6 }), fixture::rationals(282, { { 72, 1 } }), fixture::rationals(283, { { 72, 1 } }),
            fixture::shorts(296, { 2 }), fixture::longs(513, { 0 }), fixture::longs(514, { 0 }) };
        layout.image_side = 16 + i % 17;
        char name[32];
        std::snprintf(name, sizeof name, "%04d.jpg", i);
        paths.push_back((folder / name).string());
        fixture::write_file(paths.back(), fixture::jpeg(layout));
    }
    return paths;
}

}  // namespace velmo::exif::bench
