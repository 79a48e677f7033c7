// clsKxLumoUIFormSkinA: gives a host form the outline and picture of a skin bitmap. Show loads the
// skin into the thread's hidden picture box, builds the window region from its non-transparent
// pixels, hands the region to the form, sizes the form and paints the skin as its picture.
// MakeMoveable, called from the form's mouse-down handler, lets the user drag the form by the skin.
//
// The four properties are plain storage. Show reports each failing statement through the
// error-handler service ("czLumoUIFormSkin.Show") and goes on; the other members are unguarded.
#pragma once

#include <string>

#include "automation/by_ref.h"
#include "automation/object.h"

namespace velmo::skin {

class clsKxLumoUIFormSkinA : public Object {
public:
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    std::string get_SkinFile();
    void let_SkinFile(std::string value);
    ObjectRef get_SkinIPPicture();
    void set_SkinIPPicture(ObjectRef value);
    ObjectRef get_SkinPicBoxObject();
    void set_SkinPicBoxObject(ObjectRef value);
    ObjectRef get_FormObject();
    void set_FormObject(ObjectRef value);

    void MakeMoveable(ByRef<Variant> iButton);
    void Show();

private:
    std::string skin_file_;
    ObjectRef skin_picture_;
    ObjectRef skin_box_;
    ObjectRef form_;
};

}  // namespace velmo::skin
