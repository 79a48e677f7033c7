// The library's own scenarios on the X server and on the memory display side by side: a gradient
// form read back from the real screen, the colour under the pointer, a skinned window's shape and
// its drag. Input on the server comes from XTest, as a person's would.
#include "support/xvfb_server.h"


#include <chrono>
#include <filesystem>
#include <functional>

#include "automation/dynamic_object.h"
#include "automation/late.h"
#include "automation/registry.h"
#include "capture/register.h"
#include "gradients/register.h"
#include "host/form.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/messages.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "services/kxbasalt10.h"
#include "skin/register.h"
#include "support/message_pump.h"
#include "support/picture_pixels.h"
#include "support/skin_fixture.h"
#include "support/temp_folder.h"

// Xlib last: it defines True, False and None as macros.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

#include "platform/x11/connection.h"
#include "platform/x11/desktop.h"
#include "platform/registry/display_registry.h"
#include "platform/x11/x11_backend.h"

namespace velmo::platform::x11 {
namespace {

using testing::pump_until;

enum class Backend { Memory, X11 };
constexpr gfx::Size screen { 640, 480 };

Variant call(const ObjectRef& object, std::string_view member, std::vector<Variant> args = {})
{
    std::vector<Variant*> refs;
    for (auto& a : args)
        refs.push_back(&a);
    return late::invoke(object, member, Invoke::Call, refs);
}

// A shown form at (left, top) with `client` pixels inside, painted with rising blue bands.
std::shared_ptr<host::Form> gradient_form(gfx::Point at, gfx::Size client, int border_style)
{
    auto form = host::Form::create(client.width, client.height);
    ObjectRef f = form;
    late::let(f, "BorderStyle", border_style);
    late::let(f, "Left", at.x * 15);
    late::let(f, "Top", at.y * 15);
    late::call(f, "Show");
    call(create_object("Velmo10.clsKxLumoGradientsA"), "Gradient02", { f, Long(2) });
    late::call(f, "Refresh");
    return form;
}

gfx::Bitmap crop(const gfx::Bitmap& from, gfx::Rect area)
{
    gfx::Bitmap out(area.size());
    out.copy_from(from, area, {});
    return out;
}

// Colours only: drawing may leave the reserved byte of a pixel set, reading from a server never.
::testing::AssertionResult same_colors(const gfx::Bitmap& actual, const gfx::Bitmap& expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "sizes differ";
    int differ = 0;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            differ += actual.pixel(x, y) != expected.pixel(x, y);
    if (differ)
        return ::testing::AssertionFailure() << differ << " pixels differ";
    return ::testing::AssertionSuccess();
}

gfx::Rect client_on_screen(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    POINT origin;
    ClientToScreen(window, &origin);
    return { origin.x, origin.y, r.right - r.left, r.bottom - r.top };
}

class RealDisplayScenario : public testing::XvfbTest {
protected:
    RealDisplayScenario()
        : XvfbTest(screen)
    {
    }
    void SetUp() override
    {
        XvfbTest::SetUp();
        if (IsSkipped())
            return;
        observer_.emplace(server().name());
        kxbasalt10::load();
    }
    void TearDown() override
    {
        reset_display();
        kxbasalt10::unload();
        unregister_library("Velmo10");
        observer_.reset();
        XvfbTest::TearDown();
    }

    // A fresh display of the kind, with the library's classes registered anew.
    static void use(Backend backend)
    {
        if (backend == Backend::X11)
            ASSERT_EQ(use_display("x11"), "x11");
        else
            reset_display({ screen, 32 });
        unregister_library("Velmo10");
        capture::register_classes();
        skin::register_classes();
        gradients::register_classes();
    }

    Connection& observer() { return *observer_; }

    void point_at(Backend backend, gfx::Point at)
    {
        if (backend == Backend::Memory) {
            SetCursorPos(at.x, at.y);
            return;
        }
        XTestFakeMotionEvent(observer().get(), observer().screen(), at.x, at.y, CurrentTime);
        XSync(observer().get(), False);
    }

