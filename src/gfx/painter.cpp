#include "gfx/painter.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmo::gfx {

namespace {

void set_source(cairo_t* cr, Color color)
{
    cairo_set_source_rgb(cr, color.red() / 255.0, color.green() / 255.0, color.blue() / 255.0);
}

// Dash patterns in pen widths, as a cosmetic pen of the host draws them.
void set_dashes(cairo_t* cr, LineStyle style, double width)
{
    auto pattern = [&](std::initializer_list<double> units) {
        double dashes[6];
        int n = 0;
        for (double u : units)
            dashes[n++] = u * width;
        cairo_set_dash(cr, dashes, n, 0);
    };
    switch (style) {
    case LineStyle::Dash: pattern({ 18, 6 }); break;
    case LineStyle::Dot: pattern({ 3, 3 }); break;
    case LineStyle::DashDot: pattern({ 9, 6, 3, 6 }); break;
    case LineStyle::DashDotDot: pattern({ 9, 3, 3, 3, 3, 3 }); break;
    default: cairo_set_dash(cr, nullptr, 0, 0); break;
    }
}

}  // namespace

Painter::Painter(Bitmap& target)
    : target_(target)
    , clip_(target.rect())
{
    if (target.size().is_empty())
        return;
    surface_ = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(target.pixels().data()),
        CAIRO_FORMAT_RGB24, target.width(), target.height(), target.stride_bytes());
    cr_ = cairo_create(surface_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
}

Painter::~Painter()
{
    if (cr_)
        cairo_destroy(cr_);
    if (surface_)
        cairo_surface_destroy(surface_);
}

void Painter::set_viewport(Point origin, Rect clip)
{
    clip = clip.intersected(target_.rect());
    if (origin == origin_ && clip == clip_ && viewport_set_)
        return;
    origin_ = origin;
    clip_ = clip;
    viewport_set_ = true;
    if (!cr_)
        return;
    cairo_reset_clip(cr_);
    cairo_identity_matrix(cr_);
    cairo_rectangle(cr_, clip_.x, clip_.y, clip_.width, clip_.height);
    cairo_clip(cr_);
    cairo_translate(cr_, origin.x, origin.y);
}

void Painter::apply_pen(const Pen& pen)
{
    double width = std::max(1, pen.width);
    cairo_set_line_width(cr_, width);
    bool thin = pen.width <= 1;
    cairo_set_line_cap(cr_, thin ? CAIRO_LINE_CAP_SQUARE : CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr_, thin ? CAIRO_LINE_JOIN_MITER : CAIRO_LINE_JOIN_ROUND);
    set_dashes(cr_, pen.style, width);
}

void Painter::finish(Paint paint, Color color, RasterOp op)
{
    if (op == RasterOp::CopyPen || op == RasterOp::Nop) {
        if (op == RasterOp::Nop) {
            cairo_new_path(cr_);
            return;
        }
        set_source(cr_, color);
        paint == Paint::Fill ? cairo_fill(cr_) : cairo_stroke(cr_);
        return;
    }

    // Rasterise the coverage into a mask of the clip rectangle, then combine pixel by pixel.
    if (clip_.is_empty()) {
        cairo_new_path(cr_);
        return;
    }
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, clip_.width, clip_.height);
    cairo_t* m = cairo_create(mask);
    cairo_set_antialias(m, CAIRO_ANTIALIAS_NONE);
    cairo_translate(m, origin_.x - clip_.x, origin_.y - clip_.y);
    cairo_path_t* path = cairo_copy_path(cr_);
    cairo_new_path(cr_);
    cairo_append_path(m, path);
    cairo_path_destroy(path);
    cairo_set_line_width(m, cairo_get_line_width(cr_));
    cairo_set_line_cap(m, cairo_get_line_cap(cr_));
    cairo_set_line_join(m, cairo_get_line_join(cr_));
    int dash_count = cairo_get_dash_count(cr_);
    if (dash_count > 0) {
        double dashes[8];
        double offset = 0;
        cairo_get_dash(cr_, dashes, &offset);
        cairo_set_dash(m, dashes, dash_count, offset);
    }
    cairo_set_source_rgba(m, 0, 0, 0, 1);
    paint == Paint::Fill ? cairo_fill(m) : cairo_stroke(m);
    cairo_destroy(m);
    cairo_surface_flush(mask);
    cairo_surface_flush(surface_);

    const unsigned char* coverage = cairo_image_surface_get_data(mask);
    int mask_stride = cairo_image_surface_get_stride(mask);
    uint32_t pen = color.to_pixel();
    for (int y = 0; y < clip_.height; ++y) {
        uint32_t* row = target_.scanline(clip_.y + y) + clip_.x;
        const unsigned char* covered = coverage + static_cast<ptrdiff_t>(y) * mask_stride;
        for (int x = 0; x < clip_.width; ++x) {
            if (covered[x] >= 128)
                row[x] = apply(op, pen, row[x]) & 0x00FFFFFF;
        }
    }
    cairo_surface_destroy(mask);
    cairo_surface_mark_dirty(surface_);
}

