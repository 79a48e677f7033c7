// Window: one window of the display, top-level or child. Its pixels cover the whole window, frame
// and caption included; the client area is the part inside the frame and below the caption.
//
// Invariant: pixels.size() == rect.size(), and the frame and caption in `pixels` are painted for
// the current style and title.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/messages.h"
#include "platform/region.h"
#include "platform/types.h"

namespace velmo::platform {

// What surrounds the client area.
struct WindowStyle {
    int border = 0;          // frame thickness on each side, pixels
    int caption = 0;         // caption bar height below the top frame, pixels
    bool own_dc = false;     // GetDC always answers the window's own context
    bool popup = false;      // a top-level window shown without a task bar entry; no behaviour yet

    // A sizable frame with caption, as a new top-level form has.
    static WindowStyle sizable() { return { 4, 20, false, false }; }
    // A fixed single frame, as a bordered child control has.
    static WindowStyle bordered_child() { return { 2, 0, false, false }; }
    static WindowStyle borderless() { return {}; }

    friend bool operator==(const WindowStyle&, const WindowStyle&) = default;
};

enum class ShowState { Normal, Minimized, Maximized };

struct Window {
    HWND handle = 0;
    HWND parent = 0;                // 0 for a top-level window (its parent is the desktop)
    gfx::Rect rect;                 // outer rectangle in the parent's client coordinates
    WindowStyle style;
    bool visible = false;
    ShowState show_state = ShowState::Normal;
    std::string title;
    gfx::Color background { 255, 255, 255 };
    std::optional<Region> region;   // window coordinates; none: the whole rectangle
    gfx::Bitmap pixels { {} };
    std::vector<HWND> children;     // bottom to top
    HDC own_dc = 0;
    std::function<void()> paint;    // run when the window is painted (messages.h)
    bool needs_paint = false;
    uint64_t paint_mark = 0;        // queue sequence number of the mark (message_queue.h)
    std::shared_ptr<const WNDPROC> procedure;  // none: DefWindowProcA
    // Another program's window on a display server (its id there), entered when asked for: not in
    // the window tree; its place and pixels are read from the server. 0 for the display's own windows.
    uint64_t server_id = 0;

    // The client area in window coordinates.
    gfx::Rect client_rect() const
    {
        int inset = style.border;
        int left = inset;
        int top = inset + style.caption;
        int right = std::max(left, rect.width - inset);
        int bottom = std::max(top, rect.height - inset);
        return gfx::Rect::from_edges(left, top, right, bottom);
    }
    bool shows() const { return visible && show_state != ShowState::Minimized; }
};

}  // namespace velmo::platform
