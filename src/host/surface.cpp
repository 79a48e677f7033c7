#include "host/surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gfx/png_writer.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/messages.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

namespace {

constexpr int32_t invalid_property_value = 380;
constexpr double twips_per_pixel = 15.0;
// Device coordinates are kept inside what cairo's fixed-point numbers hold.
constexpr double device_limit = 1 << 22;

[[noreturn]] void refuse() { raise(invalid_property_value); }

int device_coordinate(double value)
{
    return static_cast<int>(std::floor(std::clamp(value, -device_limit, device_limit) + 0.5));
}

// Clips the segment to the square of side 2 * device_limit about the origin, so that clamping its
// ends afterwards cannot change its direction. Returns false when nothing of it is inside.
bool clip_segment(double& x1, double& y1, double& x2, double& y2)
{
    double t0 = 0, t1 = 1;
    double dx = x2 - x1, dy = y2 - y1;
    auto edge = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        double r = q / p;
        if (p < 0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, x1 + device_limit) || !edge(dx, device_limit - x1) || !edge(-dy, y1 + device_limit) || !edge(dy, device_limit - y1))
        return false;
    double ax = x1 + t0 * dx, ay = y1 + t0 * dy;
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
    x1 = ax;
    y1 = ay;
    return true;
}

}  // namespace

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

// ---- Size and pixels ------------------------------------------------------------------------

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

int32_t Surface::pixel(int x, int y) const
{
    HDC dc = auto_redraw_ && image_ ? image_->dc.get() : GetDC(window_);
    COLORREF value = GetPixel(dc, x, y);
    if (!(auto_redraw_ && image_))
        ReleaseDC(window_, dc);
    return static_cast<int32_t>(value);
}

void Surface::write_png(const std::filesystem::path& path) const
{
    HDC dc = auto_redraw_ && image_ ? image_->dc.get() : GetDC(window_);
    auto source = reading_source(dc);
    bool written = source && gfx::write_png(*source->bitmap, source->area, path);
    if (!(auto_redraw_ && image_))
        ReleaseDC(window_, dc);
    if (!written)
        raise(err::PathFileAccess, "Cannot write " + path.string());
}

// ---- Scale ----------------------------------------------------------------------------------

double Surface::twips_per_unit(ScaleUnit unit, bool vertical) const
{
    switch (unit) {
    case ScaleUnit::User: {
        double span = vertical ? scale_.height : scale_.width;
        double pixels = vertical ? client_height() : client_width();
        return twips_per_pixel * pixels / span;
    }
    case ScaleUnit::Twips: return 1;
    case ScaleUnit::Points: return 20;
    case ScaleUnit::Pixels: return twips_per_pixel;
    case ScaleUnit::Characters: return vertical ? 240 : 120;
    case ScaleUnit::Inches: return 1440;
    case ScaleUnit::Millimeters: return 1440 / 25.4;
    case ScaleUnit::Centimeters: return 1440 / 2.54;
    case ScaleUnit::Himetric: return 1440 / 2540.0;
    }
    return 1;
}

double Surface::to_pixels(double value, ScaleUnit unit, bool vertical) const
{
    return value * twips_per_unit(unit, vertical) / twips_per_pixel;
}

double Surface::pixels_from_x_units(double units) const { return (units - scale_.left) * client_width() / scale_.width; }
double Surface::pixels_from_y_units(double units) const { return (units - scale_.top) * client_height() / scale_.height; }

double Surface::units_per_pixel_x() const
{
    int width = client_width();
    return width ? scale_.width / width : twips_per_unit(ScaleUnit::Pixels, false) / twips_per_unit(scale_.mode, false);
}

double Surface::units_per_pixel_y() const
{
    int height = client_height();
    return height ? scale_.height / height : twips_per_unit(ScaleUnit::Pixels, true) / twips_per_unit(scale_.mode, true);
}

gfx::Point Surface::to_device(double x, double y) const
{
    return { device_coordinate(pixels_from_x_units(x)), device_coordinate(pixels_from_y_units(y)) };
}

Integer Surface::get_ScaleMode() { return static_cast<int16_t>(scale_.mode); }

void Surface::let_ScaleMode(Integer mode)
{
    int16_t value = mode.value();
    if (value < 0 || value > 7)
        refuse();
    scale_.mode = static_cast<ScaleUnit>(value);
    if (scale_.mode == ScaleUnit::User)
        return;
    scale_.left = 0;
    scale_.top = 0;
    // An empty client area still gets a usable scale: one pixel's worth.
    scale_.width = std::max(1, client_width()) * twips_per_pixel / twips_per_unit(scale_.mode, false);
    scale_.height = std::max(1, client_height()) * twips_per_pixel / twips_per_unit(scale_.mode, true);
}

