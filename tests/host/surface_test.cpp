// Forms and picture boxes: units and scales, the Line flags, pens, AutoRedraw and the image,
// background colour and picture, and what a missing member answers.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>

#include "automation/late.h"
#include "host/do_events.h"
#include "host/form.h"
#include "host/picture_box.h"
#include "host/screen.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"
#include "support/temp_folder.h"
#include "support/velmo_error.h"

namespace velmo::host {
namespace {

using namespace velmo::platform;

constexpr int32_t white = 0xFFFFFF;
constexpr int32_t red = 0x0000FF;

class SurfaceTest : public velmo::testing::MemoryDisplayTest {
protected:
    // A picture box of that client size in pixel scale, white.
    static std::shared_ptr<PictureBox> pixel_box(int width, int height)
    {
        auto box = PictureBox::create(width, height);
        late::let(box, "ScaleMode", 3);
        return box;
    }

    static void expect_pixels(const Surface& s, const std::function<bool(int, int)>& painted, int32_t ink, const std::string& what)
    {
        for (int y = 0; y < s.client_height(); ++y)
            for (int x = 0; x < s.client_width(); ++x)
                ASSERT_EQ(s.pixel(x, y), painted(x, y) ? ink : white) << what << " at " << x << "," << y;
    }
};

TEST_F(SurfaceTest, FormsMeasureInTwips)
{
    auto form = Form::create(200, 100);
    ObjectRef f = form;
    EXPECT_EQ(form->client_width(), 200);
    EXPECT_EQ(form->client_height(), 100);
    // A sizable frame of 4 pixels and a caption of 20.
    EXPECT_EQ(late::get(f, "Width"), Variant(float(208 * 15)));
    EXPECT_EQ(late::get(f, "Height"), Variant(float(128 * 15)));
    EXPECT_EQ(late::get(f, "ScaleMode"), Variant(Integer(1)));
    EXPECT_EQ(late::get(f, "ScaleWidth"), Variant(3000.0f));
    EXPECT_EQ(late::get(f, "ScaleHeight"), Variant(1500.0f));

    late::let(f, "Width", 3000);  // 200 pixels outer
    EXPECT_EQ(form->client_width(), 192);
    EXPECT_EQ(late::get(f, "ScaleWidth"), Variant(float(192 * 15)));
    late::let(f, "Left", 1500);
    late::let(f, "Top", 300);
    RECT r;
    ASSERT_TRUE(GetWindowRect(form->window(), &r));
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(late::get(f, "Left"), Variant(1500.0f));

    late::let(f, "ScaleMode", 3);
    EXPECT_EQ(late::get(f, "ScaleWidth"), Variant(192.0f));
    EXPECT_EQ(late::get(f, "ScaleHeight"), Variant(100.0f));
}

TEST_F(SurfaceTest, PictureBoxesMeasureInTheirFormsUnits)
{
    auto box = PictureBox::create(50, 30);
    ObjectRef b = box;
    EXPECT_EQ(box->client_width(), 50);
    EXPECT_EQ(late::get(b, "Width"), Variant(float(54 * 15))) << "a two-pixel border each side, in the hidden form's twips";
    EXPECT_EQ(late::get(b, "ScaleWidth"), Variant(750.0f));
    late::let(box->parent(), "ScaleMode", 3);
    EXPECT_EQ(late::get(b, "Width"), Variant(54.0f));
    late::let(b, "Width", 64);
    EXPECT_EQ(box->client_width(), 60);
    late::let(b, "BorderStyle", 0);
    EXPECT_EQ(box->client_width(), 64) << "no border: the client fills the outer size";
    EXPECT_EQ(box->client_height(), 34);
    EXPECT_VELMO_ERROR(late::let(b, "BorderStyle", 2), 380, "Host");
}

TEST_F(SurfaceTest, UserScaleFromScaleWidthAndScaleHeight)
{
    auto box = pixel_box(200, 100);
    ObjectRef b = box;
    late::let(b, "ScaleWidth", 100);
    EXPECT_EQ(late::get(b, "ScaleMode"), Variant(Integer(0)));
    EXPECT_EQ(late::get(b, "ScaleHeight"), Variant(100.0f)) << "the other side keeps its span";
    late::let(b, "ScaleHeight", 50);
    // (10, 10) - (20, 20) units is (20, 20) - (40, 40) pixels.
    late::call(b, "Line", Integer(38), 10, 10, 20, 20, Long(red));
    expect_pixels(*box, [](int x, int y) { return x >= 20 && x <= 40 && y >= 20 && y <= 40; }, red, "user scale");
    EXPECT_VELMO_ERROR(late::let(b, "ScaleWidth", 0), 380, "Host");
    EXPECT_VELMO_ERROR(late::let(b, "ScaleMode", 9), 380, "Host");
    EXPECT_EQ(late::get(b, "ScaleWidth"), Variant(100.0f)) << "a refused value changes nothing";
}

TEST_F(SurfaceTest, ScaleXAndScaleYConvertBetweenUnits)
{
    auto box = pixel_box(200, 100);
    ObjectRef b = box;
    late::let(b, "ScaleWidth", 50);   // 4 pixels per unit across
    late::let(b, "ScaleHeight", 400); // 4 units per pixel down
    struct Case {
        const char* what;
        const char* member;
        double value;
        int from, to;
        double expected;
    };
    const Case cases[] = {
        { "twips to pixels", "ScaleX", 3000, 1, 3, 200 },
        { "pixels to twips", "ScaleY", 7, 3, 1, 105 },
        { "inches to points", "ScaleX", 1, 5, 2, 72 },
        { "centimetres to millimetres", "ScaleY", 2.5, 7, 6, 25 },
        { "characters across", "ScaleX", 1, 4, 1, 120 },
        { "characters down", "ScaleY", 1, 4, 1, 240 },
        { "himetric to twips", "ScaleX", 2540, 8, 1, 1440 },
        { "user across to pixels", "ScaleX", 10, 0, 3, 40 },
        { "user down to pixels", "ScaleY", 10, 0, 3, 2.5 },
        { "pixels to user across", "ScaleX", 8, 3, 0, 2 },
    };
    for (const auto& c : cases)
        EXPECT_NEAR(late::call(b, c.member, c.value, c.from, c.to).to_double(), c.expected, 1e-3) << c.what;
    // Omitted: from HIMETRIC, to the surface's own scale.
    EXPECT_NEAR(late::call(b, "ScaleX", 2540.0 * 15 / 1440).to_double(), 1 / 4.0, 1e-3);
    EXPECT_VELMO_ERROR(late::call(b, "ScaleX", 1, 9, 3), err::InvalidArgument, "Host");
}

TEST_F(SurfaceTest, LineFlags)
{
    struct Case {
        const char* what;
        int flags;
        double x1, y1, x2, y2;
        double start_x, start_y;  // CurrentX, CurrentY before the call
        std::function<bool(int, int)> painted;
        double end_x, end_y;
        bool color_given;
    };
    const Case cases[] = {
        { "6 line", 6, 1, 1, 6, 1, 0, 0, [](int x, int y) { return y == 1 && x >= 1 && x <= 6; }, 6, 1, true },
        { "22 box outline", 22, 1, 1, 6, 5, 0, 0,
            [](int x, int y) { return (x >= 1 && x <= 6 && (y == 1 || y == 5)) || (y >= 1 && y <= 5 && (x == 1 || x == 6)); }, 6, 5, true },
        { "38 filled box", 38, 6, 5, 1, 1, 0, 0, [](int x, int y) { return x >= 1 && x <= 6 && y >= 1 && y <= 5; }, 1, 1, true },
        { "42 filled box from the current point", 42, 0, 0, 3, 2, 2, 3, [](int x, int y) { return x >= 2 && x <= 5 && y >= 3 && y <= 5; }, 5, 5, true },
        { "2 line from the current point", 2, 0, 0, 3, 6, 3, 1, [](int x, int y) { return x == 3 && y >= 1 && y <= 6; }, 3, 6, true },
        { "14 relative second point", 14, 1, 2, 4, 0, 0, 0, [](int x, int y) { return y == 2 && x >= 1 && x <= 5; }, 5, 2, true },
        { "7 stepped first point", 7, 1, 1, 7, 2, 1, 1, [](int x, int y) { return y == 2 && x >= 2 && x <= 7; }, 7, 2, true },
        { "4 fore colour", 4, 0, 0, 0, 4, 0, 0, [](int x, int y) { return x == 0 && y <= 4; }, 0, 4, false },
    };
    for (const auto& c : cases) {
        auto box = pixel_box(9, 8);
        ObjectRef b = box;
        late::let(b, "ForeColor", Long(0x00FF00));
        late::let(b, "CurrentX", c.start_x);
        late::let(b, "CurrentY", c.start_y);
        late::call(b, "Line", Integer(int16_t(c.flags)), c.x1, c.y1, c.x2, c.y2, Long(red));
        expect_pixels(*box, c.painted, c.color_given ? red : 0x00FF00, c.what);
        EXPECT_EQ(late::get(b, "CurrentX").to_double(), c.end_x) << c.what;
        EXPECT_EQ(late::get(b, "CurrentY").to_double(), c.end_y) << c.what;
    }
}

TEST_F(SurfaceTest, NoAntiAliasingOnSlantedLinesAndCircles)
{
    auto box = pixel_box(40, 40);
    ObjectRef b = box;
    late::let(b, "DrawWidth", 3);
    late::call(b, "Line", Integer(6), 2, 3, 37, 29, Long(red));
    late::call(b, "Circle", Integer(2), 20, 20, 12, Long(red), Integer(0), Integer(0), Integer(0));
    int painted = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            int32_t p = box->pixel(x, y);
            ASSERT_TRUE(p == red || p == white) << x << "," << y << " is " << std::hex << p;
            painted += p == red;
        }
    }
    EXPECT_GT(painted, 100);
}

