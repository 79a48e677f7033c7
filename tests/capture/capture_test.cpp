// The capture members on the memory display: which context and rectangle each one copies, the size
// arithmetic, the palette on a palette display, what a member does when the host object or the
// platform fails, and who owns the picture's handles.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "automation/dynamic_object.h"
#include "automation/late.h"
#include "capture/image_capture.h"
#include "platform/display.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"
#include "support/picture_pixels.h"

namespace velmo::capture {
namespace {

using namespace velmo::platform;
using testing::is_live;
using testing::picture_pixels;
using testing::same_pixels;

Long handle_value(HANDLE h) { return Long(static_cast<int32_t>(h)); }

// A visible top-level window with a frame and caption, its client area one colour.
HWND show_window(gfx::Rect rect, gfx::Color background = { 10, 200, 30 })
{
    WindowDesc desc;
    desc.rect = rect;
    desc.style = WindowStyle::sizable();
    desc.background = background;
    desc.visible = true;
    return create_window(desc);
}

const gfx::Bitmap& window_pixels(HWND window) { return find_window(window)->pixels; }

// The composed screen, as the screen's context reads it.
gfx::Bitmap screen_pixels()
{
    ScopedWindowDC screen(GetDC(0), 0);
    return *reading_source(screen.get())->bitmap;
}

// Calls a member by name with the given values, as a late-bound client does.
ObjectRef call(const ObjectRef& capture, std::string_view member, std::vector<Variant> args = {})
{
    std::vector<Variant*> refs;
    for (auto& a : args)
        refs.push_back(&a);
    return late::invoke(capture, member, Invoke::Call, refs).to_object();
}

class Capture : public velmo::testing::MemoryDisplayTest {
protected:
    Capture()
        : MemoryDisplayTest({ { 320, 240 }, 32 })
    {
    }
    std::shared_ptr<clsKxLumoImageCaptureA> capture = std::make_shared<clsKxLumoImageCaptureA>();
};

TEST_F(Capture, ClientFlagChoosesTheClientAreaForAnyNonZeroValue)
{
    HWND window = show_window({ 20, 10, 120, 90 });
    gfx::Rect client = find_window(window)->client_rect();
    struct Case {
        const char* name;
        Variant client;
        bool client_area;
    };
    const Case cases[] = {
        { "True", True, true },
        { "Boolean 1", Boolean { 1 }, true },
        { "Long 1", Long(1), true },
        { "False", False, false },
        { "Long 0", Long(0), false },
    };
    for (const auto& c : cases) {
        ObjectRef picture = call(capture, "CaptureWindow", { handle_value(window), c.client, 3, 4, 50, 40 });
        const gfx::Bitmap* pixels = picture_pixels(picture);
        ASSERT_NE(pixels, nullptr) << c.name;
        gfx::Point origin = c.client_area ? client.location() : gfx::Point {};
        EXPECT_TRUE(same_pixels(*pixels, window_pixels(window), gfx::Rect { origin.x + 3, origin.y + 4, 50, 40 })) << c.name;
    }
}

TEST_F(Capture, HandleZeroCopiesFromTheScreen)
{
    show_window({ 20, 10, 120, 90 });
    show_window({ 90, 60, 100, 100 }, { 200, 0, 0 });
    gfx::Bitmap screen = screen_pixels();
    for (Boolean client : { False, True }) {
        ObjectRef picture = capture->CaptureWindow(0, client, 50, 40, 100, 80);
        ASSERT_NE(picture_pixels(picture), nullptr);
        EXPECT_TRUE(same_pixels(*picture_pixels(picture), screen, { 50, 40, 100, 80 })) << "client " << client.raw;
    }
}

TEST_F(Capture, AreaOutsideTheSourceStaysBlack)
{
    HWND window = show_window({ 20, 10, 60, 50 }, { 255, 255, 255 });
    ObjectRef picture = capture->CaptureWindow(handle_value(window), False, 40, 30, 40, 30);
    const gfx::Bitmap* pixels = picture_pixels(picture);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels->pixel(0, 0), window_pixels(window).pixel(40, 30));
    EXPECT_EQ(pixels->pixel(39, 29), gfx::Color {}) << "beyond the window's right and bottom edges";
}

TEST_F(Capture, PaletteOnlyOnAPaletteDisplay)
{
    struct Case {
        int bits_per_pixel;
        bool palette;
    };
    for (Case c : { Case { 8, true }, Case { 32, false } }) {
        reset_display({ { 64, 48 }, c.bits_per_pixel });
        ObjectRef picture = clsKxLumoImageCaptureA().CaptureWindow(0, False, 0, 0, 16, 16);
        auto held = testing::as_picture(picture);
        ASSERT_TRUE(held) << c.bits_per_pixel;
        EXPECT_TRUE(is_live(held->bitmap()));
        if (!c.palette) {
            EXPECT_EQ(held->palette(), 0u) << c.bits_per_pixel;
            continue;
        }
        std::array<PALETTEENTRY, 256> system {}, carried {};
        ScopedWindowDC screen(GetDC(0), 0);
        ASSERT_EQ(GetSystemPaletteEntries(screen.get(), 0, 256, system.data()), 256u);
        ASSERT_EQ(GetPaletteEntries(held->palette(), 0, 256, carried.data()), 256u);
        for (size_t i = 0; i < 256; ++i) {
            EXPECT_EQ(carried[i].peRed, system[i].peRed) << i;
            EXPECT_EQ(carried[i].peGreen, system[i].peGreen) << i;
            EXPECT_EQ(carried[i].peBlue, system[i].peBlue) << i;
        }
    }
}

TEST_F(Capture, ReleasingThePictureFreesBitmapAndPalette)
{
    reset_display({ { 64, 48 }, 8 });
    ObjectRef picture = capture->CaptureScreen();
    auto held = testing::as_picture(picture);
    ASSERT_TRUE(held);
    HBITMAP bitmap = held->bitmap();
    HPALETTE palette = held->palette();
    ASSERT_TRUE(is_live(bitmap));
    ASSERT_TRUE(is_live(palette));
    held.reset();
    picture.reset();
    EXPECT_FALSE(is_live(bitmap)) << "the capture left the bitmap selected, or nobody deleted it";
    EXPECT_FALSE(is_live(palette)) << "the capture left the palette selected, or nobody deleted it";
}

TEST_F(Capture, TwoCapturesAreIndependent)
{
    HWND window = show_window({ 0, 0, 80, 60 }, { 0, 0, 255 });
    ObjectRef first = capture->CaptureWindow(handle_value(window), True, 0, 0, 20, 20);
    {
        ScopedWindowDC dc(GetDC(window), window);
        SetPixel(dc.get(), 5, 5, 0x0000FF);  // red
    }
    ObjectRef second = capture->CaptureWindow(handle_value(window), True, 0, 0, 20, 20);
    ASSERT_NE(picture_pixels(first), nullptr);
    ASSERT_NE(picture_pixels(second), nullptr);
    EXPECT_NE(testing::as_picture(first)->bitmap(), testing::as_picture(second)->bitmap());
    EXPECT_EQ(picture_pixels(first)->pixel(5, 5), (gfx::Color { 0, 0, 255 })) << "drawn after the first capture";
    EXPECT_EQ(picture_pixels(second)->pixel(5, 5), (gfx::Color { 255, 0, 0 }));

    HBITMAP first_bitmap = testing::as_picture(first)->bitmap();
    first.reset();
    EXPECT_FALSE(is_live(first_bitmap));
    EXPECT_NE(picture_pixels(second), nullptr) << "releasing one picture left the other alone";
}

TEST_F(Capture, ScreenSizeRoundsHalfToEvenThenTruncates)
{
    struct Case {
        double width_twips, twips_x, height_twips, twips_y;
        int width, height;
    };
    const Case cases[] = {
        { 100.5, 15, 90, 15, 6, 6 },    // 100.5 -> 100, 100 \ 15 = 6
        { 44.5, 15, 45, 15, 2, 3 },     // 44.5 -> 44 (not 45), then 2, not 3
        { 29.5, 15, 30.4, 15.5, 2, 1 }, // 29.5 -> 30; 30.4 -> 30 over 15.5 -> 16
        { 4800, 15, 3600, 15, 320, 240 },
    };
    for (const auto& c : cases) {
        std::vector<std::string> reads;
        auto screen = std::make_shared<DynamicObject>("Screen");
        auto value = [&](const char* name, double v) {
            screen->on(name, [&reads, name, v](Args) {
                reads.push_back(name);
                return Variant(static_cast<float>(v));
            });
        };
        value("Width", c.width_twips);
        value("TwipsPerPixelX", c.twips_x);
        value("Height", c.height_twips);
        value("TwipsPerPixelY", c.twips_y);
        capture->use_screen(screen);
        ObjectRef picture = capture->CaptureScreen();
        ASSERT_NE(picture_pixels(picture), nullptr) << c.width_twips;
        EXPECT_EQ(picture_pixels(picture)->size(), (gfx::Size { c.width, c.height })) << c.width_twips;
        EXPECT_EQ(reads, (std::vector<std::string> { "Width", "TwipsPerPixelX", "Height", "TwipsPerPixelY" }));
    }
}

TEST_F(Capture, ScreenFailuresGiveNothingAndRaiseNothing)
{
    struct Case {
        const char* name;
        float width_twips, twips_x;
        bool has_twips_y;
    };
    const Case cases[] = {
        { "zero twips per pixel", 300, 0, true },
        { "a width beyond a Long", 3e9f, 15, true },
        { "no TwipsPerPixelY", 300, 15, false },
    };
    for (const auto& c : cases) {
        auto screen = std::make_shared<DynamicObject>("Screen");
        screen->on("Width", [&](Args) { return Variant(c.width_twips); });
        screen->on("TwipsPerPixelX", [&](Args) { return Variant(c.twips_x); });
        screen->on("Height", [](Args) { return Variant(300.0f); });
        if (c.has_twips_y)
            screen->on("TwipsPerPixelY", [](Args) { return Variant(15.0f); });
        capture->use_screen(screen);
        ObjectRef picture;
        EXPECT_NO_THROW(picture = capture->CaptureScreen()) << c.name;
        EXPECT_FALSE(picture) << c.name;
    }
}

TEST_F(Capture, ScreenOfTheDisplayItself)
{
    show_window({ 30, 30, 100, 80 });
    ObjectRef picture = capture->CaptureScreen();
    ASSERT_NE(picture_pixels(picture), nullptr);
    gfx::Bitmap screen = screen_pixels();
    EXPECT_TRUE(same_pixels(*picture_pixels(picture), screen, screen.rect()));
}

// A form double that answers the members a form capture reads, except `lacking`, and logs them in
// order.
struct FormDouble {
    std::shared_ptr<DynamicObject> object = std::make_shared<DynamicObject>("Form");
    std::vector<std::string> reads;
    std::string_view lacking;