float Surface::get_ScaleWidth() { return static_cast<float>(scale_.width); }
float Surface::get_ScaleHeight() { return static_cast<float>(scale_.height); }
float Surface::get_ScaleLeft() { return static_cast<float>(scale_.left); }
float Surface::get_ScaleTop() { return static_cast<float>(scale_.top); }

void Surface::let_ScaleWidth(float value)
{
    if (value == 0 || !std::isfinite(value))
        refuse();
    scale_.width = value;
    scale_.mode = ScaleUnit::User;
}

void Surface::let_ScaleHeight(float value)
{
    if (value == 0 || !std::isfinite(value))
        refuse();
    scale_.height = value;
    scale_.mode = ScaleUnit::User;
}

void Surface::let_ScaleLeft(float value)
{
    if (!std::isfinite(value))
        refuse();
    scale_.left = value;
    scale_.mode = ScaleUnit::User;
}

void Surface::let_ScaleTop(float value)
{
    if (!std::isfinite(value))
        refuse();
    scale_.top = value;
    scale_.mode = ScaleUnit::User;
}

namespace {
ScaleUnit unit_argument(const Variant& given, ScaleUnit fallback)
{
    if (given.is_missing() || given.is_empty())
        return fallback;
    int16_t value = given.to_integer().value();
    if (value < 0 || value > 8)
        raise(err::InvalidArgument);
    return static_cast<ScaleUnit>(value);
}
}  // namespace

float Surface::ScaleX(float value, Variant from, Variant to)
{
    ScaleUnit source = unit_argument(from, ScaleUnit::Himetric);
    ScaleUnit target = unit_argument(to, scale_.mode);
    return static_cast<float>(value * twips_per_unit(source, false) / twips_per_unit(target, false));
}

float Surface::ScaleY(float value, Variant from, Variant to)
{
    ScaleUnit source = unit_argument(from, ScaleUnit::Himetric);
    ScaleUnit target = unit_argument(to, scale_.mode);
    return static_cast<float>(value * twips_per_unit(source, true) / twips_per_unit(target, true));
}

void Surface::client_resized()
{
    if (scale_.mode != ScaleUnit::User)
        let_ScaleMode(static_cast<int16_t>(scale_.mode));
    if (!image_)
        return;
    // A new image of the new size: the background first, then what the old one held.
    Image old = std::move(*image_);
    image_.reset();
    Image& fresh = image();
    BitBlt(fresh.dc.get(), 0, 0, client_width(), client_height(), old.dc.get(), 0, 0, SRCCOPY);
}

// ---- Pen and colours ------------------------------------------------------------------------

gfx::Color Surface::color_of(Long value) const
{
    auto raw = static_cast<uint32_t>(value.value());
    // The high bit names a colour of the system scheme.
    if (raw & 0x80000000u)
        return gfx::Color::from_colorref(GetSysColor(static_cast<int>(raw & 0xFF)));
    return gfx::Color::from_colorref(raw);
}

gfx::Pen Surface::pen(gfx::Color color) const
{
    gfx::Pen p;
    p.color = color;
    p.width = draw_width_;
    p.style = static_cast<gfx::LineStyle>(draw_style_);
    // Broken styles exist only for the one-pixel pen; a wider one draws solid.
    if (draw_width_ > 1 && draw_style_ >= 1 && draw_style_ <= 4)
        p.style = gfx::LineStyle::Solid;
    p.op = static_cast<gfx::RasterOp>(draw_mode_);
    return p;
}

Boolean Surface::get_AutoRedraw() { return Boolean::from(auto_redraw_); }

void Surface::let_AutoRedraw(Boolean value)
{
    bool on = value.raw != 0;
    if (on && !auto_redraw_)
        image();
    auto_redraw_ = on;
}

Integer Surface::get_DrawMode() { return draw_mode_; }
void Surface::let_DrawMode(Integer value)
{
    if (value.value() < 1 || value.value() > 16)
        refuse();
    draw_mode_ = value.value();
}

Integer Surface::get_DrawStyle() { return draw_style_; }
void Surface::let_DrawStyle(Integer value)
{
    if (value.value() < 0 || value.value() > 6)
        refuse();
    draw_style_ = value.value();
}

Integer Surface::get_DrawWidth() { return draw_width_; }
void Surface::let_DrawWidth(Integer value)
{
    if (value.value() < 1)
        refuse();
    draw_width_ = value.value();
}

