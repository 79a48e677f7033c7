// The band members: Gradient (unguarded, 16-bit coordinates, writes the caller's channels back),
// Gradient01 and Gradient02 (skip-on-error, one statement per skip so a failure loses only that).
#include "automation/error_modes.h"
#include "gradients/color_scheme.h"
#include "gradients/gradients.h"
#include "gradients/surface_calls.h"
#include "runtime/colors.h"

namespace velmo::gradients {

namespace {
constexpr int band_count = 63;
constexpr Long channel_step = 4;

// A Long channel narrowed to the 16 bits RGB takes; out of range is an overflow.
Integer narrow(Long value) { return Integer(value.value()); }

// After each band a channel that reached 0 or below is stored as 0.
void floor_at_zero(ByRef<Long>& channel)
{
    if (channel.get().value() <= 0)
        channel = 0;
}
}  // namespace

void clsKxLumoGradientsA::Gradient(ByRef<ObjectRef> TheObject, ByRef<Long> Redval, ByRef<Long> Greenval, ByRef<Long> Blueval, ByRef<Boolean> TopToBottom)
{
    // Coordinates are in the object's own units (its outer Width and Height), whatever its scale.
    Integer band_height = cint(number(TheObject, "Height") / band_count);
    Integer y1 = 0;
    if (!TopToBottom.get().is_true())
        y1 = cint(number(TheObject, "Height") - band_height.value());
    Integer x1 = 0;
    Integer x2 = cint(number(TheObject, "Width"));
    Integer y2 = y1 + band_height;

    for (int band = 1; band <= band_count; ++band) {
        Integer red = narrow(Redval);
        Integer green = narrow(Greenval);
        Integer blue = narrow(Blueval);
        line(TheObject, line_flags::FilledBox, x1, y1, x2, y2, host::RGB(red, green, blue));
        Redval = Redval.get() - channel_step;
        Greenval = Greenval.get() - channel_step;
        Blueval = Blueval.get() - channel_step;
        floor_at_zero(Redval);
        floor_at_zero(Greenval);
        floor_at_zero(Blueval);
        if (TopToBottom.get().is_true())
            y1 = y2;
        else
            y1 = y1 - band_height;
        y2 = y1 + band_height;
    }
}

void clsKxLumoGradientsA::Gradient01(ByRef<ObjectRef> Obj, ByRef<Long> Color, ByRef<Long> Orient)
{
    constexpr Long positions = 255;
    Long width = 0;
    Long height = 0;
    Long dx = 0;
    Long dy = 0;

    skip([&] { late::let(Obj, "ScaleMode", Integer(3)); });
    skip([&] { late::let(Obj, "AutoRedraw", True); });
    if (Orient.get() == Long(1)) {
        Long band_width = 0;
        skip([&] { band_width = clng(number(Obj, "ScaleWidth") / 255); });
        skip([&] { late::let(Obj, "ScaleWidth", band_width * positions); });
        skip([&] { height = clng(number(Obj, "ScaleHeight")); });
        width = band_width;
        dx = band_width;
        dy = 0;
    } else if (Orient.get() == Long(0)) {
        Long band_height = 0;
        skip([&] { band_height = clng(number(Obj, "ScaleHeight") / 255); });
        skip([&] { late::let(Obj, "ScaleHeight", band_height * positions); });
        skip([&] { width = clng(number(Obj, "ScaleWidth")); });
        height = band_height;
        dx = 0;
        dy = band_height;
    }

    // Rising half: levels 0..127.
    for (int16_t i = 0; i <= 127; ++i) {
        skip([&] { late::let(Obj, "CurrentX", Long(i) * dx); });
        skip([&] { late::let(Obj, "CurrentY", Long(i) * dy); });
        skip([&] {
            if (auto color = scheme_color(Color, Integer(i)))
                filled_box_from_current(Obj, width, height, *color);
        });
    }
    // Falling half: position 127 again, then levels 126..0.
    Integer k = 0;
    for (int16_t i = 127; i <= 254; ++i) {
        skip([&] { late::let(Obj, "CurrentX", Long(i) * dx); });
        skip([&] { late::let(Obj, "CurrentY", Long(i) * dy); });
        skip([&] {
            if (auto color = scheme_color(Color, Integer(127) - k))
                filled_box_from_current(Obj, width, height, *color);
        });
        skip([&] { k = k + Integer(1); });
    }
}

void clsKxLumoGradientsA::Gradient02(ByRef<ObjectRef> Obj, ByRef<Long> Color)
{
    Integer band_width = 0;

    skip([&] { late::let(Obj, "ScaleMode", Integer(3)); });
    skip([&] { late::let(Obj, "AutoRedraw", True); });
    skip([&] { band_width = cint(number(Obj, "ScaleWidth") / 255); });
    skip([&] { late::let(Obj, "ScaleWidth", band_width * Integer(255)); });
    for (int16_t i = 0; i <= 254; ++i) {
        skip([&] { late::let(Obj, "CurrentX", Integer(i) * band_width); });
        skip([&] { late::let(Obj, "CurrentY", Integer(0)); });
        skip([&] {
            if (auto color = scheme_color(Color, Integer(i)))
                filled_box_from_current(Obj, band_width, late::get(Obj, "ScaleHeight"), *color);
        });
    }
}

}  // namespace velmo::gradients
