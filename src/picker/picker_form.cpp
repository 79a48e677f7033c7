#include "picker/picker_form.h"

#include "automation/dynamic_object.h"
#include "automation/error_modes.h"
#include "host/hidden_form.h"
#include "picker/color_text.h"
#include "picker/pick_col_from_mouse.h"
#include "platform/gdi.h"
#include "platform/user.h"

namespace velmo::picker {

namespace {

struct PickerForm {
    std::shared_ptr<host::Form> form;
    std::shared_ptr<host::Timer> timer1;
};
thread_local PickerForm loaded;

PickerForm& load()
{
    auto form = host::hidden_form(picker_form_name);
    if (loaded.form != form || !loaded.timer1 || !loaded.timer1->usable()) {
        loaded.form = form;
        loaded.timer1 = host::Timer::create(form->window());
        auto handler = std::make_shared<DynamicObject>(picker_form_name);
        handler->on("Timer", [](Args) {
            picker_tick();
            return Variant {};
        });
        loaded.timer1->connect_events(handler);
    }
    return loaded;
}

}  // namespace

host::Timer& picker_timer() { return *load().timer1; }
host::Form& picker_form() { return *load().form; }

void picker_tick()
{
    using namespace velmo::platform;
    HDC screen = 0;
    POINT at;
    int32_t lCol = 0;
    ColorText text;
    skip([&] { screen = GetWindowDC(0); });
    skip([&] { GetCursorPos(&at); });
    skip([&] {
        lCol = static_cast<int32_t>(GetPixel(screen, at.x, at.y));
        ReleaseDC(0, screen);
    });
    skip([&] { text = color_text(lCol); });
    skip([&] { picker_form().let_Caption(text.caption); });
    skip([&] {
        Variant R { text.R }, G { text.G }, b { text.b }, color { Long(lCol) };
        auto picker = ActivePicker();
        if (!picker)
            picker = clsKxLumoPickColFromMouseA::create();
        picker->RaiseRGBUnderMousePointer(R, G, b, color);
    });
}

}  // namespace velmo::picker