TEST_F(SurfaceTest, PenWidthAndInsideSolid)
{
    // A 3-pixel pen on a box outline: solid spills one pixel outside, inside-solid keeps within.
    for (int style : { 0, 6 }) {
        auto box = pixel_box(20, 20);
        ObjectRef b = box;
        late::let(b, "DrawWidth", 3);
        late::let(b, "DrawStyle", style);
        late::call(b, "Line", Integer(22), 5, 5, 14, 14, Long(red));
        int spill = style == 0 ? 1 : 0;
        expect_pixels(*box, [&](int x, int y) {
            int lo = 5 - spill, hi = 14 + spill;
            bool in_outer = x >= lo && x <= hi && y >= lo && y <= hi;
            bool in_hole = x >= lo + 3 && x <= hi - 3 && y >= lo + 3 && y <= hi - 3;
            return in_outer && !in_hole;
        }, red, "style " + std::to_string(style));
    }
    auto box = pixel_box(10, 10);
    EXPECT_VELMO_ERROR(late::let(box, "DrawWidth", 0), 380, "Host");
    EXPECT_VELMO_ERROR(late::let(box, "DrawStyle", 7), 380, "Host");
    EXPECT_VELMO_ERROR(late::let(box, "DrawMode", 17), 380, "Host");
}

