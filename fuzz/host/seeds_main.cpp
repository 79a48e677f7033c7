// fuzz_load_picture_seeds FOLDER: writes the seed corpus of the picture loader's fuzz target: the
// tiny test picture as a BMP, GIF, JPEG and PNG file.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/picture_fixture.h"

int main(int argc, char** argv)
{
    using namespace velmo::fixture;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const char* const names[] = { "picture.bmp", "picture.gif", "picture.jpg", "picture.png" };
    int n = 0;
    for (PictureFormat format : picture_formats) {
        auto bytes = picture_file(format);
        std::ofstream(folder / names[n++], std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::printf("%d seeds in %s\n", n, argv[1]);
    return 0;
}
