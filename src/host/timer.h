// Timer: the host's timer control. While Enabled and Interval > 0 it raises its Timer event every
// Interval milliseconds, through the thread's message loop (DoEvents, the run loop), to the sinks
// connected to it. Interval 0 stops it; a negative Interval raises 380 and changes nothing.
// A timer ticks on a hidden window of its own, a child of its form's window when it has a form.
#pragma once

#include <memory>

#include "automation/event_source.h"
#include "automation/object.h"
#include "platform/types.h"

namespace velmo::host {

class Timer : public Object {
public:
    // A new timer: enabled, Interval 0 (so not ticking), on the form window `form` (0: none).
    static std::shared_ptr<Timer> create(platform::HWND form = 0);
    ~Timer() override;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const ClassInfo& class_info() const override;
    void connect_events(ObjectRef sink) { events_.connect(std::move(sink)); }
    void disconnect_events(const ObjectRef& sink) { events_.disconnect(sink); }
    EventSource* events() override { return &events_; }
    // Whether the window it ticks on still exists (a replaced display takes it away).
    bool usable() const;

    Long get_Interval() { return interval_; }
    void let_Interval(Long value);
    Boolean get_Enabled() { return enabled_ ? True : False; }
    void let_Enabled(Boolean value);

private:
    Timer() = default;
    void update();
    void tick();

    platform::HWND window_ = 0;
    int32_t interval_ = 0;
    bool enabled_ = true;
    EventSource events_;
};

}  // namespace velmo::host
