// The shaped gradients: box outlines, circles, a diagonal fold, a sweep of lines, a spin and the
// random zig-zag. They run skip-on-error: each statement below that can fail is wrapped in skip(),
// so a failure loses that statement only and the member always succeeds. Five of them let the host
// run its pending messages before each primitive; a handler may change the surface or the caller's
// variables mid-call, which is why by-reference arguments are read where they are used.
#include <cmath>

#include "automation/error_modes.h"
#include "gradients/color_ramp.h"
#include "gradients/gradients.h"
#include "gradients/surface_calls.h"
#include "runtime/colors.h"
#include "host/do_events.h"
#include "runtime/random.h"

namespace velmo::gradients {

namespace {

constexpr double ramp_divisions = 255;

// Whether to draw nothing at all: a minimised form is left alone. So is a surface whose WindowState cannot be read
// (a picture box, an empty reference): in this error mode a failing test still enters its branch.
bool leave_alone(const ObjectRef& surface)
{
    bool minimised = true;
    skip([&] { minimised = number(surface, "WindowState") == 1; });
    return minimised;
}

void pump_messages()
{
    skip([] { host::DoEvents(); });
}

// Readies the surface for drawing: pen style, a 255 x 255 user scale (written only where it
// differs, and, as with WindowState above, written when the comparison fails), pen width, and a
// repaint.
void prepare_pen_and_scale(const ObjectRef& surface, const ByRef<Boolean>& smooth)
{
    if (smooth.get().is_true())
        skip([&] { late::let(surface, "DrawStyle", Integer(6)); });
    else
        skip([&] { late::let(surface, "DrawStyle", Integer(0)); });

    bool rescale_width = true;
    skip([&] { rescale_width = number(surface, "ScaleWidth") != 255; });
    if (rescale_width)
        skip([&] { late::let(surface, "ScaleWidth", Integer(255)); });
    bool rescale_height = true;
    skip([&] { rescale_height = number(surface, "ScaleHeight") != 255; });
    if (rescale_height)
        skip([&] { late::let(surface, "ScaleHeight", Integer(255)); });

    skip([&] { late::let(surface, "DrawWidth", Integer(5)); });
    skip([&] { late::call(surface, "Refresh"); });
}

void set_back_color(const ObjectRef& surface, ByRef<Integer>& red, ByRef<Integer>& green, ByRef<Integer>& blue)
{
    skip([&] { late::let(surface, "BackColor", host::RGB(red, green, blue)); });
}

// Box outline from (inset, inset) to (ScaleWidth - inset, ScaleHeight - inset), inset = i / divisor.
void inset_box(const ObjectRef& surface, int16_t i, double divisor, const ColorRamp& ramp)
{
    double x1 = divide(i, divisor);
    double y1 = divide(i, divisor);
    double x2 = number(surface, "ScaleWidth") - divide(i, divisor);
    double y2 = number(surface, "ScaleHeight") - divide(i, divisor);
    line(surface, line_flags::BoxOutline, x1, y1, x2, y2, ramp.color());
}

// A whole number drawn from the process-wide generator, 0 .. range - 1, held as a Single.
float draw_whole(int range) { return std::floor(host::Rnd() * static_cast<float>(range)); }

}  // namespace

void clsKxLumoGradientsA::BoxGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
    ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Integer> Size, ByRef<Boolean> smooth)
{
    if (leave_alone(frmForm))
        return;
    skip([&] { Size = Size.get() + Integer(2); });
    prepare_pen_and_scale(frmForm, smooth);
    ColorRamp ramp;
    ramp.aim(rs, gs, bs, re, ge, be, ramp_divisions);

    for (int16_t i = 255; i >= 0; --i) {
        pump_messages();
        // The divisor is the caller's variable as it is now: a handler may have changed it.
        skip([&] { inset_box(frmForm, i, Size.get().value(), ramp); });
        ramp.advance();
    }
}

void clsKxLumoGradientsA::RectGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
    ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth)
{
    if (leave_alone(frmForm))
        return;
    set_back_color(frmForm, re, ge, be);
    prepare_pen_and_scale(frmForm, smooth);
    ColorRamp ramp;
    ramp.aim(rs, gs, bs, re, ge, be, ramp_divisions);

    for (int16_t i = 255; i >= 0; --i) {
        pump_messages();
        skip([&] { inset_box(frmForm, i, 2, ramp); });
        ramp.advance();
    }
}