TEST_F(SurfaceTest, CircleRadiusIsMeasuredAcross)
{
    auto box = pixel_box(200, 100);
    ObjectRef b = box;
    late::let(b, "ScaleWidth", 100);  // 2 pixels per unit across
    late::let(b, "ScaleHeight", 25);  // 4 pixels per unit down
    late::call(b, "Circle", Integer(2), 50, 12.5, 20, Long(red), Integer(0), Integer(0), Integer(0));
    // Centre (100, 50); radius 20 units across = 40 pixels both ways: a round circle.
    for (auto [x, y] : { std::pair { 140, 50 }, { 60, 50 }, { 100, 10 }, { 100, 90 } })
        EXPECT_EQ(box->pixel(x, y), red) << x << "," << y;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            double d = std::hypot(x - 100, y - 50);
            if (std::abs(d - 40) > 1.5) {
                ASSERT_EQ(box->pixel(x, y), white) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(late::get(b, "CurrentX").to_double(), 50);
}

TEST_F(SurfaceTest, DrawModeCombinesPenAndPixels)
{
    struct Case {
        int mode;
        int32_t on_white, on_red;
    };
    // Pen colour red (0x0000FF).
    const Case cases[] = {
        { 13, red, red },        // copy pen
        { 6, 0x000000, 0xFFFF00 },   // invert
        { 7, 0xFFFF00, 0x000000 },   // xor pen
        { 9, red, red },             // mask pen (and)
        { 1, 0x000000, 0x000000 },   // black
        { 11, white, red },          // nop
    };
    for (const auto& c : cases) {
        auto box = pixel_box(4, 2);
        ObjectRef b = box;
        late::call(b, "Line", Integer(38), 0, 1, 3, 1, Long(red));
        late::let(b, "DrawMode", c.mode);
        late::call(b, "Line", Integer(38), 0, 0, 3, 1, Long(red));
        EXPECT_EQ(box->pixel(1, 0), c.on_white) << c.mode;
        EXPECT_EQ(box->pixel(1, 1), c.on_red) << c.mode;
    }
}

TEST_F(SurfaceTest, AutoRedrawDrawsIntoThePersistentImage)
{
    auto box = pixel_box(30, 20);
    ObjectRef b = box;
    late::let(b, "AutoRedraw", True);
    late::call(b, "Line", Integer(38), 0, 0, 9, 9, Long(red));
    EXPECT_EQ(box->pixel(5, 5), red);

    // The window shows it once painted.
    ScopedWindowDC client(GetDC(box->window()), box->window());
    EXPECT_EQ(int32_t(GetPixel(client.get(), 5, 5)), white);
    DoEvents();
    EXPECT_EQ(int32_t(GetPixel(client.get(), 5, 5)), red);

    // hdc is the image's memory context; Image.Handle its bitmap.
    auto hdc = static_cast<HDC>(late::get(b, "hDC").to_long().value());
    EXPECT_NE(hdc, client.get());
    EXPECT_EQ(int32_t(GetPixel(hdc, 9, 9)), red);
    ObjectRef image = late::get(b, "Image").to_object();
    auto handle = static_cast<HBITMAP>(late::get(image, "Handle").to_long().value());
    BITMAP record {};
    ASSERT_EQ(GetObjectA(handle, sizeof record, &record), 24);
    EXPECT_EQ(record.bmWidth, 30);
    EXPECT_EQ(record.bmHeight, 20);
    EXPECT_EQ(GetCurrentObject(hdc, OBJ_BITMAP), handle);

    late::call(b, "Line", Integer(38), 20, 0, 29, 9, Long(red));
    late::call(b, "Refresh");
    EXPECT_EQ(int32_t(GetPixel(client.get(), 25, 5)), red);
}

TEST_F(SurfaceTest, WithoutAutoRedrawDrawingGoesToTheWindowAndRefreshErasesIt)
{
    auto box = pixel_box(30, 20);
    ObjectRef b = box;
    auto hdc = static_cast<HDC>(late::get(b, "hDC").to_long().value());
    late::call(b, "Line", Integer(38), 0, 0, 9, 9, Long(red));
    EXPECT_EQ(int32_t(GetPixel(hdc, 5, 5)), red);
    EXPECT_EQ(box->pixel(5, 5), red);
    late::call(b, "Refresh");
    EXPECT_EQ(box->pixel(5, 5), white);
}

TEST_F(SurfaceTest, BackColorClearsAndClsResetsThePoint)
{
    for (bool redraw : { false, true }) {
        auto box = pixel_box(12, 6);
        ObjectRef b = box;
        late::let(b, "AutoRedraw", Boolean::from(redraw));
        late::call(b, "Line", Integer(38), 0, 0, 3, 3, Long(0));
        late::let(b, "BackColor", Long(red));
        expect_pixels(*box, [](int, int) { return true; }, red, "back colour");
        late::call(b, "Line", Integer(38), 0, 0, 3, 3, Long(0));
        late::call(b, "Cls");
        expect_pixels(*box, [](int, int) { return true; }, red, "cls");
        EXPECT_EQ(late::get(b, "CurrentX").to_double(), 0);
        EXPECT_EQ(late::get(b, "BackColor"), Variant(Long(red)));
    }
}

TEST_F(SurfaceTest, MissingMembersAnswer438)
{
    auto box = pixel_box(4, 4);
    auto form = Form::create(4, 4);
    EXPECT_VELMO_ERROR(late::get(box, "WindowState"), err::MemberNotSupported, "Host");
    EXPECT_VELMO_ERROR(late::let(box, "Caption", "x"), err::MemberNotSupported, "Host");
    EXPECT_VELMO_ERROR(late::let(form, "AutoSize", True), err::MemberNotSupported, "Host");
    EXPECT_EQ(late::get(form, "WindowState"), Variant(Integer(0)));
}

TEST_F(SurfaceTest, FormsOnTheScreen)
{
    auto form = Form::create(40, 30);
    ObjectRef f = form;
    late::let(f, "BackColor", Long(red));
    late::let(f, "Caption", "Hello");
    EXPECT_EQ(late::get(f, "Caption"), Variant("Hello"));
    ScopedWindowDC screen(GetDC(0), 0);
    POINT origin {};
    ClientToScreen(form->window(), &origin);
    EXPECT_NE(int32_t(GetPixel(screen.get(), origin.x, origin.y)), red) << "a new form is hidden";
    late::call(f, "Show");
    EXPECT_EQ(late::get(f, "Visible"), Variant(True));
    EXPECT_EQ(GetForegroundWindow(), form->window());
    EXPECT_EQ(int32_t(GetPixel(screen.get(), origin.x, origin.y)), red);
    late::let(f, "WindowState", 1);
    EXPECT_EQ(late::get(f, "WindowState"), Variant(Integer(1)));
    EXPECT_NE(int32_t(GetPixel(screen.get(), origin.x, origin.y)), red) << "minimised";
    late::let(f, "WindowState", 0);
    EXPECT_EQ(int32_t(GetPixel(screen.get(), origin.x, origin.y)), red);

    late::let(f, "BorderStyle", 0);
    EXPECT_EQ(form->client_width(), 48) << "no frame: the client fills the window";
    RECT r;
    GetWindowRect(form->window(), &r);
    EXPECT_EQ(int32_t(GetPixel(screen.get(), r.left, r.top)), red);

    // A picture box on the form shows through the form's own context and on the screen.
    auto box = PictureBox::create(10, 10, form);
    late::let(box, "BackColor", Long(0x00FF00));
    late::let(box, "Left", 150);  // twips of the form: 10 pixels
    ScopedWindowDC client(GetDC(form->window()), form->window());
    EXPECT_EQ(GetPixel(client.get(), 10 + 2, 2), 0x00FF00u);
    EXPECT_EQ(GetPixel(screen.get(), r.left + 12, r.top + 2), 0x00FF00u);
    EXPECT_EQ(form->pixel(12, 2), 0x00FF00);
}

TEST_F(SurfaceTest, ScreenObject)
{
    ObjectRef s = screen();
    EXPECT_EQ(late::get(s, "Width"), Variant(1280.0f * 15));
    EXPECT_EQ(late::get(s, "Height"), Variant(800.0f * 15));
    EXPECT_EQ(late::get(s, "TwipsPerPixelX"), Variant(15.0f));
    EXPECT_EQ(late::get(s, "TwipsPerPixelY"), Variant(15.0f));
    reset_display({ { 640, 480 } });
    EXPECT_EQ(late::get(s, "Width"), Variant(640.0f * 15));
}

TEST_F(SurfaceTest, WritePngWritesTheClientAreaAsShown)
{
    auto box = pixel_box(7, 5);
    ObjectRef b = box;
    late::let(b, "AutoRedraw", True);
    late::call(b, "Line", Integer(38), 2, 1, 4, 3, Long(0x336699));
    velmo::testing::TempFolder folder("velmo-surface");
    auto path = folder / "shown.png";
    box->write_png(path);
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(png), 7);
    ASSERT_EQ(cairo_image_surface_get_height(png), 5);
    const unsigned char* data = cairo_image_surface_get_data(png);
    int stride = cairo_image_surface_get_stride(png);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            uint32_t word = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF;
            int32_t color = int32_t(((word >> 16) & 0xFF) | (word & 0xFF00) | ((word & 0xFF) << 16));
            ASSERT_EQ(color, box->pixel(x, y)) << x << "," << y;
        }
    }
    cairo_surface_destroy(png);
    EXPECT_VELMO_ERROR(box->write_png("/nonexistent-folder/x.png"), err::PathFileAccess, "");
}

