// The display on a real X server: the windowing and drawing calls mirrored as X windows, the
// screen and pointer read from the server, and the failures a real server brings (no server, a
// mirror destroyed by another client, the server going away).
#include "support/xvfb_server.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <vector>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/messages.h"
#include "platform/scoped.h"
#include "platform/user.h"
#include "platform/x11/connection.h"
#include "platform/x11/desktop.h"
#include "platform/registry/display_registry.h"
#include "platform/x11/foreign_window.h"
#include "platform/x11/image.h"
#include "platform/x11/x11_backend.h"
#include "support/message_pump.h"

namespace velmo::platform::x11 {
namespace {

using testing::pump_until;

uint32_t pattern(int x, int y) { return (uint32_t(x * 5 % 256) << 16) | (uint32_t(y * 9 % 256) << 8) | uint32_t((x ^ y) % 256); }

HWND window(gfx::Rect rect, WindowStyle style = WindowStyle::borderless())
{
    WindowDesc desc;
    desc.rect = rect;
    desc.style = style;
    desc.title = "velmo test";
    desc.visible = true;
    return create_window(desc);
}

class X11BackendTest : public testing::XvfbTest {
protected:
    void SetUp() override
    {
        XvfbTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(use_display("x11"), "x11");
        observer_.emplace(server().name());
    }
    void TearDown() override
    {
        reset_display();
        observer_.reset();
        XvfbTest::TearDown();
    }

    static X11Backend& backend()
    {
        X11Backend* b = current_x11_backend();
        EXPECT_NE(b, nullptr);
        return *b;
    }
    // A second client, looking at the server the way any other program would.
    Connection& observer() { return *observer_; }

    static void draw_pattern(HWND w)
    {
        ScopedWindowDC dc(GetWindowDC(w), w);
        RECT r;
        GetWindowRect(w, &r);
        for (int y = 0; y < r.bottom - r.top; ++y)
            for (int x = 0; x < r.right - r.left; ++x)
                SetPixel(dc.get(), x, y, gfx::Color::from_pixel(pattern(x, y)).to_colorref());
    }

    // The screen as the display reads it, copied out through a memory context.
    static gfx::Bitmap screen_copy(gfx::Rect area)
    {
        ScopedWindowDC screen(GetDC(0), 0);
        ScopedMemoryDC memory(CreateCompatibleDC(screen.get()));
        ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), area.width, area.height));
        ScopedSelection selected(memory.get(), bitmap.get());
        EXPECT_TRUE(BitBlt(memory.get(), 0, 0, area.width, area.height, screen.get(), area.x, area.y, SRCCOPY));
        return *bitmap_pixels(bitmap.get());
    }

    // Pushes everything and waits until the server has done it, so input made by another client
    // finds the windows mapped where they belong.
    static void settle()
    {
        backend().flush();
        XSync(backend().connection().get(), False);
    }

    // Fake input, as a person at the server would make it.
    void press(int button, bool down)
    {
        XTestFakeButtonEvent(observer().get(), static_cast<unsigned>(button), down, CurrentTime);
        XSync(observer().get(), False);
    }
    void move_pointer(gfx::Point to)
    {
        XTestFakeMotionEvent(observer().get(), observer().screen(), to.x, to.y, CurrentTime);
        XSync(observer().get(), False);
    }

    std::optional<Connection> observer_;
};

// A skinned window's drag: a left press anywhere starts the caption move.
LRESULT drag_anywhere(HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_LBUTTONDOWN) {
        ReleaseCapture();
        SendMessageA(w, WM_NCLBUTTONDOWN, WPARAM(HTCAPTION), 0);
        return 0;
    }
    return DefWindowProcA(w, message, wparam, lparam);
}

TEST_F(X11BackendTest, ScreenIsTheServersScreen)
{
    EXPECT_EQ(GetDeviceCaps(ScopedWindowDC(GetDC(0), 0).get(), HORZRES), screen_size().width);
    EXPECT_EQ(GetDeviceCaps(ScopedWindowDC(GetDC(0), 0).get(), VERTRES), screen_size().height);
}

