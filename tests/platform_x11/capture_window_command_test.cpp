// `velmo capture --window` on a real display, as a person runs it: another program's X window id,
// in hexadecimal or decimal, is captured like one of velmo's own handles.
#include "support/command_run.h"
#include "support/xvfb_server.h"

#include <X11/Xlib.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Runs velmo on the test's server (DISPLAY names it); stderr joins stdout.
Outcome velmo(const std::string& arguments)
{
    return velmo::testing::run_command(std::string(VELMO_EXE) + " --display x11 " + arguments,
        velmo::testing::StandardError::JoinedToOutput);
}

class CaptureWindowCommand : public velmo::testing::XvfbTest {
protected:
    fs::path dir = fs::temp_directory_path() / ("velmo-x11-capture-" + std::to_string(::getpid()));
    void SetUp() override
    {
        XvfbTest::SetUp();
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        fs::remove_all(dir);
        XvfbTest::TearDown();
    }
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

}  // namespace
