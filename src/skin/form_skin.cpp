#include "skin/form_skin.h"

#include "automation/late.h"
#include "frame/framework_services.h"
#include "host/load_picture.h"
#include "platform/gdi.h"
#include "platform/messages.h"
#include "platform/user.h"
#include "skin/hidden_form.h"
#include "skin/skin_region.h"

namespace velmo::skin {

using namespace velmo::platform;

namespace {

using C = clsKxLumoUIFormSkinA;

ObjectRef skin_box_of(const std::shared_ptr<frmKxLumoUIFormSkinA>& hidden)
{
    if (!hidden)
        raise(err::ObjectNotSet);
    return hidden->PicMainSkin;
}

HWND window_of(const ObjectRef& form) { return static_cast<HWND>(late::get(form, "hWnd").to_long().value()); }

}  // namespace

const ClassInfo& clsKxLumoUIFormSkinA::info()
{
    static const ClassInfo table {
        "Velmo10",
        "clsKxLumoUIFormSkinA",
        Creatable::Yes,
        {
            property_get("SkinFile", &C::get_SkinFile, TypeName::of(VarType::String)),
            property_let("SkinFile", &C::let_SkinFile, TypeName::of(VarType::String)),
            property_get("SkinIPPicture", &C::get_SkinIPPicture, TypeName::object("IPicture")),
            property_set("SkinIPPicture", &C::set_SkinIPPicture, TypeName::object("IPicture")),
            property_get("SkinPicBoxObject", &C::get_SkinPicBoxObject, TypeName::of(VarType::Object)),
            property_set("SkinPicBoxObject", &C::set_SkinPicBoxObject, TypeName::of(VarType::Object)),
            property_get("FormObject", &C::get_FormObject, TypeName::of(VarType::Object)),
            property_set("FormObject", &C::set_FormObject, TypeName::of(VarType::Object)),
            method("MakeMoveable", &C::MakeMoveable, { param("iButton", VarType::Variant).optional_() }),
            method("Show", &C::Show),
        },
    };
    return table;
}

std::string clsKxLumoUIFormSkinA::get_SkinFile() { return skin_file_; }
void clsKxLumoUIFormSkinA::let_SkinFile(std::string value) { skin_file_ = std::move(value); }
ObjectRef clsKxLumoUIFormSkinA::get_SkinIPPicture() { return skin_picture_; }
void clsKxLumoUIFormSkinA::set_SkinIPPicture(ObjectRef value) { skin_picture_ = std::move(value); }
ObjectRef clsKxLumoUIFormSkinA::get_SkinPicBoxObject() { return skin_box_; }
void clsKxLumoUIFormSkinA::set_SkinPicBoxObject(ObjectRef value) { skin_box_ = std::move(value); }
ObjectRef clsKxLumoUIFormSkinA::get_FormObject() { return form_; }
void clsKxLumoUIFormSkinA::set_FormObject(ObjectRef value) { form_ = std::move(value); }

// One statement per step; each failing step is reported and the next one runs. The properties are
// read through their public accessors, as a client would read them.
void clsKxLumoUIFormSkinA::Show()
{
    const std::string where = std::string("czLumoUIFormSkin") + ".Show";
    // An error raised inside the library names the library as its source, as the runtime does.
    auto step = [&](auto&& statement) {
        frame::report(where, [&] {
            try {
                statement();
            } catch (Error& error) {
                error.set_source_if_empty("Velmo10");
                throw;
            }
        });
    };

    std::shared_ptr<frmKxLumoUIFormSkinA> hidden;
    step([&] { hidden = hidden_skin_form(); });
    // A file name wins over the picture; when the test itself fails, the picture is used.
    bool from_picture = true;
    step([&] { from_picture = get_SkinFile().empty(); });
    if (from_picture)
        step([&] { late::set(skin_box_of(hidden), "Picture", get_SkinIPPicture()); });
    else
        step([&] { late::set(skin_box_of(hidden), "Picture", host::LoadPicture(get_SkinFile())); });
    step([&] { set_SkinPicBoxObject(skin_box_of(hidden)); });
    step([&] { hidden.reset(); });

    ObjectRef box;
    step([&] { box = get_SkinPicBoxObject(); });
    step([&] { late::let(box, "ScaleMode", Long(3)); });
    step([&] { late::let(box, "AutoRedraw", True); });
    step([&] { late::let(box, "AutoSize", True); });
    step([&] { late::let(box, "BorderStyle", Long(0)); });
    step([&] { box.reset(); });

    // The box measures in the hidden form's twips, so the form becomes fifteen times the skin's
    // size; the region keeps everything beyond the skin invisible.
    ObjectRef form;
    step([&] { form = get_FormObject(); });
    step([&] { late::let(form, "Width", 15.0f * late::get(get_SkinPicBoxObject(), "Width").to_single()); });
    step([&] { late::let(form, "Height", 15.0f * late::get(get_SkinPicBoxObject(), "Height").to_single()); });
    HRGN region = 0;
    step([&] { region = BuildSkinRegion(get_SkinPicBoxObject()); });
    bool taken = false;
    step([&] { taken = SetWindowRgn(window_of(form), region, 1) != 0; });
    // A region the window did not take would be lost to everyone: give it back.
    if (!taken && region)
        DeleteObject(region);
    step([&] { late::call(form, "Refresh"); });
    step([&] { late::set(form, "Picture", late::get(get_SkinPicBoxObject(), "Picture").to_object()); });
    step([&] { late::call(form, "Refresh"); });
    form.reset();
}

// Only a number equal to 1 (the left button, as a mouse-down event reports it) starts the drag.
// Left to us: an omitted argument, text (even "1"), Empty, Null or an object does nothing and
// raises nothing, so a stray value can neither start a drag nor fail the host's mouse handler.
void clsKxLumoUIFormSkinA::MakeMoveable(ByRef<Variant> iButton)
{
    const Variant button = iButton.get();
    if (!button.is_numeric() || button.to_double() != 1.0)
        return;
    ReleaseCapture();
    HWND window = window_of(get_FormObject());
    // The window behaves as if pressed on its caption: the move loop drags it until the release.
    SendMessageA(window, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTCAPTION), 0);
}

}  // namespace velmo::skin
