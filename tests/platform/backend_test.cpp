// The backend chosen when the display is made, and what the display reports to it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/display_backend.h"
#include "platform/gdi.h"
#include "platform/memory_backend.h"
#include "platform/user.h"
#include "platform/window.h"

namespace velmo::platform {
namespace {

// Draws like the memory backend and writes down every report as "what:handle".
class RecordingBackend final : public DisplayBackend {
public:
    explicit RecordingBackend(std::vector<std::string>& log) : memory_({ 300, 200 }, 32), log_(log) { }

    gfx::Size screen_size() const override { return memory_.screen_size(); }
    int bits_per_pixel() const override { return 32; }
    const gfx::Bitmap& screen(uint64_t generation, const std::function<std::vector<SceneLayer>()>& scene) override
    {
        return memory_.screen(generation, scene);
    }
    gfx::Point cursor_position() const override { return memory_.cursor_position(); }
    bool set_cursor_position(gfx::Point p) override { return memory_.set_cursor_position(p); }
    void wait_for_events(Deadline deadline) override { memory_.wait_for_events(deadline); }
    void wake() override { memory_.wake(); }

    void window_changed(const Window& w) override { note("changed", w.handle); }
    void window_restacked(const Window& parent) override { note("restacked", parent.handle); }
    void window_titled(const Window& w) override { note("titled", w.handle); }
    void window_reshaped(const Window& w) override { note("reshaped", w.handle); }
    void window_damaged(const Window& w) override { note("damaged", w.handle); }
    void window_destroyed(HWND w) override { note("destroyed", w); }

private:
    void note(const char* what, HWND handle) { log_.push_back(std::string(what) + ":" + std::to_string(handle)); }
    MemoryBackend memory_;
    std::vector<std::string>& log_;
};

TEST(Backend, ChosenAtCreationSetsTheScreenAndHearsEveryChange)
{
    std::vector<std::string> log;
    reset_display({ { 10, 10 }, 32, {}, ClockKind::Monotonic, [&](const DisplayOptions&) { return std::make_unique<RecordingBackend>(log); } });
    EXPECT_EQ(display_options().screen, (gfx::Size { 300, 200 }));

    WindowDesc desc;
    desc.rect = { 10, 10, 50, 40 };
    desc.visible = true;
    HWND a = create_window(desc);
    HWND b = create_window(desc);
    auto id = [](const char* what, HWND h) { return std::string(what) + ":" + std::to_string(h); };

    struct Case {
        const char* action;
        std::function<void()> run;
        std::string expected;
    };
    const Case cases[] = {
        { "title", [&] { SetWindowTextA(a, "x"); }, id("titled", a) },
        { "region", [&] { SetWindowRgn(a, CreateRectRgn(0, 0, 5, 5), 1); }, id("reshaped", a) },
        { "to top", [&] { BringWindowToTop(a); }, id("restacked", GetDesktopWindow()) },
        { "pixel", [&] { HDC dc = GetDC(b); SetPixel(dc, 1, 1, 0xFF); ReleaseDC(b, dc); }, id("damaged", b) },
        { "screen", [&] { HDC dc = GetDC(0); SetPixel(dc, 1, 1, 0xFF); ReleaseDC(0, dc); }, id("damaged", GetDesktopWindow()) },
        { "move", [&] { MoveWindow(b, 20, 20, 50, 40, 1); }, id("changed", b) },
        { "destroy", [&] { DestroyWindow(a); }, id("destroyed", a) },
    };
    for (const auto& c : cases) {
        log.clear();
        c.run();
        EXPECT_NE(std::find(log.begin(), log.end(), c.expected), log.end()) << c.action;
    }
    reset_display();
}

TEST(Backend, WithoutAFactoryTheScreenIsInMemory)
{
    reset_display({ { 64, 32 } });
    EXPECT_EQ(display_options().screen, (gfx::Size { 64, 32 }));
    EXPECT_EQ(GetDeviceCaps(GetDC(0), HORZRES), 64);
}

}  // namespace
}  // namespace velmo::platform
