// The 35 preset gradients and GradientFormNow. Unguarded: the first failing host call ends the
// member and reaches the caller, with what was drawn so far left in place. The presets share the
// instance's iCounter as their loop variable, so after a failure it tells the step that failed.
#include "gradients/gradients.h"
#include "host/screen.h"
#include "gradients/surface_calls.h"
#include "runtime/colors.h"

namespace velmo::gradients {

namespace {

constexpr int16_t last_step = 255;

Long hue_color(Hue hue, Integer v)
{
    switch (hue) {
    case Hue::Red: return host::RGB(v, 0, 0);
    case Hue::Green: return host::RGB(0, v, 0);
    case Hue::Blue: return host::RGB(0, 0, v);
    case Hue::Yellow: return host::RGB(v, v, 0);
    case Hue::Cyan: return host::RGB(0, v, v);
    case Hue::Purple: return host::RGB(v, 0, v);
    case Hue::Gray: return host::RGB(v, v, v);
    }
    return 0;
}

// The width value a family reads at step n: the screen's width for Mid...Black, the surface's outer
// width plus n for three families, nothing for ...Build. It is used as a coordinate as it is, so on
// a form (twips) it lies far beyond the right edge; the pictures rely on that.
Variant width_value(PresetFamily family, const ObjectRef& surface, Integer n)
{
    switch (family) {
    case PresetFamily::MidBlack: return late::get(host::screen(), "Width");
    case PresetFamily::Build: return {};
    case PresetFamily::Black:
    case PresetFamily::HalfBlack:
    case PresetFamily::BlackDown: return number(surface, "Width") + n.value();
    }
    return {};
}

// One step's primitive: the family's flag word and points.
void draw_step(PresetFamily family, const ObjectRef& surface, Integer n, const Variant& width, Long color)
{
    const Integer top = 255;
    switch (family) {
    case PresetFamily::MidBlack:
        line(surface, line_flags::BoxOutline, Integer(0), n, width, top - n, color);
        break;
    case PresetFamily::Build:
        line(surface, line_flags::FilledBox, n - top, top, n, top - n, color);
        break;
    case PresetFamily::Black:
        line(surface, line_flags::BoxOutline, n - top, top, width, n, color);
        break;
    case PresetFamily::HalfBlack:
        line(surface, line_flags::BoxOutline, top, n - top, n, width, color);
        break;
    case PresetFamily::BlackDown:
        line(surface, line_flags::BoxOutline, n, top, width, n, color);
        break;
    }
}

}  // namespace

void clsKxLumoGradientsA::paint_preset(PresetFamily family, Hue hue, ByRef<ObjectRef>& Frm)
{
    // x in pixels, y in 256ths of the inner height.
    late::let(Frm, "DrawStyle", Integer(6));
    late::let(Frm, "DrawMode", Integer(13));
    late::let(Frm, "ScaleMode", Integer(3));
    late::let(Frm, "DrawWidth", Integer(2));
    late::let(Frm, "ScaleHeight", Integer(256));
    iCounter = 0;
    while (iCounter.value() <= last_step) {
        Integer n = iCounter;
        Variant width = width_value(family, Frm, n);
        Integer v = Integer(last_step) - n;
        draw_step(family, Frm, n, width, hue_color(hue, v));
        iCounter = iCounter + Integer(1);
    }
}

void clsKxLumoGradientsA::GradientFormNow(ByRef<ObjectRef> oForm, ByRef<Integer> iWhichGradient)
{
    // Through the public interface, handing on the caller's own variable.
    if (iWhichGradient.get().value() == 100) {
        Variant* args[] = { &oForm.variable() };
        invoke("BlueBlackDown", Invoke::Call, args);
    }
}

}  // namespace velmo::gradients
