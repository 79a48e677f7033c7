// `velmo capture --select` and `velmo pick --click` as a person runs them on an X server: the
// person's pointer and keys are XTest's. A window of the test shows a picture in which every pixel
// differs from its neighbours, the screen is read before velmo starts, and what velmo writes or
// prints is compared with that reading.
#define STB_IMAGE_IMPLEMENTATION
#include "support/command_run.h"
#include "support/png_file.h"
#include "support/xvfb_server.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

using Outcome = velmo::testing::CommandRun;

// A velmo running on the test's server while the test works the pointer and the keyboard. Every
// velmo started here checks for leaks on its way out; `timeout` turns a hang into a failure.
class Running : public velmo::testing::RunningCommand {
public:
    explicit Running(const std::string& arguments)
        : RunningCommand("ASAN_OPTIONS=detect_leaks=1 timeout 60 " + std::string(VELMO_EXE) + " --display x11 " + arguments)
    {
    }
};

struct Rgb {
    int red, green, blue;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

class SelectOnScreen : public velmo::testing::XvfbTest {
protected:
    fs::path dir = fs::temp_directory_path() / ("velmo-x11-select-" + std::to_string(::getpid()));
    ::Display* x = nullptr;
    ::Window picture = 0;
    XImage* screen = nullptr;  // the screen as read before velmo starts

    void SetUp() override
    {
        XvfbTest::SetUp();
        if (IsSkipped())
            return;
        fs::create_directories(dir);
        x = XOpenDisplay(server().name().c_str());
        ASSERT_NE(x, nullptr);
        show_picture();
        screen = XGetImage(x, DefaultRootWindow(x), 0, 0, 640, 480, AllPlanes, ZPixmap);
        ASSERT_NE(screen, nullptr);
    }
    void TearDown() override
    {
        if (screen)
            XDestroyImage(screen);
        if (x)
            XCloseDisplay(x);
        fs::remove_all(dir);
        XvfbTest::TearDown();
    }

    // A window over the whole screen whose pixels all differ from their neighbours, its own
    // background, so the server repaints it after velmo's window has covered it; it listens for
    // the buttons, so a click that gets through to it is seen.
    void show_picture()
    {
        ::Window root = DefaultRootWindow(x);
        XImage* image = XGetImage(x, root, 0, 0, 640, 480, AllPlanes, ZPixmap);
        for (int py = 0; py < 480; ++py)
            for (int px = 0; px < 640; ++px)
                XPutPixel(image, px, py, (unsigned long)((px & 0xFF) << 16 | (py & 0xFF) << 8 | ((px * 7 + py * 13) & 0xFF)));
        Pixmap pixmap = XCreatePixmap(x, root, 640, 480, DefaultDepth(x, DefaultScreen(x)));
        GC gc = XCreateGC(x, pixmap, 0, nullptr);
        XPutImage(x, pixmap, gc, image, 0, 0, 0, 0, 640, 480);
        XFreeGC(x, gc);
        XDestroyImage(image);
        XSetWindowAttributes attributes {};
        attributes.override_redirect = True;
        attributes.event_mask = ButtonPressMask | ButtonReleaseMask;
        attributes.background_pixmap = pixmap;
        picture = XCreateWindow(x, root, 0, 0, 640, 480, 0, CopyFromParent, InputOutput, CopyFromParent,
            CWOverrideRedirect | CWEventMask | CWBackPixmap, &attributes);
        XFreePixmap(x, pixmap);
        XMapWindow(x, picture);
        XSync(x, False);
    }

    Rgb before(int px, int py) const
    {
        unsigned long word = XGetPixel(screen, px, py);
        return { int(word >> 16 & 0xFF), int(word >> 8 & 0xFF), int(word & 0xFF) };
    }

