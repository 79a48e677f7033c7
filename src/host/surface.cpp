// A surface's window: its lifetime, the member table it shares, and its mouse events.
#include "host/surface.h"

#include "platform/display.h"
#include "platform/messages.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

Surface::~Surface()
{
    painter_.reset();
    image_.reset();
    if (window_)
        DestroyWindow(window_);
}

void Surface::attach(HWND window, gfx::Color back_color)
{
    window_ = window;
    back_color_ = back_color;
    back_color_value_ = static_cast<int32_t>(back_color.to_colorref());
    std::weak_ptr<Object> weak = weak_from_this();
    set_paint_handler(window_, [this, weak] {
        if (weak.lock())
            present();
    });
    set_window_procedure(window_, [this, weak](HWND w, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
        if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP) {
            if (auto self = weak.lock())  // held: a handler may let the surface go
                mouse_message(message, wparam, lparam);
            return 0;
        }
        return DefWindowProcA(w, message, wparam, lparam);
    });
    let_ScaleMode(static_cast<int16_t>(ScaleUnit::Twips));
}

std::vector<Member> Surface::mouse_events()
{
    auto mouse = [](std::string_view name) {
        return event(name, { param("Button", VarType::Integer), param("Shift", VarType::Integer), param("X", VarType::Single), param("Y", VarType::Single) });
    };
    return { event("Click", {}), mouse("MouseDown"), mouse("MouseMove"), mouse("MouseUp") };
}

void Surface::mouse_message(UINT message, uint32_t wparam, int32_t lparam)
{
    int16_t button = 0;
    bool down = false, up = false;
    switch (message) {
    case WM_LBUTTONDOWN: button = 1; down = true; break;
    case WM_LBUTTONUP: button = 1; up = true; break;
    case WM_RBUTTONDOWN: button = 2; down = true; break;
    case WM_RBUTTONUP: button = 2; up = true; break;
    case WM_MBUTTONDOWN: button = 4; down = true; break;
    case WM_MBUTTONUP: button = 4; up = true; break;
    default:  // a move reports every button held
        button = static_cast<int16_t>(((wparam & MK_LBUTTON) ? 1 : 0) | ((wparam & MK_RBUTTON) ? 2 : 0) | ((wparam & MK_MBUTTON) ? 4 : 0));
        break;
    }
    int16_t shift = static_cast<int16_t>(((wparam & MK_SHIFT) ? 1 : 0) | ((wparam & MK_CONTROL) ? 2 : 0) | (GetAsyncKeyState(VK_MENU) ? 4 : 0));
    int px = GET_X_LPARAM(lparam), py = GET_Y_LPARAM(lparam);
    Variant b { Integer(button) }, s { Integer(shift) };
    Variant x(static_cast<float>(scale_.left + px * units_per_pixel_x()));
    Variant y(static_cast<float>(scale_.top + py * units_per_pixel_y()));
    Variant* args[] = { &b, &s, &x, &y };
    if (down) {
        // The host's windows keep the mouse while a button is held, so the release comes here.
        pressed_ |= button;
        SetCapture(window_);
        events_.raise("MouseDown", args);
        if (GetCapture() != window_)  // a handler took the mouse elsewhere (a drag): no click follows
            pressed_ &= static_cast<int16_t>(~button);
    } else if (up) {
        bool was_pressed = (pressed_ & button) != 0;
        pressed_ &= static_cast<int16_t>(~button);
        if (pressed_ == 0 && GetCapture() == window_)
            ReleaseCapture();
        events_.raise("MouseUp", args);
        if (was_pressed && px >= 0 && py >= 0 && px < client_width() && py < client_height())
            events_.raise("Click", {});
    } else {
        events_.raise("MouseMove", args);
    }
}