void Painter::fill_box(Point a, Point b, Color color, RasterOp op)
{
    if (!cr_)
        return;
    int left = std::min(a.x, b.x);
    int top = std::min(a.y, b.y);
    int right = std::max(a.x, b.x) + 1;
    int bottom = std::max(a.y, b.y) + 1;
    cairo_rectangle(cr_, left, top, double(right) - left, double(bottom) - top);
    finish(Paint::Fill, color, op);
}

void Painter::draw_box(Point a, Point b, const Pen& pen)
{
    if (!cr_ || pen.style == LineStyle::Transparent)
        return;
    apply_pen(pen);
    double left = std::min(a.x, b.x);
    double top = std::min(a.y, b.y);
    double right = std::max(a.x, b.x) + 1.0;
    double bottom = std::max(a.y, b.y) + 1.0;
    double width = std::max(1, pen.width);
    // The outline runs through the edge pixels' centres; inside-solid moves it in so that its
    // outer edge lies on the box's outer edge.
    double inset = pen.style == LineStyle::InsideSolid ? width / 2 : 0.5;
    if (pen.width > 1)
        cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    if (right - left <= 2 * inset || bottom - top <= 2 * inset) {
        // Too small for a hole: the pen covers the whole box.
        cairo_rectangle(cr_, left, top, right - left, bottom - top);
        finish(Paint::Fill, pen.color, pen.op);
        return;
    }
    cairo_rectangle(cr_, left + inset, top + inset, right - left - 2 * inset, bottom - top - 2 * inset);
    finish(Paint::Stroke, pen.color, pen.op);
}

void Painter::draw_line(Point a, Point b, const Pen& pen)
{
    if (!cr_ || pen.style == LineStyle::Transparent)
        return;
    apply_pen(pen);
    if (a == b && pen.width > 1) {
        // A round dot of the pen's width.
        cairo_arc(cr_, a.x + 0.5, a.y + 0.5, pen.width / 2.0, 0, 2 * std::numbers::pi);
        finish(Paint::Fill, pen.color, pen.op);
        return;
    }
    if (a == b) {
        fill_box(a, a, pen.color, pen.op);
        return;
    }
    cairo_move_to(cr_, a.x + 0.5, a.y + 0.5);
    cairo_line_to(cr_, b.x + 0.5, b.y + 0.5);
    finish(Paint::Stroke, pen.color, pen.op);
}

void Painter::draw_ellipse(Point centre, double radius_x, double radius_y, const Pen& pen, std::optional<Arc> arc)
{
    if (!cr_ || pen.style == LineStyle::Transparent)
        return;
    radius_x = std::abs(radius_x);
    radius_y = std::abs(radius_y);
    double width = std::max(1, pen.width);
    if (pen.style == LineStyle::InsideSolid) {
        radius_x = std::max(0.0, radius_x - (width - 1) / 2);
        radius_y = std::max(0.0, radius_y - (width - 1) / 2);
    }
    apply_pen(pen);
    if (radius_x < 0.5 || radius_y < 0.5) {
        draw_line(centre, centre, pen);
        return;
    }
    cairo_save(cr_);
    cairo_translate(cr_, centre.x + 0.5, centre.y + 0.5);
    cairo_scale(cr_, radius_x, radius_y);
    // Screen y grows downwards, so counter-clockwise angles run the other way in cairo.
    if (arc)
        cairo_arc_negative(cr_, 0, 0, 1, -arc->start, -arc->end);
    else
        cairo_arc(cr_, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(cr_);
    finish(Paint::Stroke, pen.color, pen.op);
}

void Painter::set_pixel(Point p, Color color, RasterOp op)
{
    Point at = p.translated(origin_);
    if (!clip_.contains(at))
        return;
    cairo_surface_flush(surface_);
    uint32_t& word = target_.scanline(at.y)[at.x];
    word = apply(op, color.to_pixel(), word) & 0x00FFFFFF;
    cairo_surface_mark_dirty(surface_);
}

}  // namespace velmo::gfx
