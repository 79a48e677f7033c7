#include "host/scale.h"

#include <algorithm>

namespace velmo::host {

Scale Scale::standard(ScaleUnit unit, gfx::Size client)
{
    Scale scale;
    scale.mode = unit;
    scale.width = std::max(1, client.width) * twips_per_pixel / scale.twips_per_unit(unit, false, client);
    scale.height = std::max(1, client.height) * twips_per_pixel / scale.twips_per_unit(unit, true, client);
    return scale;
}

double Scale::twips_per_unit(ScaleUnit unit, bool vertical, gfx::Size client) const
{
    switch (unit) {
    case ScaleUnit::User: {
        double span = vertical ? height : width;
        double pixels = vertical ? client.height : client.width;
        return twips_per_pixel * pixels / span;
    }
    case ScaleUnit::Twips: return 1;
    case ScaleUnit::Points: return 20;
    case ScaleUnit::Pixels: return twips_per_pixel;
    case ScaleUnit::Characters: return vertical ? 240 : 120;
    case ScaleUnit::Inches: return 1440;
    case ScaleUnit::Millimeters: return 1440 / 25.4;
    case ScaleUnit::Centimeters: return 1440 / 2.54;
    case ScaleUnit::Himetric: return 1440 / 2540.0;
    }
    return 1;
}

double Scale::to_pixels(double value, ScaleUnit unit, bool vertical, gfx::Size client) const
{
    return value * twips_per_unit(unit, vertical, client) / twips_per_pixel;
}

double Scale::convert(double value, ScaleUnit from, ScaleUnit to, bool vertical, gfx::Size client) const
{
    return value * twips_per_unit(from, vertical, client) / twips_per_unit(to, vertical, client);
}

double Scale::units_per_pixel_x(gfx::Size client) const
{
    return client.width ? width / client.width : twips_per_unit(ScaleUnit::Pixels, false, client) / twips_per_unit(mode, false, client);
}

double Scale::units_per_pixel_y(gfx::Size client) const
{
    return client.height ? height / client.height : twips_per_unit(ScaleUnit::Pixels, true, client) / twips_per_unit(mode, true, client);
}

}  // namespace velmo::host
