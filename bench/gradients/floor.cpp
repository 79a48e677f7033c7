#include "floor.h"

#include <cmath>
#include <numbers>

#include "runtime/random.h"

namespace velmo::bench {

Floor::Floor(int width, int height)
    : width_(width)
    , height_(height)
    , surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height))
    , cr_(cairo_create(surface_))
{
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
}

Floor::~Floor()
{
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void Floor::color(int r, int g, int b) { cairo_set_source_rgb(cr_, r / 255.0, g / 255.0, b / 255.0); }

void Floor::stroke_line(double x1, double y1, double x2, double y2)
{
    cairo_move_to(cr_, std::round(x1) + 0.5, std::round(y1) + 0.5);
    cairo_line_to(cr_, std::round(x2) + 0.5, std::round(y2) + 0.5);
    cairo_stroke(cr_);
}

void Floor::stroke_box(double x1, double y1, double x2, double y2)
{
    double left = std::round(std::min(x1, x2));
    double top = std::round(std::min(y1, y2));
    double right = std::round(std::max(x1, x2)) + 1;
    double bottom = std::round(std::max(y1, y2)) + 1;
    cairo_rectangle(cr_, left + 0.5, top + 0.5, right - left - 1, bottom - top - 1);
    cairo_stroke(cr_);
}

void Floor::fill_box(double x1, double y1, double x2, double y2)
{
    double left = std::round(std::min(x1, x2));
    double top = std::round(std::min(y1, y2));
    double right = std::round(std::max(x1, x2)) + 1;
    double bottom = std::round(std::max(y1, y2)) + 1;
    cairo_rectangle(cr_, left, top, right - left, bottom - top);
    cairo_fill(cr_);
}

// Bands of round(width / 255) units on a scale of 255 such bands across the client width, so the
// boxes land on the same pixels as the painter's.
void Floor::gradient01_vertical()
{
    int band = static_cast<int>(std::lround(width_ / 255.0));
    double px = width_ / (255.0 * band);
    for (int i = 0; i <= 254; ++i) {
        int level = i <= 127 ? i : 254 - i;
        color(level, level, level);
        fill_box(i * band * px, 0, (i + 1) * band * px, height_);
        if (i == 127)
            fill_box(i * band * px, 0, (i + 1) * band * px, height_);
    }
}

void Floor::gradient02()
{
    int band = static_cast<int>(std::lround(width_ / 255.0));
    double px = width_ / (255.0 * band);
    for (int i = 0; i <= 254; ++i) {
        color(i, i, i);
        fill_box(i * band * px, 0, (i + 1) * band * px, height_);
    }
}

namespace {
void wide_pen(cairo_t* cr, double width)
{
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
}
}  // namespace

void Floor::box_gradient(double divisor)
{
    wide_pen(cr_, 5);
    double sx = width_ / 255.0;
    double sy = height_ / 255.0;
    for (int i = 255; i >= 0; --i) {
        double inset = i / divisor;
        color(i, 255 - i, 128);
        stroke_box(inset * sx, inset * sy, (255 - inset) * sx, (255 - inset) * sy);
    }
}

void Floor::fill_background(int r, int g, int b)
{
    color(r, g, b);
    cairo_paint(cr_);
}

void Floor::circle_gradient()
{
    wide_pen(cr_, 5);
    double sx = width_ / 255.0;
    for (int i = 0; i <= 255; ++i) {
        color(i, 255 - i, 128);
        cairo_save(cr_);
        cairo_translate(cr_, std::round(width_ / 2.0) + 0.5, std::round(height_ / 2.0) + 0.5);
        cairo_scale(cr_, std::max(0.5, i * sx), std::max(0.5, i * sx));
        cairo_arc(cr_, 0, 0, 1, 0, 2 * std::numbers::pi);
        cairo_restore(cr_);
        cairo_stroke(cr_);
    }
}

void Floor::diag_gradient()
{
    wide_pen(cr_, 5);
    double sx = width_ / 255.0;
    double sy = height_ / 255.0;
    for (int i = 0; i <= 255; ++i) {
        color(i, 0, 255 - i);
        stroke_line(0, i * sy, i * sx, 0);
    }
    for (int i = 255; i >= 0; --i) {
        color(i, 0, 255 - i);
        stroke_line((255 - i) * sx, 255 * sy, 255 * sx, (255 - i) * sy);
    }
}

void Floor::grafitti_zigzag()
{
    cairo_set_line_width(cr_, 1);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
    double sx = width_ / 100.0;
    double sy = height_ / 100.0;
    for (int i = 0; i <= 300; ++i) {
        float u1 = std::floor(host::Rnd() * 101.0f);
        float u2 = std::floor(host::Rnd() * 101.0f);
        float u3 = std::floor(host::Rnd() * 101.0f);
        float u4 = std::floor(host::Rnd() * 101.0f);
        float k = std::floor(host::Rnd() * 15.0f);
        color(static_cast<int>(k) * 17, 255 - static_cast<int>(k) * 17, 0);
        stroke_line(u1 * sx, u3 * sy, u2 * sx, u4 * sy);
        stroke_line(u1 * sx, u4 * sy, u2 * sx, u3 * sy);
        stroke_line(u2 * sx, u3 * sy, u1 * sx, u4 * sy);
        stroke_line(u3 * sx, u4 * sy, u1 * sx, u2 * sy);
    }
}

void Floor::horiz_gradient()
{
    wide_pen(cr_, 5);
    double sx = width_ / 255.0;
    for (int i = 0; i <= 255; ++i) {
        color(i, i, i);
        stroke_line(i * sx, 0, i * sx, height_);
    }
}

void Floor::spin_gradient()
{
    wide_pen(cr_, 5);
    double sx = width_ / 255.0;
    double sy = height_ / 255.0;
    for (int i = 0; i <= 255; ++i) {
        color(i, 0, 0);
        stroke_line(i * sx, 0, (255 - i) * sx, 255 * sy);
    }
    for (int i = 0; i <= 255; ++i) {
        color(255, i, 0);
        stroke_line(255 * sx, i * sy, 0, (255 - i) * sy);
    }
}

void Floor::mid_black(double screen_width)
{
    wide_pen(cr_, 2);
    double sy = height_ / 256.0;
    for (int n = 0; n <= 255; ++n) {
        color(255 - n, 255 - n, 255 - n);
        stroke_box(0, n * sy, screen_width, (255 - n) * sy);
    }
}

void Floor::build()
{
    double sy = height_ / 256.0;
    for (int n = 0; n <= 255; ++n) {
        color(255 - n, 255 - n, 255 - n);
        fill_box(n - 255, 255 * sy, n, (255 - n) * sy);
    }
}

void Floor::black(double outer_width)
{
    wide_pen(cr_, 2);
    double sy = height_ / 256.0;
    for (int n = 0; n <= 255; ++n) {
        color(255 - n, 255 - n, 255 - n);
        stroke_box(n - 255, 255 * sy, outer_width + n, n * sy);
    }
}

void Floor::half_black(double outer_width)
{
    wide_pen(cr_, 2);
    double sy = height_ / 256.0;
    for (int n = 0; n <= 255; ++n) {
        color(255 - n, 255 - n, 255 - n);
        stroke_box(255, (n - 255) * sy, n, (outer_width + n) * sy);
    }
}

void Floor::black_down(double outer_width)
{
    wide_pen(cr_, 2);
    double sy = height_ / 256.0;
    for (int n = 0; n <= 255; ++n) {
        color(255 - n, 255 - n, 255 - n);
        stroke_box(n, 255 * sy, outer_width + n, n * sy);
    }
}

}  // namespace velmo::bench
