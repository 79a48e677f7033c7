// clsKxLumoGradientsA: the gradient painter. It paints onto a caller's form or picture box, reached
// only by member name, so any object answering the drawing-surface members will do.
//
// Three groups of members, each in its own file:
//   band_gradients.cpp    Gradient (unguarded), Gradient01, Gradient02 (skip-on-error)
//   shaped_gradients.cpp  BoxGradient ... RectGradient (skip-on-error, some pump messages)
//   preset_gradients.cpp  the 35 presets and GradientFormNow (unguarded, iCounter as loop variable)
// member_table.cpp lists all 46 in function-table order.
//
// Every parameter is by reference (ByRef aliases the caller's variable), as clients of the type
// library expect; members that write back say so.
#pragma once

#include "automation/by_ref.h"
#include "automation/object.h"

namespace velmo::gradients {

// The colour word of a preset: which channels carry the step value.
enum class Hue { Red, Green, Blue, Yellow, Cyan, Purple, Gray };

// The five preset families differ only in the primitive drawn at each step.
enum class PresetFamily { MidBlack, Build, Black, HalfBlack, BlackDown };

class clsKxLumoGradientsA : public Object {
public:
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    // The loop counter of the presets; per instance.
    Integer counter() const { return iCounter; }

    // Band gradients.
    void Gradient(ByRef<ObjectRef> TheObject, ByRef<Long> Redval, ByRef<Long> Greenval, ByRef<Long> Blueval, ByRef<Boolean> TopToBottom);
    void Gradient01(ByRef<ObjectRef> Obj, ByRef<Long> Color, ByRef<Long> Orient);
    void Gradient02(ByRef<ObjectRef> Obj, ByRef<Long> Color);

    // Shaped two-colour gradients and the zig-zag.
    void BoxGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
        ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Integer> Size, ByRef<Boolean> smooth);
    void CircleGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
        ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth);
    void DiagGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
        ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth);
    void GrafittiZigZag(ByRef<ObjectRef> frmForm);
    void HorizGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
        ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth);
    void SpinGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
        ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth);
    void RectGradient(ByRef<ObjectRef> frmForm, ByRef<Integer> rs, ByRef<Integer> gs, ByRef<Integer> bs,
        ByRef<Integer> re, ByRef<Integer> ge, ByRef<Integer> be, ByRef<Boolean> smooth);

    // Request code 100 paints BlueBlackDown; any other code does nothing.
    void GradientFormNow(ByRef<ObjectRef> oForm, ByRef<Integer> iWhichGradient);

    // Presets: a ramp from full colour down to black.
    void MidBlueBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::MidBlack, Hue::Blue, Frm); }
    void MidRedBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::MidBlack, Hue::Red, Frm); }
    void MidGreenBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::MidBlack, Hue::Green, Frm); }
    void MidCyanBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::MidBlack, Hue::Cyan, Frm); }
    void MidYellowBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::MidBlack, Hue::Yellow, Frm); }
    void MidPurpleBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::MidBlack, Hue::Purple, Frm); }
    void MidGrayBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::MidBlack, Hue::Gray, Frm); }
    void RedBuild(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Build, Hue::Red, Frm); }
    void GreenBuild(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Build, Hue::Green, Frm); }
    void BlueBuild(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Build, Hue::Blue, Frm); }
    void YellowBuild(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Build, Hue::Yellow, Frm); }
    void CyanBuild(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Build, Hue::Cyan, Frm); }
    void PurpleBuild(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Build, Hue::Purple, Frm); }
    void GrayBuild(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Build, Hue::Gray, Frm); }
    void RedBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Black, Hue::Red, Frm); }
    void GreenBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Black, Hue::Green, Frm); }
    void BlueBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Black, Hue::Blue, Frm); }
    void YellowBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Black, Hue::Yellow, Frm); }
    void CyanBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Black, Hue::Cyan, Frm); }
    void PurpleBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Black, Hue::Purple, Frm); }
    void GrayBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::Black, Hue::Gray, Frm); }
    void HalfRedBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::HalfBlack, Hue::Red, Frm); }
    void HalfGreenBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::HalfBlack, Hue::Green, Frm); }
    void HalfBlueBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::HalfBlack, Hue::Blue, Frm); }
    void HalfYellowBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::HalfBlack, Hue::Yellow, Frm); }
    void HalfCyanBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::HalfBlack, Hue::Cyan, Frm); }
    void HalfPurpleBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::HalfBlack, Hue::Purple, Frm); }
    void HalfGrayBlack(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::HalfBlack, Hue::Gray, Frm); }
    void RedBlackDown(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::BlackDown, Hue::Red, Frm); }
    void GreenBlackDown(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::BlackDown, Hue::Green, Frm); }
    void BlueBlackDown(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::BlackDown, Hue::Blue, Frm); }
    void YellowBlackDown(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::BlackDown, Hue::Yellow, Frm); }
    void PurpleBlackDown(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::BlackDown, Hue::Purple, Frm); }
    void CyanBlackDown(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::BlackDown, Hue::Cyan, Frm); }
    void GrayBlackDown(ByRef<ObjectRef> Frm) { paint_preset(PresetFamily::BlackDown, Hue::Gray, Frm); }

private:
    void paint_preset(PresetFamily family, Hue hue, ByRef<ObjectRef>& Frm);

    Integer iCounter = 0;
};

}  // namespace velmo::gradients
