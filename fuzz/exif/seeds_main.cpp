// fuzz_exif_read_seeds FOLDER: writes the seed corpus of the EXIF reader's fuzz target: camera-like
// files in both byte orders and a few crafted ones at the edges of the window.
#include <cstdio>
#include <filesystem>

#include "exif/catalogue.h"
#include "support/exif_fixture.h"

int main(int argc, char** argv)
{
    using namespace velmo::exif;
    using namespace velmo::exif::fixture;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    int n = 0;
    auto put = [&](const std::vector<uint8_t>& bytes) { write_file(folder / ("seed" + std::to_string(n++)), bytes); };

    for (ByteOrder order : { ByteOrder::LittleEndian, ByteOrder::BigEndian }) {
        put(jpeg(camera(order, 7)));
        put(tiff_block(camera(order, 11)));
        Layout lists { order, { rationals(532, { { 0, 1 }, { 255, 1 }, { 128, 0 } }), srationals(37379, { { -5, 2 } }),
                                 undefined(tag::MakerNote, "maker\x01\x02note"), ascii(270, "caf\xE9"), numbers_of(1, DoubleType, { 1 }) } };
        put(jpeg(lists));
        Layout late = camera(order, 3);
        late.padding = 4000;
        put(jpeg(late));
        put(jpeg(Layout { order, { crafted(tag::ExifOffset, LongType, 1, 4090) } }));
    }
    put(plain_jpeg());
    std::printf("%d seeds in %s\n", n, argv[1]);
    return 0;
}
