// Integer (16-bit) and Long (32-bit) as the type library has them: arithmetic that leaves the range
// raises the overflow error instead of wrapping, and cint/clng convert a floating-point value to the
// nearest whole number, ties to the even one. Code that follows an algorithm step by step can then
// be written as the step reads.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "automation/error.h"

namespace velmo {

namespace detail {
template<typename T>
constexpr T checked_narrow(int64_t value)
{
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        raise(err::Overflow);
    return static_cast<T>(value);
}

template<typename T>
T round_half_even(double value)
{
    if (std::isnan(value))
        raise(err::Overflow);
    // nearbyint follows the current rounding mode, which is to-nearest-even unless someone changed it.
    double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(std::numeric_limits<T>::min()) || rounded > static_cast<double>(std::numeric_limits<T>::max()))
        raise(err::Overflow);
    return static_cast<T>(rounded);
}
}  // namespace detail

template<typename Raw>
class Checked {
public:
    constexpr Checked() = default;
    // Implicit from a plain int so literals read naturally; a value out of range raises 6.
    constexpr Checked(int64_t value)  // NOLINT(google-explicit-constructor)
        : value_(detail::checked_narrow<Raw>(value))
    {
    }
    constexpr Checked(int value)  // NOLINT(google-explicit-constructor)
        : Checked(static_cast<int64_t>(value))
    {
    }

    constexpr Raw value() const { return value_; }

    friend constexpr Checked operator+(Checked a, Checked b) { return Checked(int64_t(a.value_) + b.value_); }
    friend constexpr Checked operator-(Checked a, Checked b) { return Checked(int64_t(a.value_) - b.value_); }
    friend constexpr Checked operator*(Checked a, Checked b) { return Checked(int64_t(a.value_) * b.value_); }
    friend constexpr Checked operator-(Checked a) { return Checked(-int64_t(a.value_)); }
    Checked& operator+=(Checked b) { return *this = *this + b; }
    Checked& operator-=(Checked b) { return *this = *this - b; }
    friend constexpr bool operator==(Checked a, Checked b) = default;
    friend constexpr auto operator<=>(Checked a, Checked b) = default;

private:
    Raw value_ = 0;
};

using Integer = Checked<int16_t>;
using Long = Checked<int32_t>;

// Floating point to Integer / Long: nearest whole number, ties to even; 6 when out of range.
inline Integer cint(double value) { return Integer(detail::round_half_even<int16_t>(value)); }
inline Long clng(double value) { return Long(detail::round_half_even<int32_t>(value)); }

}  // namespace velmo