TEST_F(SurfaceTest, ResizingKeepsTheImage)
{
    auto box = pixel_box(10, 10);
    ObjectRef b = box;
    late::let(b, "AutoRedraw", True);
    late::let(b, "BackColor", Long(0x00FF00));
    late::call(b, "Line", Integer(38), 0, 0, 4, 4, Long(red));
    late::let(box->parent(), "ScaleMode", 3);
    late::let(b, "Width", 24);
    late::let(b, "Height", 24);
    EXPECT_EQ(box->client_width(), 20);
    EXPECT_EQ(late::get(b, "ScaleWidth"), Variant(20.0f)) << "pixel scale follows the size";
    EXPECT_EQ(box->pixel(2, 2), red);
    EXPECT_EQ(box->pixel(15, 15), 0x00FF00) << "new area in the back colour";
}

TEST_F(SurfaceTest, AReplacedDisplayLeavesSurfacesHarmless)
{
    auto box = pixel_box(10, 10);
    ObjectRef b = box;
    reset_display();
    late::call(b, "Line", Integer(38), 0, 0, 4, 4, Long(red));
    late::call(b, "Circle", Integer(2), 5, 5, 3, Long(red), Integer(0), Integer(0), Integer(0));
    late::call(b, "Refresh");
    late::let(b, "AutoRedraw", True);
    late::call(b, "Cls");
    EXPECT_EQ(box->pixel(1, 1), -1);
    EXPECT_EQ(box->client_width(), 0);
}

}  // namespace
}  // namespace velmo::host
