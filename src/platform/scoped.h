// Move-only owners of the display's handles: each gives its handle back the way the handle was
// taken (ReleaseDC, DeleteDC, DeleteObject, selecting the previous object back).
#pragma once

#include <utility>

#include "platform/gdi.h"
#include "platform/user.h"

namespace velmo::platform {

template<typename Traits>
class Scoped {
public:
    Scoped() = default;
    explicit Scoped(HANDLE handle, HANDLE context = 0)
        : handle_(handle)
        , context_(context)
    {
    }
    Scoped(Scoped&& other) noexcept
        : handle_(std::exchange(other.handle_, 0))
        , context_(other.context_)
    {
    }
    Scoped& operator=(Scoped&& other) noexcept
    {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, 0);
            context_ = other.context_;
        }
        return *this;
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    ~Scoped() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }
    // Gives up ownership without giving the handle back.
    HANDLE release() { return std::exchange(handle_, 0); }
    void reset()
    {
        if (handle_)
            Traits::give_back(std::exchange(handle_, 0), context_);
    }

private:
    HANDLE handle_ = 0;
    HANDLE context_ = 0;  // the window of a window context; the context of a selection
};

struct WindowDcTraits {
    static void give_back(HDC dc, HWND window) { ReleaseDC(window, dc); }
};
struct MemoryDcTraits {
    static void give_back(HDC dc, HANDLE) { DeleteDC(dc); }
};
struct GdiObjectTraits {
    static void give_back(HGDIOBJ object, HANDLE) { DeleteObject(object); }
};
struct SelectionTraits {
    static void give_back(HGDIOBJ previous, HDC dc) { SelectObject(dc, previous); }
};

// From GetDC or GetWindowDC: ScopedWindowDC dc(GetDC(window), window).
using ScopedWindowDC = Scoped<WindowDcTraits>;
// From CreateCompatibleDC.
using ScopedMemoryDC = Scoped<MemoryDcTraits>;
// A bitmap, region or palette.
using ScopedGdiObject = Scoped<GdiObjectTraits>;

// Selects an object into a memory context and selects the previous one back at the end.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object)
        : previous_(SelectObject(dc, object), dc)
    {
    }
    bool selected() const { return static_cast<bool>(previous_); }

private:
    Scoped<SelectionTraits> previous_;
};

}  // namespace velmo::platform
