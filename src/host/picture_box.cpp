#include "host/picture_box.h"

#include "host/form.h"

#include <cmath>

#include "platform/display.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

namespace {

WindowStyle box_style(int16_t border_style)
{
    return border_style == 0 ? WindowStyle { 0, 0, true, false } : WindowStyle { 2, 0, true, false };
}

int to_whole_pixels(double pixels)
{
    if (!std::isfinite(pixels) || std::abs(pixels) > 1e9)
        raise(err::Overflow);
    return static_cast<int>(std::lround(pixels));
}

// The box's outer rectangle in its form's client pixels.
gfx::Rect placement(HWND window)
{
    const Window* w = find_window(window);
    return w ? w->rect : gfx::Rect {};
}

}  // namespace

std::shared_ptr<PictureBox> PictureBox::create(int width_px, int height_px, std::shared_ptr<Form> parent)
{
    WindowStyle style = box_style(1);
    int outer_w = std::max(0, width_px) + 2 * style.border;
    int outer_h = std::max(0, height_px) + 2 * style.border;
    if (!parent)
        parent = Form::create(outer_w, outer_h);
    std::shared_ptr<PictureBox> box(new PictureBox());
    box->parent_ = std::move(parent);
    box->border_style_ = 1;
    WindowDesc desc;
    desc.parent = box->parent_->window();
    desc.rect = { 0, 0, outer_w, outer_h };
    desc.style = style;
    desc.visible = true;
    HWND window = create_window(desc);
    if (!window)
        raise(err::OutOfMemory, "Cannot make a window of that size");
    box->attach(window, { 255, 255, 255 });
    return box;
}

const ClassInfo& PictureBox::class_info() const
{
    static const ClassInfo info = [] {
        ClassInfo made { "Host", "PictureBox", Creatable::No, shared_members() };
        made.event_interface = "PictureBoxEvents";
        made.events = mouse_events();
        auto boolean = TypeName::of(VarType::Boolean);
        made.members.push_back(property_get("AutoSize", &PictureBox::get_AutoSize, boolean));
        made.members.push_back(property_let("AutoSize", &PictureBox::let_AutoSize, boolean));
        return made;
    }();
    return info;
}

void PictureBox::move_to(gfx::Rect outer)
{
    int before_w = client_width(), before_h = client_height();
    if (!SetWindowPos(window_, 0, outer.x, outer.y, outer.width, outer.height, SWP_NOZORDER))
        raise(err::InvalidArgument);
    if (client_width() != before_w || client_height() != before_h)
        client_resized();
}

float PictureBox::get_Width() { return static_cast<float>(placement(window_).width * parent_->units_per_pixel_x()); }
float PictureBox::get_Height() { return static_cast<float>(placement(window_).height * parent_->units_per_pixel_y()); }
float PictureBox::get_Left()
{
    return static_cast<float>(parent_->get_ScaleLeft() + placement(window_).x * parent_->units_per_pixel_x());
}
float PictureBox::get_Top()
{
    return static_cast<float>(parent_->get_ScaleTop() + placement(window_).y * parent_->units_per_pixel_y());
}

void PictureBox::let_Width(float value)
{
    gfx::Rect r = placement(window_);
    r.width = std::max(0, to_whole_pixels(value / parent_->units_per_pixel_x()));
    move_to(r);
}

void PictureBox::let_Height(float value)
{
    gfx::Rect r = placement(window_);
    r.height = std::max(0, to_whole_pixels(value / parent_->units_per_pixel_y()));
    move_to(r);
}

void PictureBox::let_Left(float value)
{
    gfx::Rect r = placement(window_);
    r.x = to_whole_pixels(parent_->pixels_from_x_units(value));
    move_to(r);
}

void PictureBox::let_Top(float value)
{
    gfx::Rect r = placement(window_);
    r.y = to_whole_pixels(parent_->pixels_from_y_units(value));
    move_to(r);
}

void PictureBox::let_BorderStyle(Integer value)
{
    if (value.value() < 0 || value.value() > 1)
        raise(err::InvalidPropertyValue);
    int before_w = client_width(), before_h = client_height();
    border_style_ = value;
    set_window_style(window_, box_style(value.value()));
    if (client_width() != before_w || client_height() != before_h)
        client_resized();
    if (auto_size_)
        fit_picture();
}

Boolean PictureBox::get_AutoSize() { return Boolean::from(auto_size_); }

void PictureBox::let_AutoSize(Boolean value)
{
    auto_size_ = value.raw != 0;
    if (auto_size_)
        fit_picture();
}

void PictureBox::picture_changed()
{
    if (auto_size_)
        fit_picture();
}

void PictureBox::fit_picture()
{
    auto shown = picture();
    if (!shown)
        return;
    gfx::Size size = shown->pixel_size();
    if (size.is_empty())
        return;
    int border = box_style(border_style_.value()).border;
    gfx::Rect r = placement(window_);
    r.width = size.width + 2 * border;
    r.height = size.height + 2 * border;
    move_to(r);
    repaint_background();
}

}  // namespace velmo::host