    testing::TempFolder dir_ { "velmo-x11" };
    std::optional<Connection> observer_;
};

TEST_F(RealDisplayScenario, GradientFormReadFromTheRealScreenEqualsTheMemoryCapture)
{
    struct Case {
        const char* name;
        int border_style;
    };
    // Without a frame the whole window is on the server; with one, the window manager's frame is
    // not the display's, so the client area is compared.
    const Case cases[] = { { "borderless", 0 }, { "sizable frame", 2 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<gfx::Bitmap> seen[2];
        for (Backend backend : { Backend::Memory, Backend::X11 }) {
            use(backend);
            auto form = gradient_form({ 60, 40 }, { 200, 120 }, c.border_style);
            ObjectRef picture = call(create_object("Velmo10.clsKxLumoImageCaptureA"), "CaptureScreen").to_object();
            const gfx::Bitmap* captured = testing::picture_pixels(picture);
            ASSERT_NE(captured, nullptr);
            ASSERT_EQ(captured->size(), screen);
            seen[int(backend)] = crop(*captured, client_on_screen(form->window()));
            if (backend == Backend::Memory) {
                // Not a blank screen: the form's persistent image is there, in its top-left part.
                ObjectRef image_picture = late::get(ObjectRef(form), "Image").to_object();
                const gfx::Bitmap* image = testing::picture_pixels(image_picture);
                ASSERT_NE(image, nullptr);
                ASSERT_TRUE(same_colors(crop(*seen[0], image->rect()), *image)) << "the gradient itself";
            }
        }
        EXPECT_TRUE(same_colors(*seen[1], *seen[0]));
    }
}

TEST_F(RealDisplayScenario, ColorUnderThePointerIsThePaintedOne)
{
    for (Backend backend : { Backend::Memory, Backend::X11 }) {
        SCOPED_TRACE(backend == Backend::X11 ? "x11" : "memory");
        use(backend);
        auto form = gradient_form({ 100, 50 }, { 300, 100 }, 0);
        ObjectRef image_picture = late::get(ObjectRef(form), "Image").to_object();
        const gfx::Bitmap* image = testing::picture_pixels(image_picture);
        ASSERT_NE(image, nullptr);
        for (gfx::Point at : { gfx::Point { 101, 51 }, gfx::Point { 250, 120 }, gfx::Point { 399, 149 } }) {
            point_at(backend, at);
            POINT p;
            ASSERT_TRUE(GetCursorPos(&p));
            ASSERT_EQ((gfx::Point { p.x, p.y }), at);
            ScopedWindowDC screen_dc(GetDC(0), 0);
            EXPECT_EQ(GetPixel(screen_dc.get(), p.x, p.y), image->pixel(at.x - 100, at.y - 50).to_colorref());
        }
    }
}

TEST_F(RealDisplayScenario, SkinnedWindowIsShapedByItsRegionAndDragsBySkin)
{
    // A ring: magenta (the transparent colour) outside and in the hole.
    std::vector<std::string> rows {
        "..####..",
        ".#rrrr#.",
        "#rr..rr#",
        "#rr..rr#",
        ".#rrrr#.",
        "..####..",
    };
    std::string ring = testing::write_skin(dir_ / "ring.png", rows);
    ASSERT_TRUE(std::filesystem::exists(ring));

    use(Backend::X11);
    auto form = host::Form::create(10, 10);
    ObjectRef f = form;
    late::let(f, "BorderStyle", 0);
    late::let(f, "Left", 200 * 15);
    late::let(f, "Top", 100 * 15);
    late::call(f, "Show");
    ObjectRef skin = create_object("Velmo10.clsKxLumoUIFormSkinA");
    late::let(skin, "SkinFile", ring);
    late::set(skin, "FormObject", f);
    late::call(skin, "Show");

    HWND window = form->window();
    ::Window mirror = current_x11_backend()->mirror_of(window);
    ASSERT_NE(mirror, 0u);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window, region), 0);
    std::vector<gfx::Rect> expected;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            if (PtInRegion(region, x, y))
                expected.push_back({ x, y, 1, 1 });
    DeleteObject(region);

    XSync(current_x11_backend()->connection().get(), False);
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(observer().get(), mirror, ShapeBounding, &count, &ordering);
    std::vector<gfx::Rect> shaped;  // the shape pixel by pixel, to compare with the region's
    for (int i = 0; i < count; ++i)
        for (int y = rects[i].y; y < rects[i].y + rects[i].height; ++y)
            for (int x = rects[i].x; x < rects[i].x + rects[i].width; ++x)
                shaped.push_back({ x, y, 1, 1 });
    XFree(rects);
    std::sort(shaped.begin(), shaped.end(), [](auto& a, auto& b) { return std::tie(a.y, a.x) < std::tie(b.y, b.x); });
    EXPECT_EQ(shaped, expected);
    EXPECT_EQ(expected.size(), 48u - 12u - 4u) << "corners and hole cut out";

    // The host's MouseDown handler lets the skin drag the form.
    auto handler = std::make_shared<DynamicObject>("Form1");
    handler->on("MouseDown", [&](Args event) {
        Variant* args[] = { event[0] };
        late::invoke(skin, "MakeMoveable", Invoke::Call, args);
        return Variant {};
    });
    form->connect_events(handler);
    ::Display* d = observer().get();
    XTestFakeMotionEvent(d, observer().screen(), 201, 101, CurrentTime);  // on the ring's red
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeMotionEvent(d, observer().screen(), 260, 150, CurrentTime);
    XTestFakeMotionEvent(d, observer().screen(), 301, 201, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XSync(d, False);
    RECT r {};
    EXPECT_TRUE(pump_until([&] { return GetWindowRect(window, &r) && r.left == 300 && GetCapture() == 0; }));
    EXPECT_EQ(r.top, 200);
    XSync(current_x11_backend()->connection().get(), False);
    EXPECT_EQ(window_rect(observer(), mirror), (gfx::Rect { 300, 200, r.right - r.left, r.bottom - r.top }));
    form->disconnect_events(handler);
}

}  // namespace
}  // namespace velmo::platform::x11
