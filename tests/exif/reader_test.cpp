// The reader: signature search, TIFF header, the two directories, and what a read leaves behind.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "exif/catalogue.h"
#include "read_helpers.h"
#include "support/velmo_error.h"

namespace velmo::exif {
namespace {

using namespace fixture;
using testing::both_orders;
using testing::ReadBench;

std::vector<uint8_t> bytes_of_text(std::string_view text) { return { text.begin(), text.end() }; }

// Expects read to fail with error 1 "ReadMetaInfo" and that description.
void expect_read_fault(ExifReader& reader, const std::string& path, const std::string& description)
{
    try {
        reader.read(path);
        ADD_FAILURE() << "the read of " << path << " went through";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), err::ReadMetaInfo);
        EXPECT_EQ(error.source(), "ReadMetaInfo");
        EXPECT_EQ(error.description(), description);
    }
}

TEST(ExifReader, BothByteOrdersGiveTheSameRecords)
{
    ReadBench bench;
    std::vector<TagRecord> little = bench.read(camera(ByteOrder::LittleEndian, 3));
    EXPECT_TRUE(bench.reader.little_endian());
    std::vector<TagRecord> big = bench.read(camera(ByteOrder::BigEndian, 3));
    EXPECT_FALSE(bench.reader.little_endian());

    ASSERT_EQ(little.size(), big.size());
    for (size_t i = 0; i < little.size(); ++i) {
        SCOPED_TRACE(little[i].name());
        EXPECT_EQ(little[i].id, big[i].id);
        EXPECT_EQ(little[i].name(), big[i].name());
        EXPECT_EQ(little[i].format, big[i].format);
        EXPECT_EQ(little[i].length, big[i].length);
        EXPECT_EQ(little[i].data, big[i].data);
        EXPECT_EQ(little[i].string_data, big[i].string_data);
    }
}

TEST(ExifReader, TenEntriesAndTwentyGiveThirtyRecordsIfd0First)
{
    for (ByteOrder order : both_orders) {
        ReadBench bench;
        Layout layout = camera(order);
        layout.ifd1 = { longs(513, { 4000 }), longs(514, { 100 }) };  // a thumbnail's directory: not read
        const auto& records = bench.read(layout);
        ASSERT_EQ(records.size(), 30u);
        EXPECT_EQ(bench.reader.result(), ReadResult::Read);
        for (size_t i = 0; i < 10; ++i)
            EXPECT_EQ(records[i].id, layout.ifd0[i].tag);
        for (size_t i = 0; i < 20; ++i)
            EXPECT_EQ(records[10 + i].id, layout.exif[i].tag);
        EXPECT_EQ(records[9].name(), "ExifOffset");
        EXPECT_EQ(records[15].string_data, "2019:01:01 00:00:00");
    }
}

TEST(ExifReader, WithoutExifOffsetOnlyIfd0IsRead)
{
    ReadBench bench;
    const auto& records = bench.read(Layout { ByteOrder::BigEndian, { shorts(274, { 6 }), ascii(271, "Maker") } });
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].data, 6.0);
}

TEST(ExifReader, ALinkOf0MeansThereIsNoExifDirectory)
{
    // An ExifOffset whose text reads as no number (a wrong field type) or as 0 links nowhere:
    // IFD0 alone is read, as when it has no ExifOffset.
    const std::pair<const char*, Entry> links[] = {
        { "ExifOffset as text", ascii(tag::ExifOffset, "Exif") },
        { "ExifOffset as UNDEFINED", undefined(tag::ExifOffset, "abc") },
        { "ExifOffset LONG 0", crafted(tag::ExifOffset, LongType, 1, 0) },
    };
    for (ByteOrder order : both_orders) {
        for (const auto& [what, link] : links) {
            SCOPED_TRACE(std::string(what) + " in " + testing::order_name(order));
            ReadBench bench;
            const auto& records = bench.read(Layout { order, { shorts(274, { 6 }), link, ascii(271, "Maker") } });
            EXPECT_EQ(bench.reader.result(), ReadResult::Read);
            ASSERT_EQ(records.size(), 3u);
            EXPECT_EQ(records[1].name(), "ExifOffset");
            EXPECT_EQ(records[2].string_data, "Maker");
        }
    }
}