TEST_F(X11BackendTest, ShownWindowIsMirroredAndItsPixelsReachTheScreen)
{
    struct Case {
        WindowStyle style;
        gfx::Rect rect;
    };
    const Case cases[] = {
        { WindowStyle::borderless(), { 30, 40, 64, 32 } },
        { WindowStyle::sizable(), { 200, 100, 90, 70 } },
    };
    for (const Case& c : cases) {
        HWND w = window(c.rect, c.style);
        ASSERT_NE(w, 0u);
        draw_pattern(w);
        const Window* state = find_window(w);
        // A framed window's frame comes from the window manager: the X window is the client area.
        gfx::Rect shown = (c.style == WindowStyle::borderless() ? state->pixels.rect() : state->client_rect());
        gfx::Rect on_screen = shown.translated(c.rect.location());

        gfx::Bitmap seen = screen_copy(on_screen);
        for (int y = 0; y < seen.height(); ++y)
            for (int x = 0; x < seen.width(); ++x)
                ASSERT_EQ(seen.word(x, y), pattern(shown.x + x, shown.y + y)) << x << "," << y;

        ::Window mirror = backend().mirror_of(w);
        ASSERT_NE(mirror, 0u);
        EXPECT_EQ(window_rect(observer(), mirror), on_screen);
        EXPECT_TRUE(is_viewable(observer(), mirror));
        DestroyWindow(w);
        EXPECT_FALSE(window_rect(observer(), mirror));
    }
}

TEST_F(X11BackendTest, MovesTitlesVisibilityAndStackingFollow)
{
    HWND a = window({ 0, 0, 50, 50 });
    HWND b = window({ 20, 20, 50, 50 });
    ::Window xa = backend().mirror_of(a), xb = backend().mirror_of(b);

    ASSERT_TRUE(MoveWindow(a, 100, 110, 60, 40, 1));
    backend().flush();
    EXPECT_EQ(window_rect(observer(), xa), (gfx::Rect { 100, 110, 60, 40 }));

    ASSERT_TRUE(SetWindowTextA(a, "moved"));
    XSync(backend().connection().get(), False);
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(observer().get(), xa, &name));
    EXPECT_STREQ(name, "moved");
    XFree(name);

    ShowWindow(b, SW_HIDE);
    XSync(backend().connection().get(), False);
    EXPECT_FALSE(is_viewable(observer(), xb));
    ShowWindow(b, SW_SHOW);
    XSync(backend().connection().get(), False);
    EXPECT_TRUE(is_viewable(observer(), xb));

    MoveWindow(a, 20, 20, 50, 50, 1);  // over b again
    auto top_color = [&] {
        ScopedWindowDC dc(GetDC(0), 0);
        return GetPixel(dc.get(), 40, 40);
    };
    ScopedWindowDC da(GetWindowDC(a), a), db(GetWindowDC(b), b);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) {
            SetPixel(da.get(), x, y, 0x0000FF);
            SetPixel(db.get(), x, y, 0xFF0000);
        }
    EXPECT_EQ(top_color(), COLORREF(0xFF0000));  // b, shown again, is on top
    ASSERT_TRUE(BringWindowToTop(a));
    EXPECT_EQ(top_color(), COLORREF(0x0000FF));
}

TEST_F(X11BackendTest, WindowRegionIsTheBoundingShape)
{
    HWND w = window({ 10, 10, 80, 60 });
    HRGN region = CreateRectRgn(0, 0, 80, 10);
    ScopedGdiObject bar(CreateRectRgn(20, 10, 40, 60));
    CombineRgn(region, region, bar.get(), RGN_OR);
    ASSERT_TRUE(SetWindowRgn(w, region, 1));
    XSync(backend().connection().get(), False);

    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(observer().get(), backend().mirror_of(w), ShapeBounding, &count, &ordering);
    std::vector<gfx::Rect> got;
    for (int i = 0; i < count; ++i)
        got.push_back({ rects[i].x, rects[i].y, rects[i].width, rects[i].height });
    XFree(rects);
    EXPECT_EQ(got, (std::vector<gfx::Rect> { { 0, 0, 80, 10 }, { 20, 10, 20, 50 } }));
}

