// A surface's pen and its drawing: Line, Circle, PSet and Point, with positions clipped to what
// the rasteriser holds.
#include "host/surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

namespace {

// Device coordinates are kept inside what cairo's fixed-point numbers hold.
constexpr double device_limit = 1 << 22;

[[noreturn]] void refuse() { raise(err::InvalidPropertyValue); }

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

gfx::Point Surface::to_device(double x, double y) const
{
    return { device_coordinate(pixels_from_x_units(x)), device_coordinate(pixels_from_y_units(y)) };
}

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
    gfx::Color ink = (f & 2) ? color_of(color) : fore_color_;
    current_x_ = bx;
    current_y_ = by;

    gfx::Painter* p = painter();
    if (!p)
        return;
    if (f & (16 | 32)) {
        gfx::Point a = to_device(ax, ay);
        gfx::Point b = to_device(bx, by);
        if (f & 32)
            p->fill_box(a, b, ink, static_cast<gfx::RasterOp>(draw_mode_));
        else
            p->draw_box(a, b, pen(ink));
    } else {
        double px1 = pixels_from_x_units(ax), py1 = pixels_from_y_units(ay);
        double px2 = pixels_from_x_units(bx), py2 = pixels_from_y_units(by);
        if (!clip_segment(px1, py1, px2, py2))
            return;
        p->draw_line({ device_coordinate(px1), device_coordinate(py1) }, { device_coordinate(px2), device_coordinate(py2) }, pen(ink));
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
    gfx::Color ink = (f & 2) ? color_of(color) : fore_color_;
    double ratio = (f & 16) ? aspect : 1.0;
    current_x_ = cx;
    current_y_ = cy;

    // The radius is measured in horizontal units; with an aspect above 1 it is the vertical one.
    double r = std::min(std::abs(scale_.to_pixels(radius, scale_.mode, false, client_size())), device_limit);
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
                p->draw_line(centre, rim, pen(ink));
            }
        }
        arc = gfx::Arc { std::abs(a0), std::abs(a1) };
    }
    p->draw_ellipse(centre, rx, ry, pen(ink), arc);
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
    gfx::Color ink = (f & 2) ? color_of(color) : fore_color_;
    current_x_ = px;
    current_y_ = py;
    gfx::Painter* p = painter();
    if (!p)
        return;
    gfx::Point at = to_device(px, py);
    if (draw_width_ > 1)
        p->draw_line(at, at, pen(ink));
    else
        p->set_pixel(at, ink, static_cast<gfx::RasterOp>(draw_mode_));
    drawn();
}

Long Surface::Point(float x, float y)
{
    gfx::Point at = to_device(x, y);
    return Long(pixel(at.x, at.y));
}

}  // namespace velmo::host
