#include "host/do_events.h"

#include <deque>

#include "platform/display.h"
#include "platform/messages.h"
#include "platform/user.h"

namespace velmo::host {

namespace {
thread_local std::deque<std::function<void()>> pending;
}  // namespace

void DoEvents()
{
    // Painters call this before every primitive, and moving a deque allocates: only a queue that
    // holds something is taken.
    if (!pending.empty()) {
        auto batch = std::move(pending);
        pending.clear();
        for (auto& handler : batch)
            handler();
    }
    platform::pump_messages();
}

void post_message(std::function<void()> handler) { pending.push_back(std::move(handler)); }

void run_until(const std::function<bool()>& done)
{
    for (;;) {
        DoEvents();
        if (done())
            return;
        if (pending.empty())
            platform::WaitMessage();
        if (done())
            return;
    }
}

void run_while_forms_visible()
{
    run_until([] {
        for (platform::HWND window : platform::top_level_windows()) {
            if (platform::IsWindowVisible(window))
                return false;
        }
        return true;
    });
}

}  // namespace velmo::host
