// The drawing-surface calls the painter makes, by member name, with the argument shapes a host
// surface expects: Line always gets six arguments, Circle eight.
#pragma once

#include "automation/late.h"

namespace velmo::gradients {

// Line flag words: 2 colour given, 4 first point given, 8 second point relative, 16 box outline,
// 32 filled box.
namespace line_flags {
inline constexpr int16_t Segment = 6;
inline constexpr int16_t BoxOutline = 22;
inline constexpr int16_t FilledBox = 38;
inline constexpr int16_t FilledBoxFromCurrent = 42;
}  // namespace line_flags

// Circle with the colour given; start, end and aspect are left to the surface.
inline constexpr int16_t circle_color_given = 2;

inline void line(const ObjectRef& surface, int16_t flags, Variant x1, Variant y1, Variant x2, Variant y2, Long color)
{
    late::call(surface, "Line", Integer(flags), std::move(x1), std::move(y1), std::move(x2), std::move(y2), color);
}

// A filled box from (CurrentX, CurrentY) to the point offset by (width, height).
inline void filled_box_from_current(const ObjectRef& surface, Variant width, Variant height, Long color)
{
    line(surface, line_flags::FilledBoxFromCurrent, Integer(0), Integer(0), std::move(width), std::move(height), color);
}

inline void circle(const ObjectRef& surface, Variant x, Variant y, Variant radius, Long color)
{
    late::call(surface, "Circle", Integer(circle_color_given), std::move(x), std::move(y), std::move(radius), color,
        Integer(0), Integer(0), Integer(0));
}

// A numeric property read, as a Double.
inline double number(const ObjectRef& surface, std::string_view property)
{
    return late::get(surface, property).to_double();
}

// Floating-point division with the runtime's rules: dividing by zero is an error (0 / 0 overflows).
inline double divide(double dividend, double divisor)
{
    if (divisor == 0)
        raise(dividend == 0 ? err::Overflow : err::DivisionByZero);
    return dividend / divisor;
}

}  // namespace velmo::gradients
