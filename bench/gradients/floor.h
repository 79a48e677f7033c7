// The floor of the gradient benchmarks: a cairo image of the surface's client size, set up as the
// host surfaces draw (no anti-aliasing, copy pen), and the painter's primitives for each member
// drawn into it directly in pixels. Nothing but cairo's own work is left.
#pragma once

#include <cairo.h>

namespace velmo::bench {

class Floor {
public:
    Floor(int width, int height);
    ~Floor();
    Floor(const Floor&) = delete;
    Floor& operator=(const Floor&) = delete;

    // Band members on a picture box: 255 positions (127 twice for Gradient01).
    void gradient01_vertical();
    void gradient02();

    // Shaped members on the 255 x 255 user scale, pen width 5 (the zig-zag: 100 x 100, width 1).
    void box_gradient(double divisor);
    // RectGradient first sets the back colour, which clears the surface: one fill of it all.
    void fill_background(int r, int g, int b);
    void circle_gradient();
    void diag_gradient();
    void grafitti_zigzag();
    void horiz_gradient();
    void spin_gradient();

    // One preset of each family: x in pixels, y in 256ths of the height, pen width 2.
    void mid_black(double screen_width);
    void build();
    void black(double outer_width);
    void half_black(double outer_width);
    void black_down(double outer_width);

private:
    void color(int r, int g, int b);
    void stroke_line(double x1, double y1, double x2, double y2);
    void stroke_box(double x1, double y1, double x2, double y2);
    void fill_box(double x1, double y1, double x2, double y2);

    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

}  // namespace velmo::bench
