// The screen overlay of capture --select and pick --click on the memory display, driven by the
// input injected into the display as a real display's input would drive it: what the drag selects,
// what cancels it, and what the overlay shows meanwhile (the frozen screen, the outline, the
// magnifier).
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "cli/screen_overlay.h"
#include "cli/selection.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/input.h"
#include "platform/messages.h"
#include "platform/scoped.h"
#include "platform/user.h"

namespace {

using namespace velmo;
using namespace velmo::platform;

const gfx::Color desktop { 0x3A, 0x6E, 0xA5 };
const gfx::Color patch { 0xC0, 0x40, 0x10 };

class Selection : public ::testing::Test {
protected:
    void SetUp() override
    {
        DisplayOptions options;
        options.screen = { 320, 240 };
        options.desktop = desktop;
        reset_display(options);
        // A patch of another colour, so the frozen screen is not all one colour.
        WindowDesc desc;
        desc.rect = { 50, 40, 60, 30 };
        desc.background = patch;
        desc.visible = true;
        ASSERT_NE(create_window(desc), 0u);
    }
    void TearDown() override { reset_display(); }

    static gfx::Bitmap screen()
    {
        ScopedWindowDC dc(GetDC(0), 0);
        auto source = reading_source(dc.get());
        gfx::Bitmap pixels(source->area.size());
        pixels.copy_from(*source->bitmap, source->area.translated(source->origin), { 0, 0 });
        return pixels;
    }
};

TEST_F(Selection, TheDragBetweenPressAndReleaseIsTheRectangleEitherWay)
{
    struct Case {
        gfx::Point press, release;
        gfx::Rect selected;
    } cases[] = {
        { { 40, 30 }, { 100, 80 }, { 40, 30, 60, 50 } },
        { { 100, 80 }, { 40, 30 }, { 40, 30, 60, 50 } },
        { { 200, 10 }, { 150, 90 }, { 150, 10, 50, 80 } },
        { { 60, 60 }, { 60, 60 }, { 60, 60, 0, 0 } },  // a click: empty, which the command refuses
    };
    for (const Case& c : cases) {
        inject_pointer_move(c.press.x, c.press.y);
        inject_button(MouseButton::Left, true);
        inject_pointer_move((c.press.x + c.release.x) / 2, (c.press.y + c.release.y) / 2);
        inject_pointer_move(c.release.x, c.release.y);
        inject_button(MouseButton::Left, false);
        cli::ScreenOverlay overlay("--select");
        auto selected = cli::select_area(overlay);
        ASSERT_TRUE(selected);
        EXPECT_EQ(*selected, c.selected) << c.press.x << "," << c.press.y;
    }
}

TEST_F(Selection, EscapeOrTheRightButtonCancelsAtAnyPoint)
{
    struct Case {
        const char* what;
        std::function<void(HWND overlay)> act;
    } cases[] = {
        { "a right click", [](HWND) { inject_pointer_move(30, 30); inject_click(MouseButton::Right); } },
        { "a right click in the drag",
            [](HWND) {
                inject_pointer_move(30, 30);
                inject_button(MouseButton::Left, true);
                inject_pointer_move(90, 90);
                inject_click(MouseButton::Right);
                inject_button(MouseButton::Left, false);
            } },
        { "Escape", [](HWND overlay) { PostMessageA(overlay, WM_KEYDOWN, WPARAM(VK_ESCAPE), 0); } },
    };
    for (const Case& c : cases) {
        cli::ScreenOverlay overlay("--select");
        c.act(overlay.window());
        EXPECT_FALSE(cli::select_area(overlay)) << c.what;
    }
}

TEST_F(Selection, TheOverlayShowsTheFrozenScreenTheOutlineAndTheMagnifiedPixels)
{
    const gfx::Bitmap before = screen();
    inject_pointer_move(40, 30);
    inject_button(MouseButton::Left, true);
    inject_pointer_move(60, 45);  // the corner of the patch lies under the pointer
    inject_button(MouseButton::Left, false);
    cli::ScreenOverlay overlay("--select");
    ASSERT_TRUE(cli::select_area(overlay));
    EXPECT_EQ(overlay.frozen().pixels().size(), before.pixels().size());
    EXPECT_TRUE(std::equal(before.pixels().begin(), before.pixels().end(), overlay.frozen().pixels().begin()));

    // What shows now: the last picture before the release, for the pointer at 60,45 and the
    // selection 40,30 to 60,45.
    const gfx::Bitmap shown = screen();
    // The outline runs just outside the selection, dashes of black and white from its corner.
    EXPECT_EQ(shown.pixel(39, 29), (gfx::Color { 0, 0, 0 }));
    EXPECT_EQ(shown.pixel(43, 29), (gfx::Color { 255, 255, 255 }));
    EXPECT_EQ(shown.pixel(39, 33), (gfx::Color { 255, 255, 255 }));
    // Inside it, and far from it, the frozen screen.
    for (gfx::Point p : { gfx::Point { 45, 35 }, gfx::Point { 55, 42 }, gfx::Point { 300, 10 } })
        EXPECT_EQ(shown.pixel(p.x, p.y), before.pixel(p.x, p.y)) << p.x << "," << p.y;
    // The magnifier stands 20 pixels right of and below the pointer, inside a 2-pixel border: 15 x
    // 15 pixels around the pointer, eight times as large.
    const gfx::Point lens { 60 + 20 + 2, 45 + 20 + 2 };
    for (int row = 0; row < 15; row += 2) {
        for (int column = 0; column < 15; column += 2) {
            if (row == 7 && column == 7)
                continue;  // framed; its inside is checked below
            gfx::Color expected = before.pixel(60 - 7 + column, 45 - 7 + row);
            for (gfx::Point in : { gfx::Point { 3, 3 }, gfx::Point { 4, 4 } })
                EXPECT_EQ(shown.pixel(lens.x + column * 8 + in.x, lens.y + row * 8 + in.y), expected) << row << "," << column;
        }
    }
    EXPECT_EQ(shown.pixel(lens.x + 7 * 8 + 4, lens.y + 7 * 8 + 4), before.pixel(60, 45));
    EXPECT_NE(before.pixel(53, 38), before.pixel(60, 45));  // the lens spans both colours
}

}  // namespace