void clsKxLumoGradientsA::CircleGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
    ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth)
{
    if (leave_alone(frmForm))
        return;
    set_back_color(frmForm, re, ge, be);
    prepare_pen_and_scale(frmForm, smooth);
    ColorRamp ramp;
    ramp.aim(rs, gs, bs, re, ge, be, ramp_divisions);

    for (int16_t i = 0; i <= 255; ++i) {
        skip([&] {
            double x = number(frmForm, "ScaleWidth") / 2;
            double y = number(frmForm, "ScaleHeight") / 2;
            circle(frmForm, x, y, Integer(i), ramp.color());
        });
        ramp.advance();
    }
}

void clsKxLumoGradientsA::DiagGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
    ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth)
{
    if (leave_alone(frmForm))
        return;
    set_back_color(frmForm, re, ge, be);
    prepare_pen_and_scale(frmForm, smooth);
    ColorRamp ramp;
    ramp.aim(rs, gs, bs, re, ge, be, ramp_divisions);

    // Top-left triangle: start colour in the corner, end colour on the anti-diagonal.
    for (int16_t i = 0; i <= 255; ++i) {
        pump_messages();
        skip([&] { line(frmForm, line_flags::Segment, Integer(0), Integer(i), Integer(i), Integer(0), ramp.color()); });
        ramp.advance();
    }
    // Bottom-right triangle, ramp reversed: the anti-diagonal again, then out to the far corner.
    ramp.aim(re, ge, be, rs, gs, bs, ramp_divisions);
    for (int16_t i = 255; i >= 0; --i) {
        pump_messages();
        skip([&] {
            line(frmForm, line_flags::Segment, Integer(255) - Integer(i), Integer(255), Integer(255), Integer(255) - Integer(i),
                ramp.color());
        });
        ramp.advance();
    }
}

void clsKxLumoGradientsA::HorizGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
    ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth)
{
    if (leave_alone(frmForm))
        return;
    set_back_color(frmForm, re, ge, be);
    prepare_pen_and_scale(frmForm, smooth);
    ColorRamp ramp;
    ramp.aim(rs, gs, bs, re, ge, be, ramp_divisions);

    for (int16_t i = 0; i <= 255; ++i) {
        skip([&] {
            Variant bottom = late::get(frmForm, "ScaleHeight");
            line(frmForm, line_flags::Segment, Integer(i), Integer(0), Integer(i), bottom, ramp.color());
        });
        ramp.advance();
    }
}

void clsKxLumoGradientsA::SpinGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
    ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth)
{
    if (leave_alone(frmForm))
        return;
    set_back_color(frmForm, rs, gs, bs);
    prepare_pen_and_scale(frmForm, smooth);
    // One ramp over both sweeps, so each sweep takes half steps.
    ColorRamp ramp;
    ramp.aim(rs, gs, bs, re, ge, be, ramp_divisions);
    ramp.halve_steps();

    // From the diagonal (0, 0)-(255, 255) through the vertical to the other diagonal ...
    for (int16_t i = 0; i <= 255; ++i) {
        pump_messages();
        skip([&] { line(frmForm, line_flags::Segment, Integer(i), Integer(0), Integer(255) - Integer(i), Integer(255), ramp.color()); });
        ramp.advance();
    }
    // ... and on through the horizontal back to the first.
    for (int16_t i = 0; i <= 255; ++i) {
        pump_messages();
        skip([&] { line(frmForm, line_flags::Segment, Integer(255), Integer(i), Integer(0), Integer(255) - Integer(i), ramp.color()); });
        ramp.advance();
    }
}

void clsKxLumoGradientsA::GrafittiZigZag(ByRef<ObjectRef> frmForm)
{
    if (leave_alone(frmForm))
        return;
    skip([&] { late::let(frmForm, "BackColor", Long(0)); });
    skip([&] { late::let(frmForm, "ScaleHeight", Integer(100)); });
    skip([&] { late::let(frmForm, "ScaleWidth", Integer(100)); });

    float u1 = 0;
    float u2 = 0;
    float u3 = 0;
    float u4 = 0;
    float k = 0;
    for (int16_t i = 0; i <= 300; ++i) {
        pump_messages();
        u1 = draw_whole(101);
        u2 = draw_whole(101);
        u3 = draw_whole(101);
        u4 = draw_whole(101);
        k = draw_whole(15);
        skip([&] { line(frmForm, line_flags::Segment, u1, u3, u2, u4, host::QBColor(cint(k))); });
        skip([&] { line(frmForm, line_flags::Segment, u1, u4, u2, u3, host::QBColor(cint(k))); });
        skip([&] { line(frmForm, line_flags::Segment, u2, u3, u1, u4, host::QBColor(cint(k))); });
        skip([&] { line(frmForm, line_flags::Segment, u3, u4, u1, u2, host::QBColor(cint(k))); });
    }
}

}  // namespace velmo::gradients
