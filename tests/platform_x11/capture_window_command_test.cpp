// `velmo capture --window` on a real display, as a person runs it: another program's X window id,
// in hexadecimal or decimal, is captured like one of velmo's own handles.
#include "support/command_run.h"
#include "support/temp_folder.h"
#include "support/xvfb_server.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace {

namespace fs = std::filesystem;

using Outcome = velmo::testing::CommandRun;

// Runs velmo on the test's server (DISPLAY names it); stderr joins stdout. The sanitizer build's
// leak check runs in it, and a leak changes the exit code.
Outcome velmo(const std::string& arguments)
{
    return velmo::testing::run_command("ASAN_OPTIONS=detect_leaks=1 " + std::string(VELMO_EXE) + " --display x11 " + arguments,
        velmo::testing::StandardError::JoinedToOutput);
}

class CaptureWindowCommand : public velmo::testing::XvfbTest {
protected:
    velmo::testing::TempFolder dir { "velmo-x11-capture" };
};

TEST_F(CaptureWindowCommand, AnotherProgramsWindowByItsXIdInHexAndDecimal)
{
    if (IsSkipped())
        return;
    ::Display* other = XOpenDisplay(server().name().c_str());
    ASSERT_NE(other, nullptr);
    ::Window w = XCreateSimpleWindow(other, DefaultRootWindow(other), 20, 30, 48, 36, 0, 0, 0x33aa55);
    XMapWindow(other, w);
    XSync(other, False);

    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", w);
    for (const std::string& id : { std::string(hex), std::to_string(w) }) {
        fs::path png = dir / "window.png";
        Outcome run = velmo("capture --window " + id + " -o " + png.string());
        ASSERT_EQ(run.exit_code, 0) << run.out;
        EXPECT_NE(run.out.find("48 x 36 pixels of the window"), std::string::npos) << run.out;
        int width = 0, height = 0, channels = 0;
        std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> rgb(stbi_load(png.c_str(), &width, &height, &channels, 3), stbi_image_free);
        ASSERT_NE(rgb, nullptr);
        ASSERT_EQ(width, 48);
        ASSERT_EQ(height, 36);
        for (int i = 0; i < width * height; ++i)
            ASSERT_EQ((std::array<int, 3> { rgb.get()[3 * i], rgb.get()[3 * i + 1], rgb.get()[3 * i + 2] }), (std::array<int, 3> { 0x33, 0xaa, 0x55 }))
                << "pixel " << i;
        fs::remove(png);
    }

    XDestroyWindow(other, w);
    XSync(other, False);
    Outcome gone = velmo("capture --window " + std::string(hex) + " -o " + (dir / "gone.png").string());
    EXPECT_EQ(gone.exit_code, 1);
    EXPECT_EQ(gone.out.rfind("velmo: no window has the handle", 0), 0u) << gone.out;
    EXPECT_FALSE(fs::exists(dir / "gone.png"));
    XCloseDisplay(other);
}

TEST_F(CaptureWindowCommand, PointerIsTheServersCursorImageAtItsHotSpot)
{
    if (IsSkipped())
        return;
    ::Display* other = XOpenDisplay(server().name().c_str());
    ASSERT_NE(other, nullptr);
    const unsigned long colour = 0x2050a0;
    ::Window w = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 200, 160, 0, 0, colour);
    XMapWindow(other, w);
    XSync(other, False);
    XTestFakeMotionEvent(other, -1, 70, 50, CurrentTime);
    XSync(other, False);
    XFixesCursorImage* cursor = XFixesGetCursorImage(other);
    ASSERT_NE(cursor, nullptr);

    fs::path png = dir / "pointer.png";
    Outcome run = velmo("capture --pointer --rect 10,10,150,120 -o " + png.string());
    ASSERT_EQ(run.exit_code, 0) << run.out;
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> rgb(stbi_load(png.c_str(), &width, &height, &channels, 3), stbi_image_free);
    ASSERT_NE(rgb, nullptr);
    ASSERT_EQ(width, 150);
    ASSERT_EQ(height, 120);
    // The cursor's premultiplied pixels over the window's colour, its hot spot on (70, 50).
    int drawn = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int cx = x + 10 - (70 - cursor->xhot);
            int cy = y + 10 - (50 - cursor->yhot);
            uint32_t source = 0;
            if (cx >= 0 && cy >= 0 && cx < cursor->width && cy < cursor->height)
                source = static_cast<uint32_t>(cursor->pixels[cy * cursor->width + cx]);
            drawn += source >> 24 ? 1 : 0;
            std::array<int, 3> expected {};
            for (int k = 0; k < 3; ++k) {
                int shift = 16 - 8 * k;
                int below = int((colour >> shift) & 0xFF);
                expected[k] = std::min(255, int((source >> shift) & 0xFF) + (below * (255 - int(source >> 24)) + 127) / 255);
            }
            const stbi_uc* got = rgb.get() + 3 * (y * width + x);
            ASSERT_EQ((std::array<int, 3> { got[0], got[1], got[2] }), expected) << "pixel " << x << "," << y;
        }
    }
    EXPECT_GT(drawn, 10) << "the server's cursor has a visible picture";
    XFree(cursor);
    XDestroyWindow(other, w);
    XCloseDisplay(other);
}

