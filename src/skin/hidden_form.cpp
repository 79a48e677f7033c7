#include "skin/hidden_form.h"

#include "platform/user.h"

namespace velmo::skin {

namespace {
thread_local std::shared_ptr<frmKxLumoUIFormSkinA> loaded;

// The boxes' size before a skin sizes PicMainSkin to its picture, in pixels.
constexpr int box_pixels = 32;
}  // namespace

std::shared_ptr<frmKxLumoUIFormSkinA> hidden_skin_form()
{
    if (loaded && platform::IsWindow(loaded->form->window()))
        return loaded;
    auto made = std::make_shared<frmKxLumoUIFormSkinA>();
    made->form = host::Form::create(2 * box_pixels, box_pixels);
    made->PicMainSkin = host::PictureBox::create(box_pixels, box_pixels, made->form);
    made->PicMainSkinAlternatePicBox = host::PictureBox::create(box_pixels, box_pixels, made->form);
    loaded = made;
    return loaded;
}

}  // namespace velmo::skin