Long Surface::get_BackColor() { return back_color_value_; }

void Surface::let_BackColor(Long value)
{
    back_color_value_ = value;
    back_color_ = color_of(value);
    set_window_background(window_, back_color_);
    repaint_background();
}

Long Surface::get_ForeColor() { return fore_color_value_; }
void Surface::let_ForeColor(Long value)
{
    fore_color_value_ = value;
    fore_color_ = color_of(value);
}

float Surface::get_CurrentX() { return static_cast<float>(current_x_); }
void Surface::let_CurrentX(float value) { current_x_ = value; }
float Surface::get_CurrentY() { return static_cast<float>(current_y_); }
void Surface::let_CurrentY(float value) { current_y_ = value; }

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

Long Surface::get_hDC()
{
    if (auto_redraw_)
        return Long(static_cast<int32_t>(image().dc.get()));
    return Long(static_cast<int32_t>(GetDC(window_)));
}

// ---- The persistent image -------------------------------------------------------------------

Surface::Image& Surface::image()
{
    if (image_)
        return *image_;
    Image made;
    ScopedWindowDC screen(GetDC(0), 0);
    made.dc = ScopedMemoryDC(CreateCompatibleDC(screen.get()));
    made.bitmap = ScopedGdiObject(CreateCompatibleBitmap(screen.get(), std::max(1, client_width()), std::max(1, client_height())));
    made.selection.emplace(made.dc.get(), made.bitmap.get());
    made.picture = std::make_shared<Picture>(made.bitmap.get(), 0, Picture::Ownership::Borrows);
    image_ = std::move(made);
    paint_background_into(image_->dc.get());
    return *image_;
}

ObjectRef Surface::get_Image() { return image().picture; }

void Surface::paint_background_into(HDC dc)
{
    auto target = drawing_target(dc);
    if (!target)
        return;
    target->bitmap->fill(target->clip, back_color_);
    if (picture_ && picture_->bitmap()) {
        ScopedMemoryDC source(CreateCompatibleDC(dc));
        ScopedSelection selected(source.get(), picture_->bitmap());
        gfx::Size size = picture_->pixel_size();
        // The picture's bitmap may be selected elsewhere; then its pixels are read in place.
        if (selected.selected())
            BitBlt(dc, 0, 0, size.width, size.height, source.get(), 0, 0, SRCCOPY);
        else if (auto* pixels = bitmap_pixels(picture_->bitmap()))
            target->bitmap->copy_from(*pixels, pixels->rect(), target->origin);
    }
    if (target->shows_on_screen)
        screen_changed(target->window);
}

void Surface::repaint_background()
{
    if (image_)
        paint_background_into(image_->dc.get());
    ScopedWindowDC client(GetDC(window_), window_);
    paint_background_into(client.get());
}

void Surface::present()
{
    if (!auto_redraw_ || !image_)
        return;
    show_bitmap(window_, image_->dc.get());
}

void Surface::Refresh()
{
    if (auto_redraw_) {
        present();
        return;
    }
    // Without AutoRedraw a repaint shows the background: the persistent image if there is one.
    if (image_) {
        ScopedWindowDC client(GetDC(window_), window_);
        BitBlt(client.get(), 0, 0, client_width(), client_height(), image_->dc.get(), 0, 0, SRCCOPY);
    } else {
        ScopedWindowDC client(GetDC(window_), window_);
        paint_background_into(client.get());
    }
}

void Surface::Cls()
{
    if (auto_redraw_) {
        paint_background_into(image().dc.get());
        InvalidateRect(window_, nullptr, 0);
    } else {
        Refresh();
    }
    current_x_ = scale_.left;
    current_y_ = scale_.top;
}

// ---- Picture --------------------------------------------------------------------------------

ObjectRef Surface::get_Picture()
{
    if (!picture_)
        return Picture::empty();
    return picture_;
}

void Surface::set_Picture(ObjectRef value)
{
    std::shared_ptr<Picture> picture;
    if (value) {
        picture = std::dynamic_pointer_cast<Picture>(value);
        if (!picture)
            raise(err::TypeMismatch);
    }
    picture_ = picture && picture->bitmap() ? picture : nullptr;
    picture_changed();
    repaint_background();
}

void Surface::let_Picture(Variant value) { set_Picture(value.to_object()); }

// ---- Drawing --------------------------------------------------------------------------------

HDC Surface::drawing_dc() { return auto_redraw_ ? image().dc.get() : GetDC(window_); }

