#include <gtest/gtest.h>

#include "automation/variant.h"
#include "support/velmo_error.h"

namespace velmo {
namespace {

TEST(Checked, ArithmeticRaisesOverflowInsteadOfWrapping)
{
    EXPECT_EQ((Integer(32766) + 1).value(), 32767);
    EXPECT_VELMO_ERROR(Integer(32767) + 1, err::Overflow, "");
    EXPECT_VELMO_ERROR(Integer(-32768) - 1, err::Overflow, "");
    EXPECT_VELMO_ERROR(Integer(200) * 200, err::Overflow, "");
    EXPECT_VELMO_ERROR(Long(2147483647) + 1, err::Overflow, "");
    EXPECT_VELMO_ERROR(-Long(-2147483647 - 1), err::Overflow, "");
    EXPECT_EQ((Long(40000) * 2).value(), 80000);
}

TEST(Checked, ConversionRoundsHalfToEven)
{
    struct Case {
        double in;
        int16_t out;
    };
    for (auto c : { Case { 2.5, 2 }, Case { 3.5, 4 }, Case { -2.5, -2 }, Case { 0.5, 0 }, Case { 1.5, 2 }, Case { 2.4999, 2 }, Case { 32767.4, 32767 } })
        EXPECT_EQ(cint(c.in).value(), c.out) << c.in;
    EXPECT_VELMO_ERROR(cint(32767.5), err::Overflow, "");
    EXPECT_VELMO_ERROR(cint(-32768.6), err::Overflow, "");
    EXPECT_EQ(cint(-32768.5).value(), -32768);
    EXPECT_VELMO_ERROR(clng(2147483647.5), err::Overflow, "");
}

TEST(Variant, Coercions)
{
    EXPECT_EQ(Variant("  42 ").to_long().value(), 42);
    EXPECT_EQ(Variant("2.5").to_integer().value(), 2);
    EXPECT_EQ(Variant(True).to_long().value(), -1);
    EXPECT_EQ(Variant().to_long().value(), 0);
    EXPECT_EQ(Variant("&HFF").to_long().value(), 255);
    EXPECT_EQ(Variant("&HFFFF").to_long().value(), -1);
    EXPECT_VELMO_ERROR(Variant("12abc").to_long(), err::TypeMismatch, "");
    EXPECT_VELMO_ERROR(Variant("inf").to_double(), err::TypeMismatch, "");
    EXPECT_VELMO_ERROR(Variant(70000).to_integer(), err::Overflow, "");
    EXPECT_VELMO_ERROR(Variant(Null {}).to_long(), err::InvalidUseOfNull, "");
    EXPECT_VELMO_ERROR(Variant::missing().to_long(), err::TypeMismatch, "");
    EXPECT_EQ(Variant(Integer(5)).to_boolean(), True);
    EXPECT_FALSE(Variant(Boolean { 1 }).to_boolean().is_true()) << "only -1 is True";
}

TEST(Variant, DoubleAsText)
{
    struct Case {
        double in;
        const char* out;
    };
    for (auto c : { Case { 3, "3" }, Case { -12, "-12" }, Case { 0.008, "0.008" }, Case { 1.0 / 3, "0.333333333333333" },
             Case { 2.5, "2.5" }, Case { 1e20, "1E+20" }, Case { 123456789012345678.0, "1.23456789012346E+17" } })
        EXPECT_EQ(Variant(c.in).to_string(), c.out);
    EXPECT_EQ(Variant(True).to_string(), "True");
}

TEST(Variant, MissingMarker)
{
    Variant m = Variant::missing();
    EXPECT_TRUE(m.is_missing());
    EXPECT_EQ(m.type(), VarType::Error);
    EXPECT_FALSE(Variant(ErrorCode { 5 }).is_missing());
}

}  // namespace
}  // namespace velmo
