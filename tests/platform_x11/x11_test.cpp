// The X11 pieces of the real display against a private Xvfb server: reading the screen, mirror
// windows with their shape, input translation, and the failure paths (a window destroyed by
// someone else, a server that dies).
// GoogleTest first: Xlib defines None and Bool as macros.
#include "support/xvfb_server.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <poll.h>

#include <functional>

#include "platform/x11/connection.h"
#include "platform/x11/desktop.h"
#include "platform/x11/events.h"
#include "platform/x11/image.h"
#include "platform/x11/mirror_window.h"
#include "platform/x11/shared_pixels.h"

namespace velmo::platform::x11 {
namespace {

enum class Transfer { Shared, Plain };

// A colour that differs at every pixel, so a misplaced row or column shows.
uint32_t pattern(int x, int y) { return (uint32_t(x * 7 % 256) << 16) | (uint32_t(y * 13 % 256) << 8) | uint32_t((x + y) % 256); }

gfx::Bitmap pattern_bitmap(gfx::Size size)
{
    gfx::Bitmap b(size);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            b.set_word(x, y, pattern(x, y));
    return b;
}

class X11Test : public testing::XvfbTest {
protected:
    void SetUp() override
    {
        XvfbTest::SetUp();
        if (IsSkipped())
            return;
        connection_.emplace(server().name());
    }
    void TearDown() override
    {
        connection_.reset();
        XvfbTest::TearDown();
    }

    Connection& x() { return *connection_; }

    void use(Transfer transfer)
    {
        if (transfer == Transfer::Plain)
            x().disable_shm();
    }

    // The next translated event that `accept` takes, waiting up to two seconds.
    std::optional<InputEvent> next_event(const std::function<bool(const InputEvent&)>& accept)
    {
        XFlush(x().get());
        for (int rounds = 0; rounds < 200; ++rounds) {
            while (XPending(x().get())) {
                XEvent event;
                XNextEvent(x().get(), &event);
                if (auto e = translate(x(), event); e && accept(*e))
                    return e;
            }
            pollfd wait { x().fd(), POLLIN, 0 };
            poll(&wait, 1, 10);
        }
        return std::nullopt;
    }

    // A shown mirror window, drawn once it is mapped.
    std::unique_ptr<MirrorWindow> shown_window(gfx::Rect rect)
    {
        auto w = std::make_unique<MirrorWindow>(x(), rect, Decorations::Bare, "test");
        EXPECT_TRUE(w->show());
        auto exposed = next_event([&](const InputEvent& e) { return e.kind == InputEvent::Kind::Repaint && e.window == w->id(); });
        EXPECT_TRUE(exposed.has_value());
        return w;
    }

