// Number patterns, leading-number parse, the catalogue and the byte-order reads.
#include <gtest/gtest.h>

#include <cmath>

#include "exif/byte_view.h"
#include "exif/catalogue.h"
#include "exif/number_text.h"
#include "support/velmo_error.h"

namespace velmo::exif {
namespace {

TEST(ExifFixedText, PatternsRoundToTheirDecimals)
{
    struct Case {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        { 72, 1, "72.0" },
        { 2.8, 1, "2.8" },
        { std::pow(std::sqrt(2.0), 3), 1, "2.8" },
        { -1.0 / 3, 1, "-0.3" },
        { 125, 0, "125" },
        { 0.313, 3, "0.313" },
        { 255, 3, "255.000" },
        { 0.0005, 3, "0.001" },       // a binary value just above the tie
        { 0.25, 1, "0.3" },           // exact tie: away from zero
        { -0.25, 1, "-0.3" },
        { 2.5, 0, "3" },
        { 0.15, 1, "0.1" },           // 0.15 is stored just below the tie
        { -0.04, 1, "-0.0" },         // rounds to zero and keeps its sign
        { -1.0 / 30, 1, "-0.0" },
        { -0.0004, 3, "-0.000" },
        { -0.4, 0, "-0" },
        { -0.0, 1, "0.0" },           // negative zero is no negative value
        { 0.0078125, 0, "0" },
        { 1e20, 1, "100000000000000000000.0" },
        { 4294967295.0, 3, "4294967295.000" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(fixed_text(c.value, c.decimals), c.text) << c.value << " with " << c.decimals << " decimals";
}

TEST(ExifDecimalText, WholeNumbersHaveNoDecimalPartOthersFifteenDigits)
{
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        { 72, "72" },
        { 0.008, "0.008" },
        { 2.5, "2.5" },
        { -2, "-2" },
        { 1.0 / 3, "0.333333333333333" },
        { 4294967295.0, "4294967295" },
        { 18446744073709551615.0, "1.84467440737096E+19" },
        { 0.00001, "1E-05" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(decimal_text(c.value), c.text);
}

TEST(ExifLeadingNumber, TakesTheNumberATextStartsWith)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        { "38", 38 },
        { "  12abc", 12 },
        { "1 2 3", 123 },  // blanks inside are skipped too
        { "-5", -5 },
        { "+7", 7 },
        { ".5x", 0.5 },
        { "1e3", 1000 },
        { "2D2", 200 },
        { "&H10", 16 },
        { "&HFFFF", -1 },
        { "&O17", 15 },
        { "abc", 0 },
        { "", 0 },
        { "-", 0 },
        { "02", 2 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(leading_number(c.text), c.value) << '"' << c.text << '"';
    EXPECT_TRUE(std::isinf(leading_number("1e999")));
}

TEST(ExifLatin1, EveryByteBecomesOneCharacter)
{
    EXPECT_EQ(latin1_to_utf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(latin1_to_utf8("\xFF\x7F"), "\xC3\xBF\x7F");
}

TEST(ExifCatalogue, NamesInTheirFixedOrder)
{
    ASSERT_EQ(catalogue.size(), 54u);
    EXPECT_EQ(catalogue[0].tag, 270);
    EXPECT_EQ(catalogue[53].tag, 41730);
    // Positions 14 to 17 are not ascending.
    EXPECT_EQ(catalogue[14].tag, 33432);
    EXPECT_EQ(catalogue[15].tag, 34665);
    EXPECT_EQ(catalogue[16].tag, 33434);
    EXPECT_EQ(catalogue[17].tag, 33437);

    struct Case {
        int32_t tag;
        const char* name;
    } cases[] = {
        { 33434, "ExposureTime" },
        { 34665, "ExifOffset" },
        { 40965, "ExifInteroperabilityOffset" },
        { 0, "Tag #0" },
        { -1, "Tag #-1" },
        { 1, "Tag #1" },
        { 258, "Tag #258" },
        { 2147483647, "Tag #2147483647" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(tag_name(c.tag), c.name);
}

TEST(ExifCatalogue, EnumerationSpellsExposuretimeWithSmallT)
{
    auto e = tag_enumeration();
    EXPECT_EQ(e.name, "enTAG");
    ASSERT_EQ(e.values.size(), 54u);
    EXPECT_EQ(e.values[16].first, "Exposuretime");
    EXPECT_EQ(e.values[16].second, 33434);
    EXPECT_EQ(e.values[3].first, "Orientation");
}

TEST(ExifCatalogue, FormatSizesAndNoSizeAboveTwelve)
{
    const int32_t sizes[] = { 0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8 };
    for (int32_t type = 0; type <= 12; ++type)
        EXPECT_EQ(format_size(type), sizes[type]) << type;
    EXPECT_VELMO_ERROR(format_size(13), err::SubscriptOutOfRange, "");
}

TEST(ExifByteView, ReadsInEitherOrderAndChecksBounds)
{
    const uint8_t bytes[] = { 0xFE, 0xFF, 0x01, 0x02 };
    ByteView view(bytes);
    EXPECT_EQ(view.read_unsigned(0, 2, ByteOrder::LittleEndian), 65534u);
    EXPECT_EQ(view.read_unsigned(0, 2, ByteOrder::BigEndian), 65279u);
    EXPECT_EQ(view.read_signed(0, 2, ByteOrder::LittleEndian), -2);
    EXPECT_EQ(view.read_signed(1, 1, ByteOrder::LittleEndian), -1);
    EXPECT_EQ(view.read_unsigned(0, 4, ByteOrder::BigEndian), 0xFEFF0102u);
    EXPECT_EQ(view.read_unsigned(4, 0, ByteOrder::BigEndian), 0u);
    EXPECT_VELMO_ERROR(view.read_unsigned(3, 2, ByteOrder::LittleEndian), err::InvalidArgument, "");
    EXPECT_VELMO_ERROR(view.read_unsigned(5, 0, ByteOrder::LittleEndian), err::InvalidArgument, "");
    EXPECT_VELMO_ERROR(view.read_unsigned(SIZE_MAX, 2, ByteOrder::LittleEndian), err::InvalidArgument, "");

    EXPECT_EQ(view.clipped(2, 10).size(), 2u);
    EXPECT_EQ(view.clipped(4, 1).size(), 0u);
    EXPECT_EQ(view.clipped(uint64_t(1) << 40, 4).size(), 0u);
}

}  // namespace
}  // namespace velmo::exif
