// Surface: what forms and picture boxes share: a window of the display, a scale that maps the
// host's units onto its client pixels, a pen, and the persistent image that AutoRedraw draws into.
// Form and PictureBox each declare their own member table over these members.
//
// The members live in one file per concern: surface.cpp (window, member table, mouse events),
// surface_scale.cpp, surface_image.cpp (AutoRedraw image, Refresh, Cls, Picture),
// surface_drawing.cpp (pen, Line, Circle, PSet, Point) and surface_pixels.cpp (pixels, PNG).
//
// Drawing lands in the persistent image when AutoRedraw is on (and reaches the window when it is
// painted: Refresh, or the next DoEvents), otherwise straight in the window's client area.
// Line and Circle rasterise with cairo on the pixels themselves, without anti-aliasing.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "automation/event_source.h"
#include "automation/object.h"
#include "gfx/painter.h"
#include "host/scale.h"
#include "platform/picture.h"
#include "platform/scoped.h"
#include "platform/types.h"

namespace velmo::host {

class Surface : public Object {
public:
    ~Surface() override;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    /// ---- For tests and commands ---------------------------------------------------------------
    platform::HWND window() const { return window_; }
    int client_width() const;
    int client_height() const;
    gfx::Size client_size() const { return { client_width(), client_height() }; }
    /// The colour Long (red + 256 * green + 65536 * blue) of a client pixel as shown: the
    /// persistent image's when AutoRedraw is on. -1 outside the client area.
    int32_t pixel(int x, int y) const;
    /// Writes the client area, as pixel() sees it, as a PNG; raises 75 when the file cannot be written.
    void write_png(const std::filesystem::path& path) const;

    /// The scale, for the controls placed on this surface: units per client pixel, and the client
    /// pixel (fractional) of a position in units.
    double units_per_pixel_x() const;
    double units_per_pixel_y() const;
    double pixels_from_x_units(double units) const;
    double pixels_from_y_units(double units) const;

    /// The host program's event sink: MouseDown, MouseMove, MouseUp (Button, Shift, X, Y, by
    /// reference; X and Y in the surface's scale) and Click, raised by name.
    void connect_events(ObjectRef sink) { events_.connect(std::move(sink)); }
    void disconnect_events(const ObjectRef& sink) { events_.disconnect(sink); }
    EventSource* events() override { return &events_; }

    /// ---- Members ------------------------------------------------------------------------------
    Integer get_ScaleMode();
    void let_ScaleMode(Integer mode);
    float get_ScaleWidth();
    void let_ScaleWidth(float value);
    float get_ScaleHeight();
    void let_ScaleHeight(float value);
    float get_ScaleLeft();
    void let_ScaleLeft(float value);
    float get_ScaleTop();
    void let_ScaleTop(float value);
    float ScaleX(float value, Variant from, Variant to);
    float ScaleY(float value, Variant from, Variant to);

    /// Outer size and place, in the container's units (twips of the screen for a form).
    virtual float get_Width() = 0;
    virtual void let_Width(float value) = 0;
    virtual float get_Height() = 0;
    virtual void let_Height(float value) = 0;
    virtual float get_Left() = 0;
    virtual void let_Left(float value) = 0;
    virtual float get_Top() = 0;
    virtual void let_Top(float value) = 0;

    Boolean get_AutoRedraw();
    void let_AutoRedraw(Boolean value);
    Integer get_DrawMode();
    void let_DrawMode(Integer value);
    Integer get_DrawStyle();
    void let_DrawStyle(Integer value);
    Integer get_DrawWidth();
    void let_DrawWidth(Integer value);
    Long get_BackColor();
    void let_BackColor(Long value);
    Long get_ForeColor();
    void let_ForeColor(Long value);
    float get_CurrentX();
    void let_CurrentX(float value);
    float get_CurrentY();
    void let_CurrentY(float value);
    Boolean get_Visible();
    void let_Visible(Boolean value);
    Integer get_BorderStyle();
    virtual void let_BorderStyle(Integer value) = 0;

    Long get_hWnd();
    Long get_hDC();
    ObjectRef get_Image();
    ObjectRef get_Picture();
    void set_Picture(ObjectRef picture);
    void let_Picture(Variant picture);

    void Refresh();
    void Cls();
    void Line(Integer flags, float x1, float y1, float x2, float y2, Long color);
    void Circle(Integer flags, float x, float y, float radius, Long color, float start, float end, float aspect);
    void PSet(Integer flags, float x, float y, Long color);
    Long Point(float x, float y);

protected:
    Surface() = default;
    /// The members every surface answers; each class's table starts with these.
    static std::vector<Member> shared_members();
    /// The events every surface raises.
    static std::vector<Member> mouse_events();
    /// Takes the window made for this surface; gives it a paint handler.
    void attach(platform::HWND window, gfx::Color back_color);

    /// The client area changed size: keep the persistent image and the scale in step.
    void client_resized();
    /// Paints the background (back colour, then picture) over the client area and the image.
    void repaint_background();
    std::shared_ptr<platform::Picture> picture() const { return picture_; }
    virtual void picture_changed() { }

    platform::HWND window_ = 0;
    Integer border_style_ = 0;

private:
    struct Image {
        platform::ScopedMemoryDC dc;
        platform::ScopedGdiObject bitmap;
        std::optional<platform::ScopedSelection> selection;
        std::shared_ptr<platform::Picture> picture;  // borrows the bitmap
    };

    void mouse_message(platform::UINT message, uint32_t wparam, int32_t lparam);

    Image& image();  // made on first use, the size of the client area
    void paint_background_into(platform::HDC dc);
    void present();  // the image onto the window
    platform::HDC drawing_dc();
    /// The painter for the current drawing target, its viewport set; nullptr when there is none.
    gfx::Painter* painter();
    void drawn();

    gfx::Pen pen(gfx::Color color) const;
    gfx::Color color_of(Long value) const;
    gfx::Point to_device(double x, double y) const;

    std::optional<Image> image_;
    std::unique_ptr<gfx::Painter> painter_;
    const void* painter_memory_ = nullptr;
    gfx::Size painter_size_;
    bool on_screen_ = false;

    Scale scale_;
    bool auto_redraw_ = false;
    gfx::Color back_color_ { 255, 255, 255 };
    gfx::Color fore_color_ { 0, 0, 0 };
    Long back_color_value_ = 0xFFFFFF;
    Long fore_color_value_ = 0;
    int16_t draw_mode_ = 13;
    int16_t draw_style_ = 0;
    int16_t draw_width_ = 1;
    double current_x_ = 0;
    double current_y_ = 0;
    std::shared_ptr<platform::Picture> picture_;
    EventSource events_;
    int16_t pressed_ = 0;  // buttons pressed on this surface and not yet released (1, 2, 4)
};

}  // namespace velmo::host
