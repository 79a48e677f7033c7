// exif_corpus FOLDER [COUNT]: writes the benchmark corpus, for the whole-process comparisons.
#include <cstdio>
#include <cstdlib>

#include "corpus.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: exif_corpus FOLDER [COUNT]\n");
        return 2;
    }
    int count = argc > 2 ? std::atoi(argv[2]) : 2000;
    auto paths = velmo::exif::bench::write_corpus(argv[1], count);
    std::printf("%zu files in %s\n", paths.size(), argv[1]);
    return 0;
}