TEST_F(X11BackendTest, PointerIsTheRealPointer)
{
    ASSERT_TRUE(SetCursorPos(321, 123));
    EXPECT_EQ(pointer_position(observer()), (gfx::Point { 321, 123 }));
    warp_pointer(observer(), { 17, 19 });
    POINT p;
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 17);
    EXPECT_EQ(p.y, 19);
}

TEST_F(X11BackendTest, ButtonsKeysAndCloseBecomeMessages)
{
    HWND w = window({ 100, 50, 80, 60 });
    std::vector<MSG> got;
    set_window_procedure(w, [&](HWND h, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONUP || message == WM_KEYDOWN || message == WM_CLOSE)
            got.push_back({ h, message, wparam, lparam });
        return DefWindowProcA(h, message, wparam, lparam);
    });
    settle();
    move_pointer({ 110, 70 });
    press(1, true);
    press(1, false);
    press(3, true);
    press(3, false);
    ASSERT_TRUE(pump_until([&] { return got.size() >= 2; }));
    EXPECT_EQ(got[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(got[0].lParam, MAKELPARAM(10, 20));
    EXPECT_EQ(got[1].message, WM_RBUTTONUP);

    ::Display* d = observer().get();
    XSetInputFocus(d, backend().mirror_of(w), RevertToParent, CurrentTime);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Escape), True, CurrentTime);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Escape), False, CurrentTime);
    XSync(d, False);
    ASSERT_TRUE(pump_until([&] { return got.size() >= 3; }));
    EXPECT_EQ(got[2].message, WM_KEYDOWN);
    EXPECT_EQ(got[2].wParam, WPARAM(VK_ESCAPE));

    // The window manager's close button: WM_CLOSE, whose default destroys the window.
    ::Window mirror = backend().mirror_of(w);
    XEvent close {};
    close.xclient.type = ClientMessage;
    close.xclient.window = mirror;
    close.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, mirror, False, NoEventMask, &close);
    XSync(d, False);
    ASSERT_TRUE(pump_until([&] { return !IsWindow(w); }));
    EXPECT_EQ(got.back().message, WM_CLOSE);
    EXPECT_FALSE(window_rect(observer(), mirror));
}

TEST_F(X11BackendTest, DragMovesTheRealWindow)
{
    HWND w = window({ 50, 50, 100, 80 });
    set_window_procedure(w, drag_anywhere);
    settle();
    move_pointer({ 60, 60 });
    press(1, true);
    for (int step = 1; step <= 4; ++step)
        move_pointer({ 60 + 25 * step, 60 + 10 * step });
    press(1, false);
    RECT r {};
    ASSERT_TRUE(pump_until([&] { return GetWindowRect(w, &r) && r.left == 150 && GetCapture() == 0; }));
    EXPECT_EQ(r.top, 90);
    EXPECT_EQ(window_rect(observer(), backend().mirror_of(w)), (gfx::Rect { 150, 90, 100, 80 }));
}

TEST_F(X11BackendTest, DragIsHandedToAWindowManagerThatOffersIt)
{
    HWND w = window({ 50, 50, 100, 80 });
    set_window_procedure(w, drag_anywhere);
    settle();
    // The observer plays the window manager: it announces the move and receives the request.
    ::Display* d = observer().get();
    Atom supported[] = { XInternAtom(d, "_NET_WM_MOVERESIZE", False) };
    XChangeProperty(d, observer().root(), XInternAtom(d, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(supported), 1);
    XSelectInput(d, observer().root(), SubstructureRedirectMask);
    XSync(d, False);

    move_pointer({ 70, 65 });
    press(1, true);
    std::optional<XClientMessageEvent> request;
    ASSERT_TRUE(pump_until([&] {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == ClientMessage && e.xclient.message_type == supported[0])
                request = e.xclient;
        }
        return request.has_value();
    }));
    EXPECT_EQ(request->window, backend().mirror_of(w));
    EXPECT_EQ(request->data.l[0], 70);
    EXPECT_EQ(request->data.l[1], 65);
    EXPECT_EQ(request->data.l[2], 8);  // move
    EXPECT_EQ(GetCapture(), 0u);        // the display runs no loop of its own
    press(1, false);
}

