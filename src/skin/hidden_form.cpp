#include "skin/hidden_form.h"

#include "host/hidden_form.h"

namespace velmo::skin {

namespace {
thread_local std::shared_ptr<frmKxLumoUIFormSkinA> loaded;

// The boxes' size before a skin sizes PicMainSkin to its picture, in pixels.
constexpr int box_pixels = 32;
}  // namespace

std::shared_ptr<frmKxLumoUIFormSkinA> hidden_skin_form()
{
    // The host keeps the thread's form; its boxes are made again whenever the form was.
    auto form = host::hidden_form("frmKxLumoUIFormSkinA");
    if (loaded && loaded->form == form)
        return loaded;
    auto made = std::make_shared<frmKxLumoUIFormSkinA>();
    made->form = form;
    made->PicMainSkin = host::PictureBox::create(box_pixels, box_pixels, form);
    made->PicMainSkinAlternatePicBox = host::PictureBox::create(box_pixels, box_pixels, form);
    loaded = made;
    return loaded;
}

}  // namespace velmo::skin