gfx::Painter* Surface::painter()
{
    auto target = drawing_target(drawing_dc());
    if (!target)
        return nullptr;
    const void* memory = target->bitmap->pixels().data();
    if (!painter_ || &painter_->target() != target->bitmap || painter_memory_ != memory || painter_size_ != target->bitmap->size()) {
        painter_ = std::make_unique<gfx::Painter>(*target->bitmap);
        painter_memory_ = memory;
        painter_size_ = target->bitmap->size();
    }
    painter_->set_viewport(target->origin, target->clip);
    on_screen_ = target->shows_on_screen;
    return painter_.get();
}

void Surface::drawn()
{
    if (on_screen_)
        screen_changed(window_);
    else
        InvalidateRect(window_, nullptr, 0);
}

void Surface::Line(Integer flags, float x1, float y1, float x2, float y2, Long color)
{
    int f = flags.value();
    double ax = x1, ay = y1;
    if (!(f & 4)) {
        ax = current_x_;
        ay = current_y_;
    } else if (f & 1) {
        ax += current_x_;
        ay += current_y_;
    }
    double bx = x2, by = y2;
    if (f & 8) {
        bx += ax;
        by += ay;
    }
    gfx::Color colour = (f & 2) ? color_of(color) : fore_color_;
    current_x_ = bx;
    current_y_ = by;

    gfx::Painter* p = painter();
    if (!p)
        return;
    if (f & (16 | 32)) {
        gfx::Point a = to_device(ax, ay);
        gfx::Point b = to_device(bx, by);
        if (f & 32)
            p->fill_box(a, b, colour, static_cast<gfx::RasterOp>(draw_mode_));
        else
            p->draw_box(a, b, pen(colour));
    } else {
        double px1 = pixels_from_x_units(ax), py1 = pixels_from_y_units(ay);
        double px2 = pixels_from_x_units(bx), py2 = pixels_from_y_units(by);
        if (!clip_segment(px1, py1, px2, py2))
            return;
        p->draw_line({ device_coordinate(px1), device_coordinate(py1) }, { device_coordinate(px2), device_coordinate(py2) }, pen(colour));
    }
    drawn();
}

void Surface::Circle(Integer flags, float x, float y, float radius, Long color, float start, float end, float aspect)
{
    int f = flags.value();
    double cx = x, cy = y;
    if (f & 1) {
        cx += current_x_;
        cy += current_y_;
    }
    gfx::Color colour = (f & 2) ? color_of(color) : fore_color_;
    double ratio = (f & 16) ? aspect : 1.0;
    current_x_ = cx;
    current_y_ = cy;

    // The radius is measured in horizontal units; with an aspect above 1 it is the vertical one.
    double r = std::min(std::abs(to_pixels(radius, scale_.mode, false)), device_limit);
    double rx = r, ry = r;
    if (ratio > 1)
        rx = r / ratio;
    else
        ry = r * std::abs(ratio);

    gfx::Painter* p = painter();
    if (!p)
        return;
    gfx::Point centre = to_device(cx, cy);
    std::optional<gfx::Arc> arc;
    if (f & (4 | 8)) {
        double a0 = (f & 4) ? start : 0.0;
        double a1 = (f & 8) ? end : 2 * std::numbers::pi;
        // A negative angle also draws the radius to that end of the arc.
        for (double angle : { a0, a1 }) {
            if (angle < 0) {
                double t = -angle;
                gfx::Point rim { device_coordinate(centre.x + rx * std::cos(t)), device_coordinate(centre.y - ry * std::sin(t)) };
                p->draw_line(centre, rim, pen(colour));
            }
        }
        arc = gfx::Arc { std::abs(a0), std::abs(a1) };
    }
    p->draw_ellipse(centre, rx, ry, pen(colour), arc);
    drawn();
}

void Surface::PSet(Integer flags, float x, float y, Long color)
{
    int f = flags.value();
    double px = x, py = y;
    if (f & 1) {
        px += current_x_;
        py += current_y_;
    }
    gfx::Color colour = (f & 2) ? color_of(color) : fore_color_;
    current_x_ = px;
    current_y_ = py;
    gfx::Painter* p = painter();
    if (!p)
        return;
    gfx::Point at = to_device(px, py);
    if (draw_width_ > 1)
        p->draw_line(at, at, pen(colour));
    else
        p->set_pixel(at, colour, static_cast<gfx::RasterOp>(draw_mode_));
    drawn();
}

Long Surface::Point(float x, float y)
{
    gfx::Point at = to_device(x, y);
    return Long(pixel(at.x, at.y));
}

}  // namespace velmo::host
