#include "cli/screen_overlay.h"

#include <string>

#include "cli/error_output.h"
#include "cli/real_display.h"
#include "platform/display.h"
#include "platform/display_backend.h"
#include "platform/gdi.h"
#include "platform/messages.h"
#include "platform/user.h"

namespace velmo::cli {

using namespace velmo::platform;

namespace {

gfx::Bitmap read_screen()
{
    ScopedWindowDC screen(GetDC(0), 0);
    auto source = reading_source(screen.get());
    if (!source || source->area.is_empty())
        fail("the screen has no pixels to show");
    gfx::Bitmap pixels(source->area.size());
    pixels.copy_from(*source->bitmap, source->area.translated(source->origin), { 0, 0 });
    return pixels;
}

using Kind = ScreenOverlay::Input::Kind;

// The input a message stands for; nothing for the messages the overlay passes on.
std::optional<ScreenOverlay::Input> input_of(const MSG& msg)
{
    gfx::Point at { GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam) };
    switch (msg.message) {
    case WM_MOUSEMOVE: return ScreenOverlay::Input { Kind::Moved, at };
    case WM_LBUTTONDOWN: return ScreenOverlay::Input { Kind::LeftDown, at };
    case WM_LBUTTONUP: return ScreenOverlay::Input { Kind::LeftUp, at };
    case WM_RBUTTONDOWN: return ScreenOverlay::Input { Kind::Cancelled, at };
    case WM_KEYDOWN:
        if (msg.wParam == WPARAM(VK_ESCAPE))
            return ScreenOverlay::Input { Kind::Cancelled, at };
        return std::nullopt;
    default: return std::nullopt;
    }
}

}  // namespace

ScreenOverlay::ScreenOverlay(const char* purpose)
    : frozen_(read_screen())
{
    POINT pointer {};
    GetCursorPos(&pointer);
    pointer_ = { pointer.x, pointer.y };

    ScopedWindowDC screen(GetDC(0), 0);
    dc_ = ScopedMemoryDC(CreateCompatibleDC(screen.get()), 0);
    bitmap_ = ScopedGdiObject(CreateCompatibleBitmap(screen.get(), frozen_.width(), frozen_.height()), 0);
    selection_.emplace(dc_.get(), bitmap_.get());

    WindowDesc desc;
    desc.rect = frozen_.rect();
    desc.style = WindowStyle::borderless();
    desc.title = "velmo";
    desc.visible = true;
    window_ = create_window(desc);
    if (!window_)
        fail("cannot make a window over the screen");
    show(frozen_);
    const Window* state = find_window(window_);
    if (!state || !display_backend().hold_screen(*state)) {
        DestroyWindow(window_);
        window_ = 0;
        fail(std::string(purpose) + " is not available on this display: no window may hold the pointer over the whole screen here (X11 allows it)");
    }
}

ScreenOverlay::~ScreenOverlay()
{
    if (window_)
        DestroyWindow(window_);
}

ScreenOverlay::Input ScreenOverlay::next()
{
    // A heartbeat, so a lost connection is noticed while nothing else happens.
    UINT_PTR heartbeat = SetTimer(0, 0, 250);
    std::optional<Input> input;
    MSG msg;
    while (!input && GetMessageA(&msg, 0, 0, 0) > 0) {
        if (auto lost = display_lost()) {
            KillTimer(0, heartbeat);
            fail(*lost);
        }
        input = input_of(msg);
        if (!input)
            DispatchMessageA(&msg);
    }
    KillTimer(0, heartbeat);
    if (!input)
        fail("the display closed");
    // Only the newest of the moves waiting matters: each one is a whole picture to draw.
    while (input->kind == Kind::Moved && PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE) && msg.message == WM_MOUSEMOVE) {
        PeekMessageA(&msg, 0, 0, 0, PM_REMOVE);
        input = input_of(msg);
    }
    return *input;
}

void ScreenOverlay::show(const gfx::Bitmap& picture)
{
    if (auto target = drawing_target(dc_.get()); target && target->bitmap->size() == picture.size())
        target->bitmap->copy_from(picture, picture.rect(), { 0, 0 });
    show_bitmap(window_, dc_.get());
}

}  // namespace velmo::cli
