// frmKxLumoUIFormSkinA: the library's hidden skin form. One per thread, made on first use and kept
// loaded; every skin object of the thread shares it and its picture box PicMainSkin, which holds
// the skin picture while the region is read from it. The form is never shown, has no event
// handlers and keeps twips as its scale, so its boxes measure their Width and Height in twips.
// PicMainSkinAlternatePicBox is there as on the original form and carries no behaviour.
#pragma once

#include <memory>

#include "host/form.h"
#include "host/picture_box.h"

namespace velmo::skin {

struct frmKxLumoUIFormSkinA {
    std::shared_ptr<host::Form> form;
    std::shared_ptr<host::PictureBox> PicMainSkin;
    std::shared_ptr<host::PictureBox> PicMainSkinAlternatePicBox;
};

// The calling thread's hidden form (the host's hidden form of that name, with the two boxes). A
// form whose windows went with a replaced display is made again.
std::shared_ptr<frmKxLumoUIFormSkinA> hidden_skin_form();

}  // namespace velmo::skin