TEST(ExifReader, AnyFileWithTheBlockInItsFirst4096BytesIsRead)
{
    ReadBench bench;
    auto tiff = tiff_block(Layout { ByteOrder::LittleEndian, { shorts(274, { 3 }) } });
    std::vector<uint8_t> file = bytes_of_text("not a JPEG at all; Exif");
    file.insert(file.end(), { 0, 0 });
    file.insert(file.end(), tiff.begin(), tiff.end());
    EXPECT_EQ(bench.reader.read(bench.write("notes.txt", file)), ReadResult::Read);
    EXPECT_EQ(bench.reader.records()->at(0).string_data, "3");
}

TEST(ExifReader, SignatureAfterByte4096IsNotExifAndChangesNothingElse)
{
    ReadBench bench;
    bench.read(camera(ByteOrder::BigEndian));
    const auto before = *bench.reader.records();

    Layout late = camera(ByteOrder::LittleEndian);
    late.padding = 4096;
    EXPECT_EQ(bench.reader.read(bench.write("late.jpg", jpeg(late))), ReadResult::NotExif);
    EXPECT_EQ(bench.reader.result(), ReadResult::NotExif);
    EXPECT_FALSE(bench.reader.little_endian()) << "still the last EXIF file's byte order";
    EXPECT_EQ(bench.reader.records()->size(), before.size());

    // Its signature just inside the window: found, and the header beyond it is a fault.
    Layout edge = camera(ByteOrder::LittleEndian);
    edge.padding = 4091 - 2 - 4;  // "Exif" NUL takes the window's last 5 bytes
    expect_read_fault(bench.reader, bench.write("edge.jpg", jpeg(edge)), "Invalid procedure call or argument");
    EXPECT_EQ(bench.reader.result(), ReadResult::NotExif) << "a failed read keeps the last result";
    EXPECT_EQ(bench.reader.records()->size(), before.size()) << "the fault came before the records were reset";
}

TEST(ExifReader, MissingOrEmptyFileIsFileNotFound)
{
    ReadBench bench;
    expect_read_fault(bench.reader, (bench.folder / "missing.jpg").string(), "File not found.");
    expect_read_fault(bench.reader, bench.write("empty.jpg", {}), "File not found.");
    expect_read_fault(bench.reader, "", "File not found.");
    EXPECT_EQ(bench.reader.records(), nullptr);
}

TEST(ExifReader, FolderIsAFileThatCannotBeReadSoNotExif)
{
    ReadBench bench;
    // A folder exists and has a size, but its bytes cannot be read.
    std::filesystem::create_directory(bench.folder / "folder.jpg");
    EXPECT_EQ(bench.reader.read((bench.folder / "folder.jpg").string()), ReadResult::NotExif);
}

TEST(ExifReader, FileThatCannotBeOpenedIsNotExif)
{
    ReadBench bench;
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    auto path = bench.write("locked.jpg", jpeg(camera(ByteOrder::LittleEndian)));
    chmod(path.c_str(), 0);
    EXPECT_EQ(bench.reader.read(path), ReadResult::NotExif);
}

TEST(ExifReader, ShortFileHasAWindowOfItsOwnBytesOnly)
{
    ReadBench bench;
    // IFD0 announced at offset 100 of a file that ends before it.
    std::vector<uint8_t> file = bytes_of_text("Exif");
    file.insert(file.end(), { 0, 0, 'I', 'I', 42, 0, 100, 0, 0, 0 });
    expect_read_fault(bench.reader, bench.write("short.bin", file), "Invalid procedure call or argument");
    EXPECT_TRUE(bench.reader.little_endian());
}

