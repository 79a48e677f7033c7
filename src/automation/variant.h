// Variant: the tagged value of the type library, with the automation coercion rules.
//
// Whole-number conversions round to nearest, ties to even, and raise 6 out of range; text that is
// not a number raises 13; a Double becomes text with up to 15 significant digits. A Boolean keeps
// its raw 16-bit value: True is -1, and code that tests for True compares with -1 exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "automation/checked.h"

namespace velmo {

class Object;
using ObjectRef = std::shared_ptr<Object>;

enum class VarType : uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,
    Variant = 12,
    Byte = 17,
};

std::string_view type_name(VarType type);

struct Boolean {
    int16_t raw = 0;

    static constexpr Boolean from(bool value) { return Boolean { static_cast<int16_t>(value ? -1 : 0) }; }
    constexpr bool is_true() const { return raw == -1; }
    friend constexpr bool operator==(Boolean, Boolean) = default;
};
inline constexpr Boolean True { -1 };
inline constexpr Boolean False { 0 };

struct Null {
    friend constexpr bool operator==(Null, Null) = default;
};

/// A Variant of type Error holds an SCODE; DISP_E_PARAMNOTFOUND marks an omitted argument.
struct ErrorCode {
    int32_t scode = 0;
    friend constexpr bool operator==(ErrorCode, ErrorCode) = default;
};
inline constexpr int32_t DISP_E_PARAMNOTFOUND = static_cast<int32_t>(0x80020004u);

class Variant {
public:
    Variant() = default;
    Variant(Null) : value_(Null {}) { }
    Variant(Integer v) : value_(v) { }
    Variant(Long v) : value_(v) { }
    Variant(int v) : value_(Long(v)) { }  // a plain int literal is a Long
    Variant(float v) : value_(v) { }
    Variant(double v) : value_(v) { }
    Variant(Boolean v) : value_(v) { }
    Variant(bool v) : value_(Boolean::from(v)) { }
    Variant(std::string v) : value_(std::move(v)) { }
    Variant(std::string_view v) : value_(std::string(v)) { }
    Variant(const char* v) : value_(std::string(v)) { }
    Variant(ObjectRef v) : value_(std::move(v)) { }
    Variant(ErrorCode v) : value_(v) { }
    Variant(uint8_t v) : value_(v) { }

    /// The marker of an omitted optional argument.
    static Variant missing() { return Variant(ErrorCode { DISP_E_PARAMNOTFOUND }); }

    VarType type() const;
    bool is_empty() const { return type() == VarType::Empty; }
    bool is_missing() const;
    bool is_numeric() const;

    template<typename T>
    bool holds() const { return std::holds_alternative<T>(value_); }

    /// Coercions under the automation rules.
    Integer to_integer() const;
    Long to_long() const;
    float to_single() const;
    double to_double() const;
    Boolean to_boolean() const;
    uint8_t to_byte() const;
    std::string to_string() const;
    ObjectRef to_object() const;  // 13 unless Object (an empty reference is fine) or Empty

    /// The same coercions, chosen by type, for generic code.
    template<typename T>
    T as() const;

    /// Coerces to the given type; the result holds exactly that type.
    Variant converted_to(VarType type) const;

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    std::variant<std::monostate, Null, Integer, Long, float, double, std::string, ObjectRef, ErrorCode, Boolean, uint8_t> value_;
};

/// A Double as text: up to 15 significant digits, no decimal part for whole numbers.
std::string double_to_text(double value);

template<> inline Variant Variant::as<Variant>() const { return *this; }
template<> inline Integer Variant::as<Integer>() const { return to_integer(); }
template<> inline Long Variant::as<Long>() const { return to_long(); }
template<> inline float Variant::as<float>() const { return to_single(); }
template<> inline double Variant::as<double>() const { return to_double(); }
template<> inline Boolean Variant::as<Boolean>() const { return to_boolean(); }
template<> inline uint8_t Variant::as<uint8_t>() const { return to_byte(); }
template<> inline std::string Variant::as<std::string>() const { return to_string(); }
template<> inline ObjectRef Variant::as<ObjectRef>() const { return to_object(); }

/// The VarType a C++ parameter type maps to.
template<typename T> constexpr VarType var_type_of = VarType::Variant;
template<> inline constexpr VarType var_type_of<Integer> = VarType::Integer;
template<> inline constexpr VarType var_type_of<Long> = VarType::Long;
template<> inline constexpr VarType var_type_of<float> = VarType::Single;
template<> inline constexpr VarType var_type_of<double> = VarType::Double;
template<> inline constexpr VarType var_type_of<Boolean> = VarType::Boolean;
template<> inline constexpr VarType var_type_of<uint8_t> = VarType::Byte;
template<> inline constexpr VarType var_type_of<std::string> = VarType::String;
template<> inline constexpr VarType var_type_of<ObjectRef> = VarType::Object;

}  // namespace velmo
