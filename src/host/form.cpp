#include "host/form.h"

#include <cmath>

#include "platform/display.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

namespace {

constexpr double twips_per_pixel = 15.0;

int twips_to_pixels(float twips)
{
    if (!std::isfinite(twips) || std::abs(twips) > 1e9)
        raise(err::Overflow);
    return static_cast<int>(std::lround(twips / twips_per_pixel));
}

WindowStyle form_style(int16_t border_style)
{
    switch (border_style) {
    case 0: return { 0, 0, true, false };
    case 1:
    case 3: return { 3, 20, true, false };
    case 4: return { 3, 16, true, false };
    case 5: return { 4, 16, true, false };
    default: return { 4, 20, true, false };
    }
}

gfx::Rect outer_rect(HWND window)
{
    RECT r;
    if (!GetWindowRect(window, &r))
        return {};
    return gfx::Rect::from_edges(r.left, r.top, r.right, r.bottom);
}

}  // namespace

std::shared_ptr<Form> Form::create(int client_width_px, int client_height_px)
{
    std::shared_ptr<Form> form(new Form());
    form->border_style_ = 2;
    WindowStyle style = form_style(2);
    WindowDesc desc;
    desc.rect = { 0, 0, std::max(0, client_width_px) + 2 * style.border, std::max(0, client_height_px) + 2 * style.border + style.caption };
    desc.style = style;
    desc.title = "Form1";
    HWND window = create_window(desc);
    if (!window)
        raise(err::OutOfMemory, "Cannot make a window of that size");
    form->attach(window, { 255, 255, 255 });
    return form;
}

const ClassInfo& Form::class_info() const
{
    static const ClassInfo info = [] {
        ClassInfo made { "Host", "Form", Creatable::No, shared_members() };
        made.event_interface = "FormEvents";
        made.events = mouse_events();
        auto integer = TypeName::of(VarType::Integer);
        auto text = TypeName::of(VarType::String);
        auto optional = [](std::string_view name) { return param(name, VarType::Variant).by_value().optional_(); };
        made.members.push_back(property_get("WindowState", &Form::get_WindowState, integer));
        made.members.push_back(property_let("WindowState", &Form::let_WindowState, integer));
        made.members.push_back(property_get("Caption", &Form::get_Caption, text));
        made.members.push_back(property_let("Caption", &Form::let_Caption, text));
        made.members.push_back(method("Show", &Form::Show, { optional("Modal"), optional("OwnerForm") }));
        return made;
    }();
    return info;
}

void Form::move_to(gfx::Rect outer)
{
    int before_w = client_width(), before_h = client_height();
    if (!SetWindowPos(window_, 0, outer.x, outer.y, outer.width, outer.height, SWP_NOZORDER))
        raise(err::InvalidArgument);
    if (client_width() != before_w || client_height() != before_h)
        client_resized();
}

float Form::get_Width() { return static_cast<float>(outer_rect(window_).width * twips_per_pixel); }
float Form::get_Height() { return static_cast<float>(outer_rect(window_).height * twips_per_pixel); }
float Form::get_Left() { return static_cast<float>(outer_rect(window_).x * twips_per_pixel); }
float Form::get_Top() { return static_cast<float>(outer_rect(window_).y * twips_per_pixel); }

void Form::let_Width(float value)
{
    gfx::Rect r = outer_rect(window_);
    r.width = std::max(0, twips_to_pixels(value));
    move_to(r);
}

void Form::let_Height(float value)
{
    gfx::Rect r = outer_rect(window_);
    r.height = std::max(0, twips_to_pixels(value));
    move_to(r);
}

void Form::let_Left(float value)
{
    gfx::Rect r = outer_rect(window_);
    r.x = twips_to_pixels(value);
    move_to(r);
}

void Form::let_Top(float value)
{
    gfx::Rect r = outer_rect(window_);
    r.y = twips_to_pixels(value);
    move_to(r);
}

void Form::let_BorderStyle(Integer value)
{
    if (value.value() < 0 || value.value() > 5)
        raise(err::InvalidPropertyValue);
    int before_w = client_width(), before_h = client_height();
    border_style_ = value;
    set_window_style(window_, form_style(value.value()));
    if (client_width() != before_w || client_height() != before_h)
        client_resized();
}

Integer Form::get_WindowState() { return window_state_; }

void Form::let_WindowState(Integer value)
{
    int16_t state = value.value();
    if (state < 0 || state > 2)
        raise(err::InvalidPropertyValue);
    if (state == window_state_)
        return;
    if (window_state_ == 2)
        move_to(restored_);
    if (state == 2) {
        restored_ = outer_rect(window_);
        const auto& screen = display_options().screen;
        move_to({ 0, 0, screen.width, screen.height });
    }
    set_window_show_state(window_, state == 1 ? ShowState::Minimized : state == 2 ? ShowState::Maximized : ShowState::Normal);
    window_state_ = state;
}

std::string Form::get_Caption() { return window_text(window_); }
void Form::let_Caption(std::string value) { SetWindowTextA(window_, value); }

void Form::Show(Variant, Variant)
{
    let_Visible(True);
    SetForegroundWindow(window_);
}

}  // namespace velmo::host