TEST_F(X11BackendTest, MirrorDestroyedByAnotherClientBreaksNothing)
{
    HWND w = window({ 0, 0, 40, 40 });
    XDestroyWindow(observer().get(), backend().mirror_of(w));
    XSync(observer().get(), False);

    draw_pattern(w);
    EXPECT_TRUE(MoveWindow(w, 5, 5, 30, 30, 1));
    EXPECT_TRUE(SetWindowTextA(w, "still here"));
    HRGN region = CreateRectRgn(0, 0, 10, 10);
    EXPECT_TRUE(SetWindowRgn(w, region, 1));
    screen_copy({ 0, 0, 40, 40 });
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_FALSE(backend().connection().lost());
}

// Another program's plain window, its background one colour, mapped and painted by the server.
::Window foreign_window(Connection& other, gfx::Rect rect, unsigned long color)
{
    ::Window w = XCreateSimpleWindow(other.get(), other.root(), rect.x, rect.y, static_cast<unsigned>(rect.width),
        static_cast<unsigned>(rect.height), 0, 0, color);
    XMapWindow(other.get(), w);
    XSync(other.get(), False);
    return w;
}

void set_active_window(Connection& wm, ::Window active)
{
    XChangeProperty(wm.get(), wm.root(), XInternAtom(wm.get(), "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(&active), 1);
    XSync(wm.get(), False);
}

TEST_F(X11BackendTest, AnotherProgramsWindowIsCapturedThroughItsHandleUntilItIsGone)
{
    ::Window x_window = foreign_window(observer(), { 30, 40, 60, 50 }, 0x3366cc);
    // One of our windows, shown later, covers its corner: the capture shows it as a person sees it.
    HWND ours = window({ 0, 0, 40, 50 });
    {
        ScopedWindowDC ours_dc(GetWindowDC(ours), ours);
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 40; ++x)
                SetPixel(ours_dc.get(), x, y, gfx::Color { 255, 0, 0 }.to_colorref());
    }

    HWND h = x11_window_handle(x_window);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(x11_window_handle(x_window), h);
    EXPECT_NE(h, ours);
    RECT r {};
    ASSERT_TRUE(GetWindowRect(h, &r));
    EXPECT_EQ((gfx::Rect::from_edges(r.left, r.top, r.right, r.bottom)), (gfx::Rect { 30, 40, 60, 50 }));
    EXPECT_EQ(x11_window_handle(observer().root()), GetDesktopWindow());
    EXPECT_EQ(x11_window_handle(backend().mirror_of(ours)), ours);

    auto capture = [&]() -> std::optional<gfx::Bitmap> {
        ScopedWindowDC source(GetWindowDC(h), h);
        ScopedMemoryDC memory(CreateCompatibleDC(source.get()));
        ScopedGdiObject bitmap(CreateCompatibleBitmap(source.get(), 60, 50));
        ScopedSelection selected(memory.get(), bitmap.get());
        if (!BitBlt(memory.get(), 0, 0, 60, 50, source.get(), 0, 0, SRCCOPY))
            return std::nullopt;
        return *bitmap_pixels(bitmap.get());
    };
    auto pixels = capture();
    ASSERT_TRUE(pixels);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x) {
            uint32_t want = x < 10 && y < 10 ? 0xff0000 : 0x3366cc;
            ASSERT_EQ(pixels->word(x, y) & 0xffffff, want) << x << "," << y;
        }

    XDestroyWindow(observer().get(), x_window);
    XSync(observer().get(), False);
    EXPECT_FALSE(capture());
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(GetWindowRect(h, &r));
    EXPECT_EQ(x11_window_handle(x_window), 0u);
    EXPECT_FALSE(backend().connection().lost());
}