std::vector<Member> Surface::shared_members()
{
    auto single = TypeName::of(VarType::Single);
    auto integer = TypeName::of(VarType::Integer);
    auto long_ = TypeName::of(VarType::Long);
    auto boolean = TypeName::of(VarType::Boolean);
    auto object = TypeName::object("Picture");
    auto value = [](std::string_view name, VarType type) { return param(name, type).by_value(); };
    auto optional = [](std::string_view name) { return param(name, VarType::Variant).by_value().optional_(); };
    return {
        property_get("ScaleMode", &Surface::get_ScaleMode, integer),
        property_let("ScaleMode", &Surface::let_ScaleMode, integer),
        property_get("ScaleWidth", &Surface::get_ScaleWidth, single),
        property_let("ScaleWidth", &Surface::let_ScaleWidth, single),
        property_get("ScaleHeight", &Surface::get_ScaleHeight, single),
        property_let("ScaleHeight", &Surface::let_ScaleHeight, single),
        property_get("ScaleLeft", &Surface::get_ScaleLeft, single),
        property_let("ScaleLeft", &Surface::let_ScaleLeft, single),
        property_get("ScaleTop", &Surface::get_ScaleTop, single),
        property_let("ScaleTop", &Surface::let_ScaleTop, single),
        method("ScaleX", &Surface::ScaleX, { value("Width", VarType::Single), optional("FromScale"), optional("ToScale") }, single),
        method("ScaleY", &Surface::ScaleY, { value("Height", VarType::Single), optional("FromScale"), optional("ToScale") }, single),
        property_get("Width", &Surface::get_Width, single),
        property_let("Width", &Surface::let_Width, single),
        property_get("Height", &Surface::get_Height, single),
        property_let("Height", &Surface::let_Height, single),
        property_get("Left", &Surface::get_Left, single),
        property_let("Left", &Surface::let_Left, single),
        property_get("Top", &Surface::get_Top, single),
        property_let("Top", &Surface::let_Top, single),
        property_get("AutoRedraw", &Surface::get_AutoRedraw, boolean),
        property_let("AutoRedraw", &Surface::let_AutoRedraw, boolean),
        property_get("DrawMode", &Surface::get_DrawMode, integer),
        property_let("DrawMode", &Surface::let_DrawMode, integer),
        property_get("DrawStyle", &Surface::get_DrawStyle, integer),
        property_let("DrawStyle", &Surface::let_DrawStyle, integer),
        property_get("DrawWidth", &Surface::get_DrawWidth, integer),
        property_let("DrawWidth", &Surface::let_DrawWidth, integer),
        property_get("BackColor", &Surface::get_BackColor, long_),
        property_let("BackColor", &Surface::let_BackColor, long_),
        property_get("ForeColor", &Surface::get_ForeColor, long_),
        property_let("ForeColor", &Surface::let_ForeColor, long_),
        property_get("CurrentX", &Surface::get_CurrentX, single),
        property_let("CurrentX", &Surface::let_CurrentX, single),
        property_get("CurrentY", &Surface::get_CurrentY, single),
        property_let("CurrentY", &Surface::let_CurrentY, single),
        property_get("Visible", &Surface::get_Visible, boolean),
        property_let("Visible", &Surface::let_Visible, boolean),
        property_get("BorderStyle", &Surface::get_BorderStyle, integer),
        property_let("BorderStyle", &Surface::let_BorderStyle, integer),
        property_get("hWnd", &Surface::get_hWnd, long_),
        property_get("hDC", &Surface::get_hDC, long_),
        property_get("Image", &Surface::get_Image, object),
        property_get("Picture", &Surface::get_Picture, object),
        property_set("Picture", &Surface::set_Picture, object),
        property_let("Picture", &Surface::let_Picture, TypeName::of(VarType::Variant)),
        method("Refresh", &Surface::Refresh),
        method("Cls", &Surface::Cls),
        method("Line", &Surface::Line,
            { value("Flags", VarType::Integer), value("X1", VarType::Single), value("Y1", VarType::Single), value("X2", VarType::Single),
                value("Y2", VarType::Single), value("Color", VarType::Long) }),
        method("Circle", &Surface::Circle,
            { value("Flags", VarType::Integer), value("X", VarType::Single), value("Y", VarType::Single), value("Radius", VarType::Single),
                value("Color", VarType::Long), value("Start", VarType::Single), value("End", VarType::Single), value("Aspect", VarType::Single) }),
        method("PSet", &Surface::PSet, { value("Flags", VarType::Integer), value("X", VarType::Single), value("Y", VarType::Single), value("Color", VarType::Long) }),
        method("Point", &Surface::Point, { value("X", VarType::Single), value("Y", VarType::Single) }, long_),
    };
}

int Surface::client_width() const
{
    const Window* w = find_window(window_);
    return w ? w->client_rect().width : 0;
}

int Surface::client_height() const
{
    const Window* w = find_window(window_);
    return w ? w->client_rect().height : 0;
}

Boolean Surface::get_Visible()
{
    const Window* w = find_window(window_);
    return Boolean::from(w && w->visible);
}

void Surface::let_Visible(Boolean value)
{
    bool show = value.raw != 0;
    ShowWindow(window_, show ? SW_SHOW : SW_HIDE);
    if (show)
        UpdateWindow(window_);
}

Integer Surface::get_BorderStyle() { return border_style_; }

Long Surface::get_hWnd() { return Long(static_cast<int32_t>(window_)); }

}  // namespace velmo::host