    std::optional<Connection> connection_;
};

TEST(X11ConnectionTest, NoServerIsOneClearError)
{
    try {
        Connection c(":4093");
        FAIL() << "opened a display that does not exist";
    } catch (const ConnectionError& e) {
        EXPECT_STREQ(e.what(), "cannot open X display ':4093'");
    }
}

TEST_F(X11Test, ScreenHasTheServersSizeAndExtensions)
{
    EXPECT_EQ(x().screen_size(), screen_size());
    EXPECT_FALSE(x().lost());
    // Xvfb has both, so the shared-memory cases below really take the shared path.
    EXPECT_TRUE(x().has_shm());
    EXPECT_TRUE(x().has_shape());
}

TEST_F(X11Test, PushedPixelsReadBackFromTheScreen)
{
    struct Case {
        Transfer transfer;
        gfx::Rect window;
        gfx::Rect read;  // screen area read, inside the window
    };
    const Case cases[] = {
        { Transfer::Shared, { 10, 20, 64, 48 }, { 10, 20, 64, 48 } },
        { Transfer::Shared, { 10, 20, 64, 48 }, { 30, 25, 7, 3 } },
        { Transfer::Plain, { 10, 20, 64, 48 }, { 10, 20, 64, 48 } },
        { Transfer::Plain, { 100, 5, 33, 17 }, { 101, 6, 1, 1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "plain " << (c.transfer == Transfer::Plain) << " read " << c.read.x << "," << c.read.y);
        Connection fresh(server().name());
        if (c.transfer == Transfer::Plain)
            fresh.disable_shm();
        MirrorWindow window(fresh, c.window, Decorations::Bare, "pixels");
        ASSERT_TRUE(window.show());
        gfx::Bitmap pixels = pattern_bitmap(c.window.size());
        ASSERT_TRUE(ImageWriter(fresh).write(window.id(), pixels, pixels.rect()));

        gfx::Bitmap read(c.read.size(), { 1, 2, 3 });
        ASSERT_TRUE(ImageReader(fresh).read(fresh.root(), c.read, read));
        for (int y = 0; y < read.height(); ++y)
            for (int px = 0; px < read.width(); ++px)
                ASSERT_EQ(read.word(px, y), pattern(c.read.x - c.window.x + px, c.read.y - c.window.y + y)) << px << "," << y;
    }
}

TEST_F(X11Test, WholeScreenAndOnePixelReads)
{
    auto window = shown_window({ 0, 0, 50, 40 });
    gfx::Bitmap pixels = pattern_bitmap({ 50, 40 });
    ASSERT_TRUE(ImageWriter(x()).write(window->id(), pixels, { 5, 5, 10, 10 }));  // only a part is pushed

    ImageReader reader(x());
    auto screen = reader.read_screen();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->size(), screen_size());
    EXPECT_EQ(screen->word(5, 5), pattern(5, 5));
    EXPECT_EQ(screen->word(14, 14), pattern(14, 14));
    EXPECT_EQ(reader.read_screen_pixel({ 9, 12 }), pattern(9, 12));
    EXPECT_EQ(reader.read_screen_pixel({ 9, 12 }), screen->word(9, 12));
    EXPECT_FALSE(reader.read_screen_pixel({ -1, 0 }));
    EXPECT_FALSE(reader.read_screen_pixel({ 0, screen_size().height }));
}

TEST_F(X11Test, ReadingOutsideTheScreenFailsAndLeavesTheBitmap)
{
    for (Transfer transfer : { Transfer::Shared, Transfer::Plain }) {
        Connection fresh(server().name());
        if (transfer == Transfer::Plain)
            fresh.disable_shm();
        gfx::Bitmap out({ 4, 4 }, { 9, 9, 9 });
        EXPECT_FALSE(ImageReader(fresh).read(fresh.root(), { screen_size().width - 2, 0, 4, 4 }, out));
        EXPECT_EQ(out.pixel(3, 3), (gfx::Color { 9, 9, 9 }));
    }
}

// Reads written by the server into the bitmap's own memory: in strips (a 640 x 480 screen is three),
// with the reserved byte cleared however the server holds it, and the memory of a bitmap that has
// gone used again.
TEST_F(X11Test, SharedPixelsReadStraightIntoBitmapMemory)
{
    const gfx::Rect whole = gfx::Rect::of({}, screen_size());
    auto window = shown_window(whole);
    gfx::Bitmap pixels = pattern_bitmap(screen_size());
    for (uint32_t& word : pixels.pixels())
        word |= 0xFF000000;  // as another program may leave it
    ASSERT_TRUE(ImageWriter(x()).write(window->id(), pixels, whole));

    auto pool = std::make_unique<SharedPixels>(x());
    for (gfx::Rect area : { whole, gfx::Rect { 3, 5, 401, 333 }, gfx::Rect { 639, 479, 1, 1 } }) {
        SCOPED_TRACE(::testing::Message() << area.x << "," << area.y << " " << area.width << "x" << area.height);
        auto read = pool->read(x().root(), area);
        ASSERT_TRUE(read);
        ASSERT_EQ(read->size(), area.size());
        for (int y = 0; y < area.height; ++y)
            for (int px = 0; px < area.width; ++px)
                ASSERT_EQ(read->word(px, y), pattern(area.x + px, area.y + y)) << px << "," << y;
    }

    const uint32_t* memory = nullptr;
    {
        auto gone = pool->read(x().root(), whole);
        ASSERT_TRUE(gone);
        memory = gone->scanline(0);
    }
    auto reused = pool->read(x().root(), whole);
    auto held_apart = pool->read(x().root(), whole);
    ASSERT_TRUE(reused && held_apart);
    EXPECT_EQ(reused->scanline(0), memory);
    EXPECT_NE(held_apart->scanline(0), memory);

    EXPECT_FALSE(pool->read(x().root(), { 600, 0, 50, 10 })) << "past the screen's edge";
    pool.reset();
    EXPECT_EQ(held_apart->word(10, 10), pattern(10, 10)) << "bitmaps outlive the pool";

    Connection plain(server().name());
    plain.disable_shm();
    EXPECT_FALSE(SharedPixels(plain).read(plain.root(), { 0, 0, 10, 10 }));
}

TEST_F(X11Test, ShapeIsTheGivenRectangles)
{
    MirrorWindow window(x(), { 40, 40, 100, 80 }, Decorations::Bare, "shaped");
    const std::vector<gfx::Rect> shape { { 0, 0, 100, 10 }, { 10, 10, 30, 60 }, { 0, 70, 100, 10 } };
    ASSERT_TRUE(window.set_shape(shape));

    int count = 0, ordering = 0;
    XRectangle* got = XShapeGetRectangles(x().get(), window.id(), ShapeBounding, &count, &ordering);
    std::vector<gfx::Rect> rects;
    for (int i = 0; i < count; ++i)
        rects.push_back({ got[i].x, got[i].y, got[i].width, got[i].height });
    XFree(got);
    EXPECT_EQ(rects, shape);

    ASSERT_TRUE(window.clear_shape());
    got = XShapeGetRectangles(x().get(), window.id(), ShapeBounding, &count, &ordering);
    ASSERT_EQ(count, 1);
    EXPECT_EQ((gfx::Rect { got[0].x, got[0].y, got[0].width, got[0].height }), (gfx::Rect { 0, 0, 100, 80 }));
    XFree(got);
}

TEST_F(X11Test, ShapedOutPartsShowWhatIsBelow)
{
    auto below = shown_window({ 0, 0, 60, 60 });
    gfx::Bitmap red({ 60, 60 }, { 255, 0, 0 });
    ASSERT_TRUE(ImageWriter(x()).write(below->id(), red, red.rect()));
    auto above = shown_window({ 0, 0, 60, 60 });
    ASSERT_TRUE(above->set_shape({ { 0, 0, 30, 60 } }));
    gfx::Bitmap blue({ 60, 60 }, { 0, 0, 255 });
    ASSERT_TRUE(ImageWriter(x()).write(above->id(), blue, blue.rect()));

    auto screen = ImageReader(x()).read_screen();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->pixel(10, 30), (gfx::Color { 0, 0, 255 }));
    EXPECT_EQ(screen->pixel(45, 30), (gfx::Color { 255, 0, 0 }));
}

TEST_F(X11Test, MoveResizeTitleAndStacking)
{
    auto a = shown_window({ 0, 0, 40, 40 });
    auto b = shown_window({ 20, 20, 40, 40 });
    ASSERT_TRUE(a->set_rect({ 5, 6, 70, 30 }));
    EXPECT_EQ(window_rect(x(), a->id()), (gfx::Rect { 5, 6, 70, 30 }));

    ASSERT_TRUE(a->set_title("Größe"));
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(x().get(), a->id(), &name));
    EXPECT_STREQ(name, "Größe");
    XFree(name);

