// clsKxLumoPickColFromMouseA: reports the colour of the screen pixel under the pointer through its
// event RGBUnderMousePointer, at the period in TimeInterval. The ticks come from Timer1 on the
// thread's hidden form (picker_form.h) and always go to the thread's ActivePicker, the newest
// picker, whichever picker started the timer.
#pragma once

#include <memory>

#include "automation/event_source.h"
#include "automation/object.h"

namespace velmo::picker {

class clsKxLumoPickColFromMouseA : public Object {
public:
    // A new picker, which becomes the thread's ActivePicker.
    static std::shared_ptr<clsKxLumoPickColFromMouseA> create();

    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }
    EventSource* events() override { return &events_; }

    void StartGettingRGB();
    void StopGettingRGB();
    Long get_TimeInterval() { return time_interval_; }
    void let_TimeInterval(Long value) { time_interval_ = value.value(); }

    // Callable from inside the library only: raises RGBUnderMousePointer to the connected sinks,
    // the four arguments passed on by reference.
    void RaiseRGBUnderMousePointer(Variant& R, Variant& G, Variant& b, Variant& lCol);

private:
    clsKxLumoPickColFromMouseA() = default;

    int32_t time_interval_ = 0;
    EventSource events_;
};

// The thread's newest picker; empty until the thread makes one.
std::shared_ptr<clsKxLumoPickColFromMouseA> ActivePicker();

}  // namespace velmo::picker
