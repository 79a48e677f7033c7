// Scale: the coordinate system of a surface. A unit (ScaleMode) and a rectangle of units (left,
// top, width, height) laid over the client area; every standard unit is a fixed number of twips,
// and a pixel is 15 twips. The client size is passed in, since it belongs to the window.
#pragma once

#include <cstdint>

#include "gfx/size.h"

namespace velmo::host {

/// Units of ScaleMode, ScaleX and ScaleY.
enum class ScaleUnit : int16_t {
    User = 0, Twips = 1, Points = 2, Pixels = 3, Characters = 4, Inches = 5, Millimeters = 6, Centimeters = 7, Himetric = 8,
};

struct Scale {
    static constexpr double twips_per_pixel = 15.0;

    ScaleUnit mode = ScaleUnit::Twips;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    // A standard unit: origin 0, 0 and the client area measured in it. An empty client area still
    // gets a usable scale: one pixel's worth.
    static Scale standard(ScaleUnit unit, gfx::Size client);

    // Twips in one unit along one axis; a user unit spans the client area over the scale's span.
    double twips_per_unit(ScaleUnit unit, bool vertical, gfx::Size client) const;
    // A length in `unit` as client pixels along one axis.
    double to_pixels(double value, ScaleUnit unit, bool vertical, gfx::Size client) const;
    // A length converted from one unit to another along one axis.
    double convert(double value, ScaleUnit from, ScaleUnit to, bool vertical, gfx::Size client) const;

    // The client pixel (fractional) of a position in units.
    double pixels_from_x_units(double units, gfx::Size client) const { return (units - left) * client.width / width; }
    double pixels_from_y_units(double units, gfx::Size client) const { return (units - top) * client.height / height; }
    // Units per client pixel; with no client area, a pixel's worth of the current unit.
    double units_per_pixel_x(gfx::Size client) const;
    double units_per_pixel_y(gfx::Size client) const;
};

}  // namespace velmo::host
