#include "automation/variant.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "automation/object.h"

namespace velmo {

std::string_view type_name(VarType type)
{
    switch (type) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Integer: return "Integer";
    case VarType::Long: return "Long";
    case VarType::Single: return "Single";
    case VarType::Double: return "Double";
    case VarType::String: return "String";
    case VarType::Object: return "Object";
    case VarType::Error: return "Error";
    case VarType::Boolean: return "Boolean";
    case VarType::Variant: return "Variant";
    case VarType::Byte: return "Byte";
    }
    return "?";
}

VarType Variant::type() const
{
    static constexpr VarType by_index[] = {
        VarType::Empty, VarType::Null, VarType::Integer, VarType::Long, VarType::Single, VarType::Double,
        VarType::String, VarType::Object, VarType::Error, VarType::Boolean, VarType::Byte,
    };
    return by_index[value_.index()];
}

bool Variant::is_missing() const
{
    auto* code = std::get_if<ErrorCode>(&value_);
    return code && code->scode == DISP_E_PARAMNOTFOUND;
}

bool Variant::is_numeric() const
{
    switch (type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Boolean:
    case VarType::Byte:
        return true;
    default:
        return false;
    }
}

namespace {

// Text to number: leading and trailing blanks allowed, "." as the decimal separator, an optional
// exponent, and the hexadecimal and octal literals "&H..." and "&O..."; anything else is 13.
double parse_number(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty())
        raise(err::TypeMismatch);
    std::string owned(text);
    if (owned.size() > 2 && owned[0] == '&' && (owned[1] == 'H' || owned[1] == 'h' || owned[1] == 'O' || owned[1] == 'o')) {
        int base = (owned[1] == 'H' || owned[1] == 'h') ? 16 : 8;
        char* end = nullptr;
        errno = 0;
        unsigned long long value = std::strtoull(owned.c_str() + 2, &end, base);
        if (*end != '\0' || errno == ERANGE || value > 0xFFFFFFFFull)
            raise(err::TypeMismatch);
        // Up to four hex digits is an Integer literal, longer a Long: both sign-extend.
        if (value <= 0xFFFF && owned.size() - 2 <= (base == 16 ? 4u : 6u))
            return static_cast<int16_t>(value);
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    // strtod would accept "inf", "nan" and hex floats; the runtime does not.
    for (char c : owned) {
        bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
        if (!allowed)
            raise(err::TypeMismatch);
    }
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(owned.c_str(), &end);
    if (end != owned.c_str() + owned.size())
        raise(err::TypeMismatch);
    if (errno == ERANGE && std::isinf(value))
        raise(err::Overflow);
    return value;
}

[[noreturn]] void raise_for_type(VarType type)
{
    if (type == VarType::Null)
        raise(err::InvalidUseOfNull);
    raise(err::TypeMismatch);
}

}  // namespace

double Variant::to_double() const
{
    switch (type()) {
    case VarType::Empty: return 0;
    case VarType::Integer: return std::get<Integer>(value_).value();
    case VarType::Long: return std::get<Long>(value_).value();
    case VarType::Single: return std::get<float>(value_);
    case VarType::Double: return std::get<double>(value_);
    case VarType::Boolean: return std::get<Boolean>(value_).raw;
    case VarType::Byte: return std::get<uint8_t>(value_);
    case VarType::String: {
        const auto& text = std::get<std::string>(value_);
        if (text == "True" || text == "true" || text == "TRUE")
            return -1;
        if (text == "False" || text == "false" || text == "FALSE")
            return 0;
        return parse_number(text);
    }
    default: raise_for_type(type());
    }
}

Integer Variant::to_integer() const
{
    if (auto* i = std::get_if<Integer>(&value_))
        return *i;
    return cint(to_double());
}

Long Variant::to_long() const
{
    if (auto* l = std::get_if<Long>(&value_))
        return *l;
    return clng(to_double());
}

float Variant::to_single() const
{
    double value = to_double();
    if (std::isfinite(value) && std::fabs(value) > 3.402823466e38)
        raise(err::Overflow);
    return static_cast<float>(value);
}

uint8_t Variant::to_byte() const
{
    Long value = to_long();
    if (value.value() < 0 || value.value() > 255)
        raise(err::Overflow);
    return static_cast<uint8_t>(value.value());
}

Boolean Variant::to_boolean() const
{
    if (auto* b = std::get_if<Boolean>(&value_))
        return *b;
    return Boolean::from(to_double() != 0);
}

std::string double_to_text(double value)
{
    if (value == 0)
        return "0";
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text = buffer;
    // %G writes "1E+20" as "1E+20" but pads the exponent to two digits ("1E-05"); the runtime
    // writes "1E-05" too, so only a trailing-zero mantissa needs trimming, which %G already did.
    return text;
}

std::string Variant::to_string() const
{
    switch (type()) {
    case VarType::Empty: return "";
    case VarType::String: return std::get<std::string>(value_);
    case VarType::Integer: return std::to_string(std::get<Integer>(value_).value());
    case VarType::Long: return std::to_string(std::get<Long>(value_).value());
    case VarType::Byte: return std::to_string(std::get<uint8_t>(value_));
    case VarType::Boolean: return std::get<Boolean>(value_).raw == 0 ? "False" : "True";
    case VarType::Single: {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(std::get<float>(value_)));
        return buffer;
    }
    case VarType::Double: return double_to_text(std::get<double>(value_));
    default: raise_for_type(type());
    }
}

ObjectRef Variant::to_object() const
{
    if (auto* object = std::get_if<ObjectRef>(&value_))
        return *object;
    if (is_empty())
        return nullptr;
    raise(err::TypeMismatch);
}

Variant Variant::converted_to(VarType target) const
{
    switch (target) {
    case VarType::Empty: return Variant();
    case VarType::Null: return Variant(Null {});
    case VarType::Integer: return to_integer();
    case VarType::Long: return to_long();
    case VarType::Single: return to_single();
    case VarType::Double: return to_double();
    case VarType::String: return to_string();
    case VarType::Object: return to_object();
    case VarType::Boolean: return to_boolean();
    case VarType::Byte: return to_byte();
    case VarType::Error:
        if (type() == VarType::Error)
            return *this;
        raise(err::TypeMismatch);
    case VarType::Variant: return *this;
    }
    raise(err::TypeMismatch);
}

}  // namespace velmo
