// Painter: draws lines, boxes and ellipses into a Bitmap with cairo, on the bitmap's own memory and
// without anti-aliasing, so every pixel is either the pen's colour or untouched.
//
// Coordinates are whole pixels relative to an origin, clipped to a rectangle of the bitmap (a
// window's client area inside the window's pixels, for example). A line runs between pixel
// centres and covers both end pixels; a box given by two corner pixels covers both of them.
// A pen wider than one pixel has round ends; InsideSolid keeps a box's or an ellipse's outline
// inside its bounds. Raster operations other than CopyPen combine the pen with what is there.
#pragma once

#include <optional>

#include "gfx/bitmap.h"
#include "gfx/pen.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace velmo::gfx {

struct Arc {
    double start = 0;  // radians, counter-clockwise from the positive x axis
    double end = 0;
};

class Painter {
public:
    explicit Painter(Bitmap& target);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    Bitmap& target() { return target_; }

    // Drawing coordinates (0, 0) fall on `origin` of the bitmap; nothing outside `clip` changes.
    void set_viewport(Point origin, Rect clip);

    // The box between two corner pixels, both included.
    void fill_box(Point a, Point b, Color color, RasterOp op = RasterOp::CopyPen);
    void draw_box(Point a, Point b, const Pen& pen);
    void draw_line(Point a, Point b, const Pen& pen);
    // Ellipse about the centre pixel with radii in pixels; an arc draws only that part.
    void draw_ellipse(Point centre, double radius_x, double radius_y, const Pen& pen, std::optional<Arc> arc = {});
    void set_pixel(Point p, Color color, RasterOp op = RasterOp::CopyPen);

private:
    enum class Paint { Fill, Stroke };
    void apply_pen(const Pen& pen);
    // Paints the current path: straight through cairo for CopyPen, through a coverage mask for
    // the other operations.
    void finish(Paint paint, Color color, RasterOp op);

    Bitmap& target_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    Point origin_;
    Rect clip_;
    bool viewport_set_ = false;
};

}  // namespace velmo::gfx