// A picker's tick reads the pointer, then the pixel under it. While the pointer rests, that pixel
// is read along with the pointer; whatever happens between ticks or within one, each tick answers
// what the screen shows under the pointer at that moment.
TEST_F(X11BackendTest, PickerTicksReadThePixelUnderThePointerAsTheScreenIsNow)
{
    auto colorref = [](uint32_t word) { return gfx::Color::from_pixel(word).to_colorref(); };
    ::Window other = foreign_window(observer(), { 0, 0, 100, 100 }, 0x102030);
    HWND ours = window({ 150, 150, 40, 40 });
    auto paint_ours = [&](uint32_t word) {
        ScopedWindowDC dc(GetWindowDC(ours), ours);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                SetPixel(dc.get(), x, y, colorref(word));
    };
    paint_ours(0xff0000);
    settle();
    warp_pointer(observer(), { 20, 30 });

    struct Step {
        const char* what;
        std::function<void()> before;   // before the tick
        std::function<void()> within;   // between its pointer read and its pixel read
        gfx::Point at;
        uint32_t shows;
    };
    const Step steps[] = {
        { "first tick", [] {}, [] {}, { 20, 30 }, 0x102030 },
        { "pointer at rest", [] {}, [] {}, { 20, 30 }, 0x102030 },
        { "another program repaints",
            [&] {
                XSetWindowBackground(observer().get(), other, 0x405060);
                XClearWindow(observer().get(), other);
                XSync(observer().get(), False);
            },
            [] {}, { 20, 30 }, 0x405060 },
        { "pointer moved onto our window", [&] { warp_pointer(observer(), { 160, 170 }); }, [] {}, { 160, 170 }, 0xff0000 },
        { "pointer at rest again", [] {}, [] {}, { 160, 170 }, 0xff0000 },
        { "our window drawn on within the tick", [] {}, [&] { paint_ours(0x00ff00); }, { 160, 170 }, 0x00ff00 },
        { "pointer moved back", [&] { warp_pointer(observer(), { 20, 30 }); }, [] {}, { 20, 30 }, 0x405060 },
    };
    ScopedWindowDC screen(GetWindowDC(0), 0);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.before();
        POINT at {};
        ASSERT_TRUE(GetCursorPos(&at));
        EXPECT_EQ((gfx::Point { at.x, at.y }), step.at);
        step.within();
        EXPECT_EQ(GetPixel(screen.get(), at.x, at.y), colorref(step.shows));
    }
    XDestroyWindow(observer().get(), other);
    XSync(observer().get(), False);
}

// Copies of the screen into new bitmaps: large ones are written by the server into the bitmap's
// own memory, small ones and ones reaching past the screen's edge are copied as any other read;
// each shows what is there, with the reserved byte another program left in its pixels cleared.
TEST_F(X11BackendTest, ScreenCopiesShowTheScreenWhateverTheirSize)
{
    const gfx::Size size = screen_size();
    ::Window other = foreign_window(observer(), gfx::Rect::of({}, size), 0);
    gfx::Bitmap painted(size);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            painted.scanline(y)[x] = 0xFF000000 | pattern(x, y);
    ASSERT_TRUE(ImageWriter(observer()).write(other, painted, painted.rect()));
    XSync(observer().get(), False);

    const gfx::Rect areas[] = {
        gfx::Rect::of({}, size),
        { 7, 3, 300, 400 },
        { 20, 30, 5, 4 },
        { size.width - 50, size.height - 20, 100, 60 },  // past the corner: that part stays black
    };
    for (gfx::Rect area : areas) {
        SCOPED_TRACE(::testing::Message() << area.x << "," << area.y << " " << area.width << "x" << area.height);
        gfx::Bitmap copy = screen_copy(area);
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x) {
                int sx = area.x + x, sy = area.y + y;
                uint32_t want = sx < size.width && sy < size.height ? pattern(sx, sy) : 0;
                ASSERT_EQ(copy.word(x, y), want) << x << "," << y;
            }
    }
    // A new copy after the last has gone, and one made while another is held.
    gfx::Bitmap held = screen_copy(gfx::Rect::of({}, size));
    gfx::Bitmap again = screen_copy(gfx::Rect::of({}, size));
    EXPECT_EQ(held.word(size.width - 1, size.height - 1), pattern(size.width - 1, size.height - 1));
    EXPECT_EQ(again.word(3, 2), pattern(3, 2));
}

