// The Scale members of a surface, over its Scale value and the window's client size.
#include "host/surface.h"

#include <cmath>

namespace velmo::host {

namespace {

[[noreturn]] void refuse() { raise(err::InvalidPropertyValue); }

// A ScaleX or ScaleY unit argument; missing or empty takes the fallback.
ScaleUnit unit_argument(const Variant& given, ScaleUnit fallback)
{
    if (given.is_missing() || given.is_empty())
        return fallback;
    int16_t value = given.to_integer().value();
    if (value < 0 || value > 8)
        raise(err::InvalidArgument);
    return static_cast<ScaleUnit>(value);
}

}  // namespace

double Surface::pixels_from_x_units(double units) const { return scale_.pixels_from_x_units(units, client_size()); }
double Surface::pixels_from_y_units(double units) const { return scale_.pixels_from_y_units(units, client_size()); }
double Surface::units_per_pixel_x() const { return scale_.units_per_pixel_x(client_size()); }
double Surface::units_per_pixel_y() const { return scale_.units_per_pixel_y(client_size()); }

Integer Surface::get_ScaleMode() { return static_cast<int16_t>(scale_.mode); }

void Surface::let_ScaleMode(Integer mode)
{
    int16_t value = mode.value();
    if (value < 0 || value > 7)
        refuse();
    auto unit = static_cast<ScaleUnit>(value);
    if (unit == ScaleUnit::User)
        scale_.mode = unit;
    else
        scale_ = Scale::standard(unit, client_size());
}

float Surface::get_ScaleWidth() { return static_cast<float>(scale_.width); }
float Surface::get_ScaleHeight() { return static_cast<float>(scale_.height); }
float Surface::get_ScaleLeft() { return static_cast<float>(scale_.left); }
float Surface::get_ScaleTop() { return static_cast<float>(scale_.top); }

// Setting any part of the rectangle makes the scale a user one.
void Surface::let_ScaleWidth(float value)
{
    if (value == 0 || !std::isfinite(value))
        refuse();
    scale_.width = value;
    scale_.mode = ScaleUnit::User;
}

void Surface::let_ScaleHeight(float value)
{
    if (value == 0 || !std::isfinite(value))
        refuse();
    scale_.height = value;
    scale_.mode = ScaleUnit::User;
}

void Surface::let_ScaleLeft(float value)
{
    if (!std::isfinite(value))
        refuse();
    scale_.left = value;
    scale_.mode = ScaleUnit::User;
}

void Surface::let_ScaleTop(float value)
{
    if (!std::isfinite(value))
        refuse();
    scale_.top = value;
    scale_.mode = ScaleUnit::User;
}

float Surface::ScaleX(float value, Variant from, Variant to)
{
    ScaleUnit source = unit_argument(from, ScaleUnit::Himetric);
    ScaleUnit target = unit_argument(to, scale_.mode);
    return static_cast<float>(scale_.convert(value, source, target, false, client_size()));
}

float Surface::ScaleY(float value, Variant from, Variant to)
{
    ScaleUnit source = unit_argument(from, ScaleUnit::Himetric);
    ScaleUnit target = unit_argument(to, scale_.mode);
    return static_cast<float>(scale_.convert(value, source, target, true, client_size()));
}

}  // namespace velmo::host