    auto top_at = [&](gfx::Point p) {
        ImageWriter writer(x());
        writer.write(a->id(), gfx::Bitmap({ 70, 30 }, { 0, 255, 0 }), { 0, 0, 70, 30 });
        writer.write(b->id(), gfx::Bitmap({ 40, 40 }, { 255, 0, 255 }), { 0, 0, 40, 40 });
        return ImageReader(x()).read_screen_pixel(p);
    };
    EXPECT_EQ(top_at({ 30, 25 }), 0xFF00FFu);  // b was made last
    ASSERT_TRUE(restack(x(), { b->id(), a->id() }));
    EXPECT_EQ(top_at({ 30, 25 }), 0x00FF00u);
}

TEST_F(X11Test, PointerWarpsAndReadsBack)
{
    ASSERT_TRUE(warp_pointer(x(), { 123, 45 }));
    EXPECT_EQ(pointer_position(x()), (gfx::Point { 123, 45 }));
}

TEST_F(X11Test, ActiveWindowFollowsTheRootProperty)
{
    EXPECT_FALSE(active_window(x()));
    auto w = shown_window({ 0, 0, 10, 10 });
    ::Window id = w->id();
    XChangeProperty(x().get(), x().root(), x().atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(&id), 1);
    EXPECT_EQ(active_window(x()), id);
}