    FormDouble(HWND window, Variant scaled_width, Variant scaled_height, std::string_view lacking_member = {})
        : lacking(lacking_member)
    {
        answer("hwnd", handle_value(window));
        answer("Width", 1500.0f);
        answer("Height", 1200.0f);
        answer("ScaleWidth", 1350.0f);
        answer("ScaleHeight", 900.0f);
        answer("ScaleMode", Integer(1));
        convert("ScaleX", scaled_width);
        convert("ScaleY", scaled_height);
    }
    void answer(const char* name, Variant value)
    {
        if (name != lacking)
            object->on(name, [this, name, value](Args) {
                reads.push_back(name);
                return value;
            });
    }
    void convert(const char* name, Variant result)
    {
        if (name != lacking)
            object->on(name, [this, name, result](Args args) {
                reads.push_back(std::string(name) + " " + args[0]->to_string() + " " + args[1]->to_string() + " " + args[2]->to_string());
                return result;
            });
    }
};

TEST_F(Capture, FormMembersAreReadInOrderAndTheirResultsRoundHalfToEven)
{
    HWND window = show_window({ 0, 0, 150, 120 });
    gfx::Rect client = find_window(window)->client_rect();
    struct Case {
        const char* member;
        std::vector<std::string> reads;
        gfx::Point origin;
    };
    const Case cases[] = {
        { "CaptureForm", { "hwnd", "Width", "ScaleX 1500 1 3", "Height", "ScaleY 1200 1 3" }, {} },
        { "CaptureFormClient",
            { "hwnd", "ScaleWidth", "ScaleMode", "ScaleX 1350 1 3", "ScaleHeight", "ScaleMode", "ScaleY 900 1 3" },
            client.location() },
    };
    for (const auto& c : cases) {
        FormDouble form(window, 10.5f, 11.5f);  // 10 and 12, ties to even
        ObjectRef picture = call(capture, c.member, { ObjectRef(form.object) });
        EXPECT_EQ(form.reads, c.reads) << c.member;
        ASSERT_NE(picture_pixels(picture), nullptr) << c.member;
        EXPECT_TRUE(same_pixels(*picture_pixels(picture), window_pixels(window), gfx::Rect::of(c.origin, { 10, 12 }))) << c.member;
    }
}

TEST_F(Capture, FormWithoutAMemberOrWithAnOverflowGivesNothing)
{
    HWND window = show_window({ 0, 0, 150, 120 });
    struct Case {
        const char* member;
        const char* lacking;
        float scaled;
    };
    const Case cases[] = {
        { "CaptureForm", "hwnd", 10 },
        { "CaptureForm", "Height", 10 },
        { "CaptureForm", "ScaleY", 10 },
        { "CaptureForm", nullptr, 3e9f },
        { "CaptureFormClient", "hwnd", 10 },
        { "CaptureFormClient", "ScaleMode", 10 },
        { "CaptureFormClient", "ScaleX", 10 },
        { "CaptureFormClient", nullptr, -3e9f },
    };
    for (const auto& c : cases) {
        std::string label = std::string(c.member) + (c.lacking ? std::string(" without ") + c.lacking : " overflowing");
        FormDouble form(window, c.scaled, 10.0f, c.lacking ? c.lacking : "");
        ObjectRef picture;
        EXPECT_NO_THROW(picture = call(capture, c.member, { ObjectRef(form.object) })) << label;
        EXPECT_FALSE(picture) << label;
    }
    EXPECT_FALSE(call(capture, "CaptureForm", { ObjectRef() })) << "Nothing for a form";
}

TEST_F(Capture, ActiveWindowIsCapturedWholeWithFrameAndCaption)
{
    show_window({ 5, 5, 50, 40 });
    HWND active = show_window({ 40, 30, 130, 100 }, { 90, 90, 200 });
    ASSERT_EQ(GetForegroundWindow(), active);
    ObjectRef picture = capture->CaptureActiveWindow();
    ASSERT_NE(picture_pixels(picture), nullptr);
    EXPECT_TRUE(same_pixels(*picture_pixels(picture), window_pixels(active), { 0, 0, 130, 100 }));
}

TEST_F(Capture, NoActiveWindowGivesAZeroSizedCapture)
{
    ASSERT_EQ(GetForegroundWindow(), 0u);
    ObjectRef picture = capture->CaptureActiveWindow();
    const gfx::Bitmap* pixels = picture_pixels(picture);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels->size(), (gfx::Size { 1, 1 }));
}

