// Display texts and numbers of single entries, in both byte orders, and the faults that end a read.
#include <gtest/gtest.h>

#include <cmath>

#include "exif/catalogue.h"
#include "read_helpers.h"
#include "support/velmo_error.h"

namespace velmo::exif {
namespace {

using namespace fixture;
using testing::both_orders;
using testing::first_value_offset;
using testing::order_name;
using testing::ReadBench;

// Data of an entry whose value lies at an offset: that offset.
constexpr double at_offset = -12345;

// Data of an entry with up to 4 single-byte components in its value field: the bytes, first one
// least significant.
constexpr double field_bytes(std::string_view bytes)
{
    double value = 0;
    for (size_t k = bytes.size(); k-- > 0;)
        value = value * 256 + static_cast<unsigned char>(bytes[k]);
    return value;
}

struct ValueCase {
    const char* what;
    Entry entry;
    std::string text;
    double data;
};

const ValueCase value_cases[] = {
    // Special rationals.
    { "XResolution 72/1", rationals(tag::XResolution, { { 72, 1 } }), "72.0", 72 },
    { "FNumber 28/10", rationals(tag::FNumber, { { 28, 10 } }), "2.8", 2.8 },
    { "FocalLength 50/1", rationals(tag::FocalLength, { { 50, 1 } }), "50.0", 50 },
    { "ExposureTime 1/125", rationals(tag::ExposureTime, { { 1, 125 } }), "125", 0.008 },
    { "ApertureValue 3/1", rationals(tag::ApertureValue, { { 3, 1 } }), "2.8", 3 },
    { "MaxApertureValue 1/1", rationals(tag::MaxApertureValue, { { 1, 1 } }), "1.4", 1 },
    { "ShutterSpeedValue 7/1", srationals(tag::ShutterSpeedValue, { { 7, 1 } }), "128", 7 },
    { "ShutterSpeedValue -1/1", srationals(tag::ShutterSpeedValue, { { -1, 1 } }), "1", -1 },
    { "ExposureBiasValue -1/3", srationals(tag::ExposureBiasValue, { { 0xFFFFFFFF, 3 } }), "-0.3", -1.0 / 3 },
    { "ExposureBiasValue -1/30 keeps its sign", srationals(tag::ExposureBiasValue, { { -1, 30 } }), "-0.0", -1.0 / 30 },
    // The formula of a special tag with denominator 0 takes the value field, the offset.
    { "XResolution 72/0", rationals(tag::XResolution, { { 72, 0 } }), "26.0", at_offset },
    // One value the formula cannot take shows the plain fraction, and the read goes on.
    { "ExposureTime 0/1", rationals(tag::ExposureTime, { { 0, 1 } }), "0/1", 0 },
    { "ShutterSpeedValue 5000/1", srationals(tag::ShutterSpeedValue, { { 5000, 1 } }), "5000/1", 5000 },
    { "ApertureValue 4000/1", rationals(tag::ApertureValue, { { 4000, 1 } }), "4000/1", 4000 },
    // A special tag in another field type is not special.
    { "XResolution as SRATIONAL", srationals(tag::XResolution, { { 72, 1 } }), "72/1", 72 },
    // Other rationals.
    { "BrightnessValue 5/2", srationals(37379, { { 5, 2 } }), "5/2", 2.5 },
    { "BrightnessValue 5/0", srationals(37379, { { 5, 0 } }), "5/0", at_offset },
    { "BrightnessValue -5/2", srationals(37379, { { -5, 2 } }), "-5/2", -2.5 },
    { "CompressedBitsPerPixel 4/1", rationals(37122, { { 4, 1 } }), "4/1", 4 },
    { "WhitePoint", rationals(318, { { 313, 1000 }, { 329, 1000 } }), "0.313/0.329", at_offset },
    { "ReferenceBlackWhite", rationals(532, { { 0, 1 }, { 255, 1 }, { 128, 1 }, { 255, 1 }, { 128, 1 }, { 255, 1 } }),
        "0.000/255.000/128.000/255.000/128.000/255.000", at_offset },
    { "list with a zero denominator", rationals(319, { { 1, 2 }, { 5, 0 }, { 1, 4 } }), "0.500/5/0/0.250", at_offset },
    { "signed list", srationals(531, { { -1, 2 }, { 3, 4 } }), "-0.500/0.750", at_offset },
    // Versions and component configuration.
    { "ExifVersion 0220", undefined(tag::ExifVersion, "0220"), "2.20", field_bytes("0220") },
    { "ExifVersion 0100", undefined(tag::ExifVersion, "0100"), "1.00", field_bytes("0100") },
    { "FlashPixVersion 0100", undefined(tag::FlashPixVersion, "0100"), "1.00", field_bytes("0100") },
    { "ComponentsConfiguration YCbCr", undefined(tag::ComponentsConfiguration, { "\1\2\3\0", 4 }), "YCbCr", field_bytes("\1\2\3") },
    { "ComponentsConfiguration RGB", undefined(tag::ComponentsConfiguration, { "\4\5\6\0", 4 }), "RGB", field_bytes("\4\5\6") },
    // Integers: only the first component shows.
    { "Orientation 6", shorts(274, { 6 }), "6", 6 },
    { "SHORT with three components", shorts(258, { 8, 9, 10 }), "8", at_offset },
    { "SHORT with two components inline", shorts(530, { 1, 2 }), "1", 1 + 2 * 65536.0 },
    { "SHORT 65534", shorts(1, { 0xFFFE }), "65534", 65534 },
    { "SSHORT -2", numbers_of(1, SShort, { 0xFFFE }), "-2", 65534 },
    { "SBYTE -2", numbers_of(1, SByte, { 0xFE }), "-2", 0xFE },
    { "SLONG -2", numbers_of(1, SLong, { 0xFFFFFFFE }), "-2", 4294967294.0 },
    { "BYTE 200", numbers_of(1, Byte, { 200 }), "200", 200 },
    { "LONG 4000000000", longs(1, { 4000000000 }), "4000000000", 4000000000.0 },
    { "FLOAT bits as a number", numbers_of(1, Float, { 0x3F800000 }), "1065353216", 0x3F800000 },
    { "DOUBLE bits as a number", numbers_of(1, DoubleType, { 0x3FF0000000000000 }), "4607182418800017408", at_offset },
    { "DOUBLE -2.25 bits as a number", numbers_of(1, DoubleType, { static_cast<int64_t>(0xC002000000000000) }), "13835621005235585024", at_offset },
    { "FLOAT bits with the top bit set", numbers_of(1, Float, { 0xC0100000 }), "3222274048", 0xC0100000 },
    { "type 0", crafted(1, 0, 5, 0x01020304), "", 0x01020304 },
    // Texts.
    { "ASCII in the value field", ascii(271, "abc"), "abc", field_bytes("abc") },
    { "ASCII at an offset", ascii(272, "Twenty characters!!!"), "Twenty characters!!!", at_offset },
    { "ASCII with NULs inside", bytes_of(305, Ascii, 8, { "a\0b\0c\0\0\0", 8 }), "abc", at_offset },
    { "ASCII in Latin-1", ascii(270, "caf\xE9"), "caf\xC3\xA9", at_offset },
    { "Latin-1 and NULs on both sides of the eighth byte", bytes_of(270, Ascii, 12, { "\xC9t\xE9 2026\0ab\xE9", 12 }),
        "\xC3\x89t\xC3\xA9 2026ab\xC3\xA9", at_offset },
    { "UserComment", undefined(37510, { "ASCII\0\0\0Hello there", 19 }), "ASCIIHello there", at_offset },
    { "MakerNote keeps printable characters", undefined(tag::MakerNote, "\x01" "Ab\x80\xFF" "c\x7F\x1F"), "Abc\x7F", at_offset },
    { "FileSource 3", undefined(tag::FileSource, "\3"), "3", 3 },
    { "SceneType 1", undefined(tag::SceneType, "\1"), "1", 1 },
    { "CFAPattern raw", undefined(41730, { "\2\0\2\0\0\1\1\2", 8 }), "\2\2\1\1\2", at_offset },
};

TEST(ExifDecodeTagValue, EachFieldTypeAndSpecialTagInBothByteOrders)
{
    for (ByteOrder order : both_orders) {
        for (const auto& c : value_cases) {
            ReadBench bench;
            const auto& records = bench.read(Layout { order, { c.entry } });
            ASSERT_EQ(records.size(), 1u) << c.what;
            const TagRecord& record = records[0];
            SCOPED_TRACE(std::string(c.what) + " in " + order_name(order));
            EXPECT_EQ(record.id, c.entry.tag);
            EXPECT_EQ(record.name(), tag_name(c.entry.tag));
            EXPECT_EQ(record.format, c.entry.type);
            EXPECT_EQ(record.length, static_cast<int32_t>(c.entry.count));
            EXPECT_EQ(record.string_data, c.text);
            double expected = c.data == at_offset ? first_value_offset(1) : c.data;
            ASSERT_TRUE(record.data.has_value());
            EXPECT_DOUBLE_EQ(*record.data, expected);
        }
    }
}

// A crafted file whose read must fail with error 1, and the description it gives.
struct FaultCase {
    const char* fault;
    Layout layout;
    std::string description;
};

const std::string invalid_argument = "Invalid procedure call or argument";

TEST(ExifDecodeTagValue, StructuralFaultsEndTheReadWithError1)
{
    const FaultCase cases[] = {
        { "field type 13", { {}, { crafted(1, 13, 1, 0) } }, "Subscript out of range" },
        { "ComponentsConfiguration byte 7", { {}, { undefined(tag::ComponentsConfiguration, { "\1\2\7\0", 4 }) } }, "Subscript out of range" },
        { "RATIONAL of length 0", { {}, { crafted(tag::XResolution, Rational, 0, 0) } }, invalid_argument },
        { "SRATIONAL list of length 0", { {}, { crafted(37379, SRational, 0, 0) } }, invalid_argument },
        { "rational list longer than 32767", { {}, { crafted(532, Rational, 40000, 26) } }, "Overflow" },
        { "value size beyond 2^31", { {}, { crafted(1, LongType, 0x7FFFFFFF, 26) } }, "Overflow" },
        { "component count of 2^31", { {}, { crafted(1, Byte, 0x80000000, 0) } }, "Overflow" },
    };
    for (ByteOrder order : both_orders) {
        for (auto c : cases) {
            SCOPED_TRACE(std::string(c.fault) + " in " + order_name(order));
            c.layout.order = order;
            ReadBench bench;
            try {
                bench.read(c.layout);
                ADD_FAILURE() << "the read went through";
            } catch (const Error& error) {
                EXPECT_EQ(error.number(), err::ReadMetaInfo);
                EXPECT_EQ(error.source(), "ReadMetaInfo");
                EXPECT_EQ(error.description(), c.description);
            }
        }
    }
}

TEST(ExifDecodeTagValue, NumbersPastTheWindowHaveAnEmptyTextAndTheReadGoesOn)
{
    // Values stored at an offset whose bytes reach past the window: each shows "", keeps its value
    // field as Data, and the entry after it is read as usual.
    struct Case {
        const char* what;
        Entry entry;
        // Behind a long text, so that the file, and with it the window, is 4096 bytes long and the
        // offsets count from the TIFF header at window offset 12.
        bool behind_long_text;
    } cases[] = {
        { "rational at an offset past the window", crafted(tag::XResolution, Rational, 1, 5000), false },
        { "FocalPlaneXResolution past the window", crafted(tag::FocalPlaneXResolution, Rational, 1, 4090), true },
        { "ExposureIndex past the window", crafted(41493, Rational, 1, 4092 - 12), true },
        { "signed rational past the window", crafted(37379, SRational, 1, 70000), false },
        { "rational list running past the window", crafted(532, Rational, 6, 4080 - 12), true },
        { "signed value past the window", crafted(1, SShort, 3, 6000), false },
        { "LONG past the window", crafted(1, LongType, 2, 4094 - 12), true },
        { "DOUBLE past the window", crafted(1, DoubleType, 1, 4094 - 12), true },
        { "ComponentsConfiguration cut by the window", crafted(tag::ComponentsConfiguration, Undefined, 8, 4094 - 12), true },
        { "FileSource past the window", crafted(tag::FileSource, Undefined, 5, 5000), false },
    };
    for (ByteOrder order : both_orders) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " in " + order_name(order));
            Layout layout { order, { c.entry, shorts(274, { 6 }) } };
            if (c.behind_long_text)
                layout.ifd0.insert(layout.ifd0.begin(), ascii(270, std::string(5000, '\1')));
            ReadBench bench;
            const auto& records = bench.read(layout);
            ASSERT_EQ(records.size(), layout.ifd0.size());
            const TagRecord& record = records[layout.ifd0.size() - 2];
            EXPECT_EQ(record.id, c.entry.tag);
            EXPECT_EQ(record.string_data, "");
            EXPECT_EQ(record.data, static_cast<double>(*c.entry.field));
            EXPECT_EQ(records.back().string_data, "6");
        }
    }
}