TEST(ExifReader, ExifDirectoryPastTheWindowFailsAndKeepsIfd0sRecords)
{
    for (ByteOrder order : both_orders) {
        SCOPED_TRACE(testing::order_name(order));
        ReadBench bench;
        EXPECT_EQ(bench.reader.read(bench.write("plain.jpg", plain_jpeg())), ReadResult::NotExif);

        // The Exif directory is crafted inside IFD0's first value: its count and first entry end
        // exactly at byte 4096, its second and third entries lie beyond.
        const size_t tiff_at = 12;                 // window offset of the TIFF header
        const size_t value_at = 8 + 2 + 3 * 12 + 4;  // TIFF offset of IFD0's first value
        const size_t directory_at = 4096 - 2 - 12 - tiff_at;
        std::string payload(4200, '\0');
        auto put = [&](size_t at, uint32_t value, size_t size) {
            for (size_t k = 0; k < size; ++k)
                payload[at + k] = static_cast<char>(value >> 8 * (order == ByteOrder::LittleEndian ? k : size - 1 - k));
        };
        const size_t in_payload = directory_at - value_at;
        put(in_payload, 3, 2);             // three entries
        put(in_payload + 2, 274, 2);       // Orientation, SHORT, 1 component, 8
        put(in_payload + 4, Short, 2);
        put(in_payload + 6, 1, 4);
        put(in_payload + 10, 8, 2);
        Layout layout { order,
            { undefined(37500, payload), shorts(296, { 2 }), crafted(tag::ExifOffset, LongType, 1, static_cast<uint32_t>(directory_at)) } };

        expect_read_fault(bench.reader, bench.write("far.jpg", jpeg(layout)), "Invalid procedure call or argument");
        EXPECT_EQ(bench.reader.result(), ReadResult::NotExif) << "a failed read keeps the last result";
        EXPECT_EQ(bench.reader.little_endian(), order == ByteOrder::LittleEndian);
        const auto& records = *bench.reader.records();
        ASSERT_EQ(records.size() + bench.reader.blank_records(), 6u) << "IFD0's three, the Exif directory's one, two blanks";
        EXPECT_EQ(records[2].name(), "ExifOffset");
        EXPECT_EQ(records[3].name(), "Orientation");
        EXPECT_EQ(records[3].string_data, "8");
        EXPECT_EQ(records.back().name(), "") << "the entry whose read failed stays blank";
    }
}

TEST(ExifReader, EntriesReachingPastTheWindowLeaveBlankRecords)
{
    ReadBench bench;
    // IFD0 announces 400 entries; the file, and the window, end long before the last one.
    Layout layout { ByteOrder::LittleEndian, { shorts(274, { 1 }) } };
    auto tiff = tiff_block(layout);
    tiff[8] = 0x90;  // entry count 0x190 = 400
    tiff[9] = 0x01;
    std::vector<uint8_t> file = bytes_of_text("Exif");
    file.insert(file.end(), { 0, 0 });
    file.insert(file.end(), tiff.begin(), tiff.end());
    expect_read_fault(bench.reader, bench.write("cut.bin", file), "Invalid procedure call or argument");
    const auto& records = *bench.reader.records();
    ASSERT_EQ(records.size() + bench.reader.blank_records(), 400u);
    EXPECT_EQ(records[0].id, 274);
    EXPECT_LE(records.size(), 3u) << "only entries that begin inside the file";
}

TEST(ExifReader, OverflowingOffsetsAndCountsAreFaults)
{
    struct Case {
        const char* fault;
        std::vector<uint8_t> tiff;
    } cases[] = {
        { "IFD0 offset of 2^31", { 'I', 'I', 42, 0, 0, 0, 0, 0x80 } },
        { "IFD0 offset of 2^31 - 1", { 'M', 'M', 0, 42, 0x7F, 0xFF, 0xFF, 0xFF } },
        { "more than 32767 records", { 'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xFF } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ReadBench bench;
        std::vector<uint8_t> file = bytes_of_text("Exif");
        file.insert(file.end(), { 0, 0 });
        file.insert(file.end(), c.tiff.begin(), c.tiff.end());
        expect_read_fault(bench.reader, bench.write("overflow.bin", file), "Overflow");
    }
}

}  // namespace
}  // namespace velmo::exif
