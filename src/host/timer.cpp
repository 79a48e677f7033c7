#include "host/timer.h"

#include "platform/display.h"
#include "platform/messages.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

namespace {
constexpr UINT_PTR timer_id = 1;
}  // namespace

std::shared_ptr<Timer> Timer::create(HWND form)
{
    std::shared_ptr<Timer> timer(new Timer());
    WindowDesc desc;
    desc.parent = IsWindow(form) ? form : 0;
    desc.title = "Timer";
    timer->window_ = create_window(desc);
    std::weak_ptr<Object> weak = timer;
    set_window_procedure(timer->window_, [weak](HWND window, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
        if (message == WM_TIMER) {
            if (auto self = weak.lock())
                static_cast<Timer&>(*self).tick();
            return 0;
        }
        return DefWindowProcA(window, message, wparam, lparam);
    });
    return timer;
}

Timer::~Timer()
{
    if (window_)
        DestroyWindow(window_);
}

const ClassInfo& Timer::class_info() const
{
    static const ClassInfo info = [] {
        auto long_ = TypeName::of(VarType::Long);
        auto boolean = TypeName::of(VarType::Boolean);
        ClassInfo made { "Host", "Timer", Creatable::No,
            {
                property_get("Interval", &Timer::get_Interval, long_),
                property_let("Interval", &Timer::let_Interval, long_),
                property_get("Enabled", &Timer::get_Enabled, boolean),
                property_let("Enabled", &Timer::let_Enabled, boolean),
            },
            "TimerEvents", { event("Timer", {}) } };
        return made;
    }();
    return info;
}

bool Timer::usable() const { return IsWindow(window_) != 0; }

void Timer::let_Interval(Long value)
{
    if (value.value() < 0)
        raise(err::InvalidPropertyValue);
    interval_ = value.value();
    update();
}

void Timer::let_Enabled(Boolean value)
{
    enabled_ = value.raw != 0;
    update();
}

void Timer::update()
{
    if (enabled_ && interval_ > 0)
        SetTimer(window_, timer_id, static_cast<UINT>(interval_));
    else
        KillTimer(window_, timer_id);
}

void Timer::tick()
{
    auto self = shared_from_this();  // a handler may let the last reference go
    events_.raise("Timer", {});
}

}  // namespace velmo::host