TEST_F(CaptureWindowCommand, MonitorsAreTheServersRandrMonitorsByNameOrIndex)
{
    if (IsSkipped())
        return;
    ::Display* other = XOpenDisplay(server().name().c_str());
    ASSERT_NE(other, nullptr);
    ::Window root = DefaultRootWindow(other);
    // The screen split into two monitors of its own naming, each showing a colour of its own.
    struct Half {
        const char* name;
        int x, width;
        unsigned long colour;
    } halves[] = { { "VELMO-LEFT", 0, 256, 0xc03010 }, { "VELMO-RIGHT", 256, 384, 0x1080f0 } };
    for (const Half& half : halves) {
        XRRMonitorInfo* monitor = XRRAllocateMonitor(other, 0);
        ASSERT_NE(monitor, nullptr);
        monitor->name = XInternAtom(other, half.name, False);
        monitor->x = half.x;
        monitor->y = 0;
        monitor->width = half.width;
        monitor->height = 480;
        monitor->mwidth = half.width / 4;
        monitor->mheight = 120;
        XRRSetMonitor(other, root, monitor);
        XRRFreeMonitors(monitor);
        XMapWindow(other, XCreateSimpleWindow(other, root, half.x, 0, unsigned(half.width), 480, 0, 0, half.colour));
    }
    XSync(other, False);

    for (size_t i = 0; i < std::size(halves); ++i) {
        const Half& half = halves[i];
        for (const std::string& wanted : { std::string(half.name), std::to_string(i) }) {
            fs::path png = dir / "monitor.png";
            Outcome run = velmo("capture --monitor " + wanted + " -o " + png.string());
            ASSERT_EQ(run.exit_code, 0) << wanted << ": " << run.out;
            int width = 0, height = 0, channels = 0;
            std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> rgb(stbi_load(png.c_str(), &width, &height, &channels, 3), stbi_image_free);
            ASSERT_NE(rgb, nullptr) << wanted;
            EXPECT_EQ(width, half.width) << wanted;
            EXPECT_EQ(height, 480) << wanted;
            const std::array<int, 3> expected { int(half.colour >> 16), int((half.colour >> 8) & 0xFF), int(half.colour & 0xFF) };
            int wrong = 0;
            for (int p = 0; p < width * height; ++p)
                wrong += std::array<int, 3> { rgb.get()[3 * p], rgb.get()[3 * p + 1], rgb.get()[3 * p + 2] } != expected;
            EXPECT_EQ(wrong, 0) << wanted;
        }
    }
    Outcome unknown = velmo("capture --monitor NOWHERE -o " + (dir / "none.png").string());
    EXPECT_EQ(unknown.exit_code, 1);
    EXPECT_NE(unknown.out.find("0 VELMO-LEFT, 1 VELMO-RIGHT"), std::string::npos) << unknown.out;
    EXPECT_FALSE(fs::exists(dir / "none.png"));
    XCloseDisplay(other);
}

}  // namespace