TEST_F(Capture, AnyWindowPassesItsValuesOnAndDefaultsToAZeroSizedWholeWindow)
{
    HWND window = show_window({ 10, 10, 100, 80 });
    gfx::Rect client = find_window(window)->client_rect();

    ObjectRef picture = call(capture, "CaptureAnyWindow", { handle_value(window), True, 2, 3, 30, 20 });
    ASSERT_NE(picture_pixels(picture), nullptr);
    EXPECT_TRUE(same_pixels(*picture_pixels(picture), window_pixels(window), { client.x + 2, client.y + 3, 30, 20 }));

    // Only the handle: False, 0, 0, 0, 0 - the platform's smallest bitmap, one monochrome pixel.
    ObjectRef tiny = call(capture, "CaptureAnyWindow", { handle_value(window) });
    auto held = testing::as_picture(tiny);
    ASSERT_TRUE(held);
    BITMAP record;
    ASSERT_EQ(GetObjectA(held->bitmap(), sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, 1);
    EXPECT_EQ(record.bmHeight, 1);
    EXPECT_EQ(record.bmBitsPixel, 1);
}

TEST_F(Capture, BadHandlesAndSizesReachThePlatformAndFailCleanly)
{
    HWND window = show_window({ 10, 10, 100, 80 });
    struct Case {
        const char* name;
        Long window;
        Long width, height;
    };
    const Case cases[] = {
        { "a handle nobody issued", 12345, 10, 10 },
        { "a negative handle", -7, 10, 10 },
        { "a negative width", handle_value(window), -10, 10 },
        { "a negative height", handle_value(window), 10, -1 },
        { "a size beyond any bitmap", handle_value(window), 1 << 30, 1 << 30 },
    };
    for (const auto& c : cases) {
        ObjectRef picture;
        EXPECT_NO_THROW(picture = capture->CaptureWindow(c.window, False, 0, 0, c.width, c.height)) << c.name;
        auto held = testing::as_picture(picture);
        ASSERT_TRUE(held) << c.name << ": the picture is made from whatever handle came back";
        EXPECT_EQ(held->bitmap(), 0u) << c.name;
        EXPECT_EQ(held->Type(), Integer(0)) << c.name;
    }
}

}  // namespace
}  // namespace velmo::capture
