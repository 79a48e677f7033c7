// Pixel truth: a form painted with a known gradient, captured by every member that reaches it,
// equals the form's own image pixel for pixel, with its frame and caption where the member takes
// the whole window.
#include <gtest/gtest.h>

#include "automation/late.h"
#include "capture/image_capture.h"
#include "gradients/gradients.h"
#include "host/form.h"
#include "platform/display.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "support/memory_display.h"
#include "support/picture_pixels.h"

namespace velmo::capture {
namespace {

using namespace velmo::platform;
using testing::picture_pixels;
using testing::same_pixels;

constexpr gfx::Point form_on_screen { 100, 40 };

ObjectRef call(const ObjectRef& object, std::string_view member, std::vector<Variant> args = {})
{
    std::vector<Variant*> refs;
    for (auto& a : args)
        refs.push_back(&a);
    return late::invoke(object, member, Invoke::Call, refs).to_object();
}

class PixelTruth : public velmo::testing::MemoryDisplayTest {
protected:
    PixelTruth()
        : MemoryDisplayTest({ { 800, 600 }, 32 })
    {
    }
    void SetUp() override
    {
        MemoryDisplayTest::SetUp();
        form = host::Form::create(510, 300);
        late::let(form, "Left", float(form_on_screen.x * 15));
        late::let(form, "Top", float(form_on_screen.y * 15));
        late::call(form, "Show");
        // Rising blue bands two pixels wide into the persistent image, then shown.
        call(std::make_shared<gradients::clsKxLumoGradientsA>(), "Gradient02", { ObjectRef(form), Long(2) });
        late::call(form, "Refresh");

        image_picture = late::get(form, "Image").to_object();
        image = picture_pixels(image_picture);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->size(), (gfx::Size { 510, 300 }));
        const Window* window = find_window(form->window());
        ASSERT_NE(window, nullptr);
        whole = window->pixels;
        client = window->client_rect();
    }

    // The part of `captured` at `client_at` equals the image, which holds the gradient; the rest
    // equals the window's frame and caption.
    void expect_form(const gfx::Bitmap& captured, gfx::Point client_at)
    {
        gfx::Bitmap inside({ 510, 300 });
        inside.copy_from(captured, gfx::Rect::of(client_at, { 510, 300 }), {});
        EXPECT_TRUE(same_pixels(inside, *image, image->rect()));
        int off_gradient = 0;
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 510; ++x)
                off_gradient += inside.pixel(x, y) != gfx::Color(0, 0, static_cast<uint8_t>(x / 2));
        }
        EXPECT_EQ(off_gradient, 0) << "pixels off the bands blue = x / 2";

        if (captured.size() == whole.size()) {
            EXPECT_TRUE(same_pixels(captured, whole, whole.rect())) << "frame and caption";
        }
    }

    std::shared_ptr<host::Form> form;
    ObjectRef image_picture;
    const gfx::Bitmap* image = nullptr;
    gfx::Bitmap whole { {} };
    gfx::Rect client;
    ObjectRef capture = std::make_shared<clsKxLumoImageCaptureA>();
};

TEST_F(PixelTruth, FormClientIsTheImage)
{
    ObjectRef picture = call(capture, "CaptureFormClient", { ObjectRef(form) });
    const gfx::Bitmap* captured = picture_pixels(picture);
    ASSERT_NE(captured, nullptr);
    ASSERT_EQ(captured->size(), image->size());
    expect_form(*captured, {});
}

TEST_F(PixelTruth, FormAndActiveWindowAreTheImageInsideFrameAndCaption)
{
    for (const char* member : { "CaptureForm", "CaptureActiveWindow" }) {
        SCOPED_TRACE(member);
        std::vector<Variant> args;
        if (std::string_view(member) == "CaptureForm")
            args.push_back(ObjectRef(form));
        ObjectRef picture = call(capture, member, args);
        const gfx::Bitmap* captured = picture_pixels(picture);
        ASSERT_NE(captured, nullptr);
        ASSERT_EQ(captured->size(), whole.size());
        expect_form(*captured, client.location());
    }
}

TEST_F(PixelTruth, WindowAndAnyWindowWithTheFormsRectangles)
{
    Long handle = late::get(form, "hwnd").to_long();
    struct Case {
        const char* member;
        Boolean client_flag;
        gfx::Size size;
        gfx::Point client_at;
    };
    const Case cases[] = {
        { "CaptureWindow", True, { 510, 300 }, {} },
        { "CaptureWindow", False, whole.size(), client.location() },
        { "CaptureAnyWindow", True, { 510, 300 }, {} },
        { "CaptureAnyWindow", False, whole.size(), client.location() },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.member) + (c.client_flag.is_true() ? " client" : " whole"));
        ObjectRef picture = call(capture, c.member, { handle, c.client_flag, 0, 0, c.size.width, c.size.height });
        const gfx::Bitmap* captured = picture_pixels(picture);
        ASSERT_NE(captured, nullptr);
        ASSERT_EQ(captured->size(), c.size);
        expect_form(*captured, c.client_at);
    }
}

TEST_F(PixelTruth, ScreenShowsTheFormWhereItStands)
{
    ObjectRef picture = call(capture, "CaptureScreen");
    const gfx::Bitmap* captured = picture_pixels(picture);
    ASSERT_NE(captured, nullptr);
    ASSERT_EQ(captured->size(), (gfx::Size { 800, 600 }));
    gfx::Bitmap form_part(whole.size());
    form_part.copy_from(*captured, gfx::Rect::of(form_on_screen, whole.size()), {});
    expect_form(form_part, client.location());
    EXPECT_EQ(captured->pixel(0, 0), display_options().desktop) << "the desktop around it";
}

}  // namespace
}  // namespace velmo::capture