TEST(ExifDecodeTagValue, ValuesCutByTheWindowShowTheirFirstComponentWhenItLiesInIt)
{
    // Offsets count from the TIFF header at window offset 12; the window's last bytes are a long
    // text of 0xFF bytes, so that a number read there has every bit set.
    const std::string all_ones_byte = std::to_string(0xFF);
    struct Case {
        const char* what;
        Entry entry;
        std::string text;
    } cases[] = {
        { "BYTE of count 2^31-1", crafted(1, Byte, 0x7FFFFFFF, 4000 - 12), all_ones_byte },
        { "SHORT list with one component left", crafted(1, Short, 1000, 4094 - 12), std::to_string(0xFFFF) },
        { "LONG list with one component left", crafted(1, LongType, 2, 4090 - 12), std::to_string(0xFFFFFFFFu) },
        { "SLONG list", crafted(1, SLong, 10, 4092 - 12), "-1" },
        { "FileSource with one byte left", crafted(tag::FileSource, Undefined, 5, 4095 - 12), all_ones_byte },
    };
    for (ByteOrder order : both_orders) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " in " + order_name(order));
            Layout layout { order, { ascii(270, std::string(5000, '\xFF')), c.entry, shorts(274, { 6 }) } };
            ReadBench bench;
            const auto& records = bench.read(layout);
            ASSERT_EQ(records.size(), layout.ifd0.size());
            EXPECT_EQ(records[1].id, c.entry.tag);
            EXPECT_EQ(records[1].string_data, c.text);
            EXPECT_EQ(records[1].data, static_cast<double>(*c.entry.field));
            EXPECT_EQ(records.back().string_data, "6");
        }
    }
}

TEST(ExifDecodeTagValue, TextRunningPastTheWindowIsCutWhereItEnds)
{
    for (ByteOrder order : both_orders) {
        ReadBench bench;
        // Pushes the block so that a 40-byte text starts 10 bytes before byte 4096.
        Layout layout { order, { ascii(270, std::string(40, 'x')) } };
        const size_t block_start = 2 + 4 + 6;  // SOI, APP1 header, "Exif\0\0"
        const size_t text_at = block_start + static_cast<size_t>(first_value_offset(1));
        layout.padding = 4096 - 10 - text_at;
        const auto& records = bench.read(layout);
        EXPECT_EQ(records[0].string_data, std::string(10, 'x')) << order_name(order);
    }
}

TEST(ExifDecodeTagValue, ValueOffsetBeyondTheWindowGivesNoText)
{
    ReadBench bench;
    const auto& records = bench.read(Layout { ByteOrder::BigEndian, { crafted(270, Ascii, 30, 0xFFFFFFFF) } });
    EXPECT_EQ(records[0].string_data, "");
    EXPECT_EQ(records[0].data, 4294967295.0);
}

}  // namespace
}  // namespace velmo::exif