TEST_F(X11BackendTest, ForegroundWindowFollowsTheActiveWindowProperty)
{
    HWND own = window({ 0, 0, 40, 40 });
    HWND other = window({ 50, 0, 40, 40 });
    ASSERT_TRUE(SetForegroundWindow(own));
    ::Window x_window = foreign_window(observer(), { 100, 100, 20, 20 }, 0x00ff00);
    settle();

    struct Case {
        std::optional<::Window> active;  // nothing: the property is removed
        HWND expected;
    };
    const Case cases[] = {
        { std::nullopt, own },
        { backend().mirror_of(other), other },
        { x_window, x11_window_handle(x_window) },
        { ::Window(None), own },
    };
    for (const Case& c : cases) {
        if (c.active)
            set_active_window(observer(), *c.active);
        else
            XDeleteProperty(observer().get(), observer().root(), XInternAtom(observer().get(), "_NET_ACTIVE_WINDOW", False));
        XSync(observer().get(), False);
        EXPECT_EQ(GetForegroundWindow(), c.expected) << (c.active ? *c.active : 0);
    }
    // The active window gone: the display's own answer again.
    set_active_window(observer(), x_window);
    XDestroyWindow(observer().get(), x_window);
    XSync(observer().get(), False);
    EXPECT_EQ(GetForegroundWindow(), own);
}

TEST_F(X11BackendTest, LostServerLeavesTheDisplayWorking)
{
    HWND w = window({ 0, 0, 40, 40 });
    server().kill();
    draw_pattern(w);
    EXPECT_TRUE(MoveWindow(w, 5, 5, 30, 30, 1));
    screen_copy({ 0, 0, 10, 10 });
    POINT p;
    GetCursorPos(&p);
    HWND later = window({ 0, 0, 10, 10 });
    EXPECT_NE(later, 0u);
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_TRUE(backend().connection().lost());
}

TEST(X11ForeignWindowTest, MemoryDisplayHandsOutNoHandleForAnXWindowId)
{
    reset_display();
    EXPECT_EQ(x11_window_handle(0x200001), 0u);
    EXPECT_EQ(x11_window_handle(0), 0u);
}

TEST(X11DisplayChoiceTest, TheRegistryKnowsTheBuiltNamesAndNoOther)
{
    // Wayland, when built, comes first: auto asks the compositor before its XWayland server.
    std::vector<std::string> expected { "x11", "memory", "auto" };
    if (VELMO_WAYLAND_BUILT)
        expected.insert(expected.begin(), "wayland");
    EXPECT_EQ(display_names(), expected);
    reset_display({ { 320, 200 } });
    HWND kept = window({ 0, 0, 10, 10 });
    for (std::string_view unknown : { "X11", "" }) {
        EXPECT_THROW(use_display(unknown), BackendUnavailable) << unknown;
        EXPECT_TRUE(IsWindow(kept)) << unknown;  // the display in use stays
    }
    EXPECT_EQ(use_display("memory"), "memory");
    EXPECT_FALSE(display_backend().is_real());
    reset_display();
}

TEST(X11DisplayChoiceTest, NoServerIsAnErrorForX11AndTheMemoryDisplayForAuto)
{
    std::optional<std::string> saved;
    if (const char* d = std::getenv("DISPLAY"))
        saved = d;
    setenv("DISPLAY", ":4093", 1);
    reset_display({ { 320, 200 } });
    HWND kept = window({ 0, 0, 10, 10 });
    EXPECT_THROW(use_display("x11"), ConnectionError);
    EXPECT_TRUE(IsWindow(kept));  // the display in use stays
    EXPECT_EQ(use_display("auto"), "memory");
    unsetenv("DISPLAY");
    EXPECT_EQ(use_display("auto"), "memory");
    if (saved)
        setenv("DISPLAY", saved->c_str(), 1);
    reset_display();
}

}  // namespace
}  // namespace velmo::platform::x11