    // Waits until velmo holds the pointer: the test's own grab is then refused.
    bool wait_for_the_grab()
    {
        for (int tries = 0; tries < 400; ++tries) {
            int answer = XGrabPointer(x, DefaultRootWindow(x), False, 0, GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
            if (answer == GrabSuccess)
                XUngrabPointer(x, CurrentTime);
            XSync(x, False);
            if (answer == AlreadyGrabbed)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    void move(int px, int py)
    {
        XTestFakeMotionEvent(x, 0, px, py, 0);
        XSync(x, False);
    }
    void button(int number, bool down)
    {
        XTestFakeButtonEvent(x, number, down, 0);
        XSync(x, False);
    }
    void key(KeySym symbol)
    {
        KeyCode code = XKeysymToKeycode(x, symbol);
        XTestFakeKeyEvent(x, code, True, 0);
        XTestFakeKeyEvent(x, code, False, 0);
        XSync(x, False);
    }
    void drag(int from_x, int from_y, int to_x, int to_y)
    {
        move(from_x, from_y);
        button(1, true);
        move((from_x + to_x) / 2, (from_y + to_y) / 2);
        move(to_x, to_y);
        button(1, false);
    }

    // The presses the picture window was sent. (A release after velmo has gone, as when Escape
    // came while the button was down, reaches it rightly.)
    int clicks_that_got_through()
    {
        XSync(x, False);
        int seen = 0;
        XEvent event;
        while (XCheckWindowEvent(x, picture, ButtonPressMask | ButtonReleaseMask, &event))
            seen += event.type == ButtonPress;
        return seen;
    }
};

TEST_F(SelectOnScreen, TheDraggedRectangleIsCapturedPixelForPixel)
{
    if (IsSkipped())
        return;
    struct Case {
        int from_x, from_y, to_x, to_y;
        int left, top, width, height;
    } cases[] = {
        { 100, 50, 260, 170, 100, 50, 160, 120 },  // down and right
        { 400, 300, 330, 210, 330, 210, 70, 90 },   // up and left: the corners swap
        { 0, 0, 639, 479, 0, 0, 639, 479 },         // from the screen's corner
    };
    for (const Case& c : cases) {
        fs::path file = dir / ("part-" + std::to_string(c.left) + ".png");
        Running velmo("capture --select -o " + file.string());
        ASSERT_TRUE(wait_for_the_grab());
        drag(c.from_x, c.from_y, c.to_x, c.to_y);
        Outcome run = velmo.finish();
        ASSERT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, "Wrote " + file.string() + ": " + std::to_string(c.width) + " x " + std::to_string(c.height) + " pixels of the selection\n");
        velmo::testing::Png png = velmo::testing::load_png(file);
        ASSERT_TRUE(png.pixels) << file;
        ASSERT_EQ(png.width, c.width);
        ASSERT_EQ(png.height, c.height);
        int wrong = 0;
        for (int py = 0; py < c.height; ++py)
            for (int px = 0; px < c.width; ++px) {
                auto got = png.rgb(px, py);
                wrong += Rgb { got[0], got[1], got[2] } != before(c.left + px, c.top + py);
            }
        EXPECT_EQ(wrong, 0) << "pixels that differ from the screen in the selection from " << c.left << "," << c.top;
        EXPECT_EQ(clicks_that_got_through(), 0);
    }
}

TEST_F(SelectOnScreen, CancellingOrAnEmptySelectionWritesNoFile)
{
    if (IsSkipped())
        return;
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* err;
    } cases[] = {
        { "Escape before the drag", [this] { move(50, 60); key(XK_Escape); },
            "velmo: the selection was cancelled; nothing was written\n" },
        { "Escape during the drag", [this] { move(50, 60); button(1, true); move(90, 90); key(XK_Escape); button(1, false); },
            "velmo: the selection was cancelled; nothing was written\n" },
        { "a right click", [this] { move(50, 60); button(3, true); button(3, false); },
            "velmo: the selection was cancelled; nothing was written\n" },
        { "a click without a drag", [this] { move(50, 60); button(1, true); button(1, false); },
            "velmo: the selection is empty: hold the left button down and drag across the area to capture\n" },
        { "a drag along a line", [this] { drag(50, 60, 150, 60); },
            "velmo: the selection is empty: hold the left button down and drag across the area to capture\n" },
    };
    for (const Case& c : cases) {
        fs::path file = dir / "never.png";
        Running velmo("capture --select -o " + file.string());
        ASSERT_TRUE(wait_for_the_grab()) << c.what;
        c.act();
        Outcome run = velmo.finish();
        EXPECT_EQ(run.exit_code, 1) << c.what;
        EXPECT_EQ(run.out, "") << c.what;
        EXPECT_EQ(run.err, c.err) << c.what;
        EXPECT_FALSE(fs::exists(file)) << c.what;
        EXPECT_EQ(clicks_that_got_through(), 0) << c.what;
    }
}

TEST_F(SelectOnScreen, PickClickPrintsTheColourClickedOnOnceAndTheClickStaysOurs)
{
    if (IsSkipped())
        return;
    auto hex = [](Rgb c) {
        char text[8];
        std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red, c.green, c.blue);
        return std::string(text);
    };
    auto full_line = [&](int px, int py) {
        Rgb c = before(px, py);
        char text[96];
        std::snprintf(text, sizeof text, "%d,%d  R %02X G %02X B %02X  %s  %d", px, py, c.red, c.green, c.blue, hex(c).c_str(),
            c.red + 256 * c.green + 65536 * c.blue);
        return std::string(text);
    };
    struct Case {
        const char* options;
        int px, py;
        std::function<std::string(int, int)> line;
    } cases[] = {
        { "", 123, 45, full_line },
        { "--format hex", 300, 222, [&](int px, int py) { return hex(before(px, py)); } },
        { "--format rgb", 7, 470, [&](int px, int py) {
             Rgb c = before(px, py);
             return "rgb(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " + std::to_string(c.blue) + ")";
         } },
        { "--json", 639, 0, [&](int px, int py) {
             Rgb c = before(px, py);
             char text[160];
             std::snprintf(text, sizeof text, "{\"x\":%d,\"y\":%d,\"R\":\"%02X\",\"G\":\"%02X\",\"B\":\"%02X\",\"hex\":\"%s\",\"value\":%d}", px, py,
                 c.red, c.green, c.blue, hex(c).c_str(), c.red + 256 * c.green + 65536 * c.blue);
             return std::string(text);
         } },
    };
    for (const Case& c : cases) {
        Running velmo(std::string("pick --click ") + c.options);
        ASSERT_TRUE(wait_for_the_grab()) << c.options;
        move(c.px + 30, c.py / 2);  // the pointer wanders over the picture first
        move(c.px, c.py);
        button(1, true);
        button(1, false);
        Outcome run = velmo.finish();
        EXPECT_EQ(run.exit_code, 0) << c.options << ": " << run.err;
        EXPECT_EQ(run.out, c.line(c.px, c.py) + "\n") << c.options;
        EXPECT_EQ(run.err, "") << c.options;
        EXPECT_EQ(clicks_that_got_through(), 0) << c.options;
    }
}

TEST_F(SelectOnScreen, PickClickCancelledByEscapeOrTheRightButtonPrintsNothing)
{
    if (IsSkipped())
        return;
    struct Case {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        { "Escape", [this] { move(200, 100); key(XK_Escape); } },
        { "a right click", [this] { move(200, 100); button(3, true); button(3, false); } },
    };
    for (const Case& c : cases) {
        Running velmo("pick --click --format hex");
        ASSERT_TRUE(wait_for_the_grab()) << c.what;
        c.act();
        Outcome run = velmo.finish();
        EXPECT_EQ(run.exit_code, 1) << c.what;
        EXPECT_EQ(run.out, "") << c.what;
        EXPECT_EQ(run.err, "velmo: the pick was cancelled; no colour was picked\n") << c.what;
        EXPECT_EQ(clicks_that_got_through(), 0) << c.what;
    }
}

}  // namespace
