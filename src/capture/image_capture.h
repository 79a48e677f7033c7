// clsKxLumoImageCaptureA: copies the pixels of a window, the screen, a host form or the foreground
// window into a new bitmap and hands it back as a picture object that owns it.
//
// Every member ends in CaptureWindow; the other five only work out which window and rectangle to
// pass, and call it through the class's own interface by name. All six run in skip-on-error mode:
// a failing statement is skipped and the member returns whatever picture it holds (possibly none);
// none of them raises. Nothing is validated here: zero or negative sizes and invalid handles reach
// the platform calls, which fail cleanly with 0 handles.
#pragma once

#include "automation/object.h"

namespace velmo::capture {

class clsKxLumoImageCaptureA : public Object {
public:
    clsKxLumoImageCaptureA();

    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    ObjectRef CaptureWindow(Long hWndSrc, Boolean Client, Long LeftSrc, Long TopSrc, Long WidthSrc, Long HeightSrc);
    ObjectRef CaptureScreen();
    ObjectRef CaptureForm(ByRef<ObjectRef> ofrmSrc);
    ObjectRef CaptureFormClient(ByRef<ObjectRef> ofrmSrc);
    ObjectRef CaptureActiveWindow();
    ObjectRef CaptureAnyWindow(ByRef<Long> lWindowHandle, ByRef<Boolean> bClient, ByRef<Long> lLeft, ByRef<Long> lTop,
        ByRef<Long> lWidth, ByRef<Long> lHeight);

    // The host's Screen object that CaptureScreen measures; the thread's own unless replaced.
    void use_screen(ObjectRef screen) { screen_ = std::move(screen); }

private:
    // CaptureWindow reached by name, with the argument values as they are: converting them to the
    // parameter types (half to even, overflow 6) is part of the call.
    ObjectRef capture_window_by_name(Variant window, Variant client, Variant left, Variant top, Variant width, Variant height);

    ObjectRef screen_;
};

}  // namespace velmo::capture
