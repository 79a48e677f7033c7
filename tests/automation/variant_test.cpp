#include <gtest/gtest.h>

#include <concepts>
#include <iterator>
#include <memory>
#include <string>

#include "automation/dynamic_object.h"
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

// What a coercion gives: a value of exactly the target type, or the error it raises.
struct Raises {
    int32_t number;
};
constexpr Raises overflow { err::Overflow }, mismatch { err::TypeMismatch }, null_use { err::InvalidUseOfNull };

struct Cell {
    template<typename T>
        requires std::constructible_from<Variant, T>
    Cell(T value)
        : value(value)
    {
    }
    Cell(Raises raises)
        : error(raises.number)
    {
    }
    Variant value;
    int32_t error = 0;
};

std::string describe(const Variant& v)
{
    std::string text(type_name(v.type()));
    if (v.type() == VarType::Boolean)
        return text + " " + std::to_string(v.to_boolean().raw);
    if (v.type() == VarType::Object)
        return text + (v.to_object() ? " (an object)" : " (Nothing)");
    if (v.type() == VarType::Null || v.type() == VarType::Error)
        return text;
    return text + " \"" + v.to_string() + "\"";
}

TEST(Variant, EverySourceTypeCoercesToEveryTargetType)
{
    constexpr VarType targets[] = { VarType::Integer, VarType::Long, VarType::Single, VarType::Double, VarType::Boolean, VarType::Byte, VarType::String, VarType::Object };
    struct Row {
        const char* name;
        Variant source;
        Cell gives[std::size(targets)];
    };
    const ObjectRef thing = std::make_shared<DynamicObject>("Thing");
    const Row rows[] = {
        // gives: to Integer, Long, Single, Double, Boolean, Byte, String, Object
        { "Empty", Variant(), { Integer(0), Long(0), 0.0f, 0.0, False, uint8_t(0), "", ObjectRef() } },
        { "Null", Null {}, { null_use, null_use, null_use, null_use, null_use, null_use, null_use, mismatch } },
        { "Integer", Integer(5), { Integer(5), Long(5), 5.0f, 5.0, True, uint8_t(5), "5", mismatch } },
        { "negative Integer", Integer(-1), { Integer(-1), Long(-1), -1.0f, -1.0, True, overflow, "-1", mismatch } },
        { "Long past Integer", Long(70000), { overflow, Long(70000), 70000.0f, 70000.0, True, overflow, "70000", mismatch } },
        { "Single", 2.5f, { Integer(2), Long(2), 2.5f, 2.5, True, uint8_t(2), "2.5", mismatch } },
        { "negative Double", -2.5, { Integer(-2), Long(-2), -2.5f, -2.5, True, overflow, "-2.5", mismatch } },
        { "Double past Single", 1e300, { overflow, overflow, overflow, 1e300, True, overflow, "1E+300", mismatch } },
        { "True", True, { Integer(-1), Long(-1), -1.0f, -1.0, True, overflow, "True", mismatch } },
        { "Boolean 1: only -1 is True", Boolean { 1 }, { Integer(1), Long(1), 1.0f, 1.0, Boolean { 1 }, uint8_t(1), "True", mismatch } },
        { "Byte", uint8_t(200), { Integer(200), Long(200), 200.0f, 200.0, True, uint8_t(200), "200", mismatch } },
        { "number text in blanks", "  42 ", { Integer(42), Long(42), 42.0f, 42.0, True, uint8_t(42), "  42 ", mismatch } },
        { "decimal text", "2.5", { Integer(2), Long(2), 2.5f, 2.5, True, uint8_t(2), "2.5", mismatch } },
        { "hexadecimal text", "&HFF", { Integer(255), Long(255), 255.0f, 255.0, True, uint8_t(255), "&HFF", mismatch } },
        { "four hex digits: an Integer literal", "&HFFFF", { Integer(-1), Long(-1), -1.0f, -1.0, True, overflow, "&HFFFF", mismatch } },
        { "the text True", "True", { Integer(-1), Long(-1), -1.0f, -1.0, True, overflow, "True", mismatch } },
        { "empty text", "", { mismatch, mismatch, mismatch, mismatch, mismatch, mismatch, "", mismatch } },
        { "text that is no number", "12abc", { mismatch, mismatch, mismatch, mismatch, mismatch, mismatch, "12abc", mismatch } },
        { "inf is no number", "inf", { mismatch, mismatch, mismatch, mismatch, mismatch, mismatch, "inf", mismatch } },
        { "number text past Double", "1E+400", { overflow, overflow, overflow, overflow, overflow, overflow, "1E+400", mismatch } },
        { "object", thing, { mismatch, mismatch, mismatch, mismatch, mismatch, mismatch, mismatch, thing } },
        { "Nothing", ObjectRef(), { mismatch, mismatch, mismatch, mismatch, mismatch, mismatch, mismatch, ObjectRef() } },
        { "omitted argument", Variant::missing(), { mismatch, mismatch, mismatch, mismatch, mismatch, mismatch, mismatch, mismatch } },
    };
    for (const Row& row : rows) {
        for (size_t i = 0; i < std::size(targets); ++i) {
            SCOPED_TRACE(std::string(row.name) + " to " + std::string(type_name(targets[i])));
            const Cell& cell = row.gives[i];
            if (cell.error) {
                EXPECT_VELMO_ERROR(row.source.converted_to(targets[i]), cell.error, "");
            } else {
                Variant got = row.source.converted_to(targets[i]);
                EXPECT_TRUE(got == cell.value) << describe(got) << ", expected " << describe(cell.value);
            }
        }
    }
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