TEST_F(X11Test, InputBecomesNeutralEvents)
{
    auto w = shown_window({ 100, 50, 80, 60 });
    ::Display* d = x().get();
    warp_pointer(x(), { 110, 70 });
    XTestFakeButtonEvent(d, 3, True, CurrentTime);
    auto down = next_event([](const InputEvent& e) { return e.kind == InputEvent::Kind::ButtonDown; });
    ASSERT_TRUE(down);
    EXPECT_EQ(down->window, w->id());
    EXPECT_EQ(down->button, 3);
    EXPECT_EQ(down->position, (gfx::Point { 10, 20 }));
    EXPECT_EQ(down->screen, (gfx::Point { 110, 70 }));

    XTestFakeMotionEvent(d, x().screen(), 120, 75, CurrentTime);
    auto motion = next_event([](const InputEvent& e) { return e.kind == InputEvent::Kind::Motion; });
    ASSERT_TRUE(motion);
    EXPECT_EQ(motion->position, (gfx::Point { 20, 25 }));
    XTestFakeButtonEvent(d, 3, False, CurrentTime);
    EXPECT_TRUE(next_event([](const InputEvent& e) { return e.kind == InputEvent::Kind::ButtonUp && e.button == 3; }));

    XSetInputFocus(d, w->id(), RevertToParent, CurrentTime);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Escape), True, CurrentTime);
    auto key = next_event([](const InputEvent& e) { return e.kind == InputEvent::Kind::KeyDown; });
    ASSERT_TRUE(key);
    EXPECT_EQ(key->key, 0x1B);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Escape), False, CurrentTime);

    w->set_rect({ 7, 8, 90, 70 });
    auto moved = next_event([](const InputEvent& e) { return e.kind == InputEvent::Kind::Reshaped; });
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->area, (gfx::Rect { 7, 8, 90, 70 }));

    XEvent close {};
    close.xclient.type = ClientMessage;
    close.xclient.window = w->id();
    close.xclient.message_type = x().atom("WM_PROTOCOLS");
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(x().atom("WM_DELETE_WINDOW"));
    XSendEvent(d, w->id(), False, NoEventMask, &close);
    auto closed = next_event([](const InputEvent& e) { return e.kind == InputEvent::Kind::CloseRequest; });
    ASSERT_TRUE(closed);
    EXPECT_EQ(closed->window, w->id());
}

TEST_F(X11Test, NoWindowManagerMeansNoManagedMove)
{
    auto w = shown_window({ 0, 0, 10, 10 });
    EXPECT_FALSE(begin_wm_move(x(), w->id(), { 5, 5 }, 1));
}

TEST_F(X11Test, WindowDestroyedBehindOurBackFailsEachCall)
{
    for (Transfer transfer : { Transfer::Shared, Transfer::Plain }) {
        Connection fresh(server().name());
        if (transfer == Transfer::Plain)
            fresh.disable_shm();
        auto w = std::make_unique<MirrorWindow>(fresh, gfx::Rect { 0, 0, 30, 30 }, Decorations::Bare, "doomed");
        ASSERT_TRUE(w->show());
        ::Window id = w->id();
        XDestroyWindow(x().get(), id);  // another client
        XSync(x().get(), False);

        EXPECT_FALSE(w->set_rect({ 1, 1, 20, 20 }));
        EXPECT_FALSE(w->set_title("gone"));
        EXPECT_FALSE(w->show());
        EXPECT_FALSE(w->set_shape({ { 0, 0, 5, 5 } }));
        EXPECT_FALSE(ImageWriter(fresh).write(id, gfx::Bitmap({ 30, 30 }), { 0, 0, 30, 30 }));
        gfx::Bitmap out({ 30, 30 });
        EXPECT_FALSE(ImageReader(fresh).read(id, { 0, 0, 30, 30 }, out));
        EXPECT_FALSE(window_rect(fresh, id));
        EXPECT_FALSE(is_viewable(fresh, id));
        ErrorTrap trap(fresh);
        XMapWindow(fresh.get(), id);
        EXPECT_TRUE(trap.failed());
        EXPECT_EQ(trap.code(), BadWindow);
        w.reset();  // destroying it again is harmless
        EXPECT_FALSE(fresh.lost());
        EXPECT_TRUE(warp_pointer(fresh, { 3, 3 }));
    }
}

TEST_F(X11Test, LostServerFailsCallsInsteadOfExiting)
{
    auto w = shown_window({ 0, 0, 20, 20 });
    ImageReader reader(x());
    ImageWriter writer(x());
    server().kill();

    EXPECT_FALSE(pointer_position(x()));
    EXPECT_TRUE(x().lost());
    EXPECT_THROW(x().check_alive(), ConnectionError);
    EXPECT_FALSE(reader.read_screen());
    EXPECT_FALSE(writer.write(w->id(), gfx::Bitmap({ 20, 20 }), { 0, 0, 20, 20 }));
    EXPECT_FALSE(w->set_rect({ 0, 0, 5, 5 }));
    EXPECT_FALSE(warp_pointer(x(), { 1, 1 }));
    EXPECT_FALSE(active_window(x()));
    EXPECT_THROW(MirrorWindow(x(), { 0, 0, 5, 5 }, Decorations::Bare, "late"), ConnectionError);
}

}  // namespace
}  // namespace velmo::platform::x11
