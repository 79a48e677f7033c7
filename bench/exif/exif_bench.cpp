// Reading the EXIF block of one camera-like file, per file of a 2000-file corpus:
//   Floor         open, read 4096 bytes, close: what any reader must pay
//   FloorWithIniCheck  the same and a stat of exif.ini, missing or present as for the reader
//                 it is compared with: what a reader that sees an edited exif.ini at the
//                 next read must pay
//   Velmo         ImageFile put + ListInfo(True), called directly and late-bound by name,
//                 without exif.ini and with a small one
//   Libexif       exif_data_new_from_file with its default options, then every entry of every
//                 directory formatted with exif_entry_get_value
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "automation/late.h"
#include "corpus.h"
#include "exif/jpg_tags.h"
#include "runtime/app.h"
#include "support/exif_fixture.h"
#include "support/temp_folder.h"

#if VELMO_BENCH_LIBEXIF
#include <libexif/exif-data.h>
#endif

namespace {

using namespace velmo;

constexpr int corpus_size = 2000;

struct Corpus {
    testing::TempFolder folder;
    std::vector<std::string> paths = exif::bench::write_corpus(folder / "corpus", corpus_size);
};

const Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

// The next file of the corpus, round and round. Each benchmark calls it once before its timed
// loop, so that writing the corpus is never timed.
const std::string& next_path(size_t& i)
{
    const auto& paths = corpus().paths;
    const std::string& path = paths[i];
    i = i + 1 == paths.size() ? 0 : i + 1;
    return path;
}

void open_read_close(const std::string& path)
{
    char buffer[4096];
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
    ::close(fd);
}

void Floor(benchmark::State& state)
{
    size_t i = 0;
    next_path(i);
    for (auto _ : state)
        open_read_close(next_path(i));
}
BENCHMARK(Floor);

enum class Ini { None, Small };

// A library folder of its own, with or without a small exif.ini. A profile changed within the last
// two seconds is read again at every read, so the benchmark lets the new file settle first.
const std::filesystem::path& library_folder(Ini ini)
{
    static testing::TempFolder without_ini;
    static testing::TempFolder with_ini;
    static const bool written = [] {
        std::string text = "[Orientation]\n1=Top-left\n3=Bottom-right\n6=Right-top\n8=Left-bottom\nFormat=@X\n"
                           "[ResolutionUnit]\n2=inches\n3=cm\n[MeteringMode]\n5=Pattern\n[Flash]\n9=Fired\n16=Off\n"
                           "[ExposureTime]\nFormat=1/@X s\n[FNumber]\nFormat=f/@X\n";
        exif::fixture::write_file(with_ini / "exif.ini", { text.begin(), text.end() });
        std::this_thread::sleep_for(std::chrono::milliseconds(3100));
        return true;
    }();
    (void)written;
    return ini == Ini::Small ? with_ini.path() : without_ini.path();
}

void use_library_folder(Ini ini) { host::set_library_folder(library_folder(ini)); }

// The floor and the exif.ini change check every read must make: the least a reader that honours
// an edited exif.ini at the next read can pay. The stat looks in the folder of the reader it is
// compared with, so it finds the file where that reader does.
void FloorWithIniCheck(benchmark::State& state, Ini ini)
{
    const std::string path = (library_folder(ini) / "exif.ini").string();
    size_t i = 0;
    next_path(i);
    for (auto _ : state) {
        open_read_close(next_path(i));
        struct stat info;
        benchmark::DoNotOptimize(::stat(path.c_str(), &info));
    }
}
BENCHMARK_CAPTURE(FloorWithIniCheck, no_ini, Ini::None);
BENCHMARK_CAPTURE(FloorWithIniCheck, small_ini, Ini::Small);

void Velmo(benchmark::State& state, Ini ini)
{
    use_library_folder(ini);
    exif::clsKxLumoJPGTagsA reader;
    Variant with_lines(True);
    size_t i = 0;
    next_path(i);
    for (auto _ : state) {
        reader.LetImageFile(Variant(next_path(i)));
        benchmark::DoNotOptimize(reader.ListInfo(ByRef<Boolean>(with_lines)));
    }
}
BENCHMARK_CAPTURE(Velmo, no_ini, Ini::None);
BENCHMARK_CAPTURE(Velmo, small_ini, Ini::Small);

// The two halves of the above: reading a file, and listing what was read.
void VelmoReadOnly(benchmark::State& state)
{
    use_library_folder(Ini::None);
    exif::clsKxLumoJPGTagsA reader;
    size_t i = 0;
    next_path(i);
    for (auto _ : state)
        reader.LetImageFile(Variant(next_path(i)));
}
BENCHMARK(VelmoReadOnly);

void VelmoListInfoOnly(benchmark::State& state)
{
    use_library_folder(Ini::None);
    exif::clsKxLumoJPGTagsA reader;
    reader.LetImageFile(Variant(corpus().paths[1]));
    Variant with_lines(True);
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.ListInfo(ByRef<Boolean>(with_lines)));
}
BENCHMARK(VelmoListInfoOnly);

void VelmoLateBound(benchmark::State& state, Ini ini)
{
    use_library_folder(ini);
    ObjectRef reader = std::make_shared<exif::clsKxLumoJPGTagsA>();
    size_t i = 0;
    next_path(i);
    for (auto _ : state) {
        late::let(reader, "ImageFile", next_path(i));
        benchmark::DoNotOptimize(late::call(reader, "ListInfo", True));
    }
}
BENCHMARK_CAPTURE(VelmoLateBound, no_ini, Ini::None);
BENCHMARK_CAPTURE(VelmoLateBound, small_ini, Ini::Small);

#if VELMO_BENCH_LIBEXIF
void Libexif(benchmark::State& state)
{
    size_t i = 0;
    next_path(i);
    char value[1024];
    for (auto _ : state) {
        ExifData* data = exif_data_new_from_file(next_path(i).c_str());
        if (!data) {
            state.SkipWithError("libexif did not load a corpus file");
            break;
        }
        exif_data_foreach_content(
            data,
            [](ExifContent* content, void* buffer) {
                exif_content_foreach_entry(
                    content, [](ExifEntry* entry, void* out) { benchmark::DoNotOptimize(exif_entry_get_value(entry, static_cast<char*>(out), 1024)); },
                    buffer);
            },
            value);
        exif_data_unref(data);
    }
}
BENCHMARK(Libexif);
#endif

}  // namespace

BENCHMARK_MAIN();
