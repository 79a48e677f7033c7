#include "host/do_events.h"

#include <deque>

namespace velmo::host {

namespace {
thread_local std::deque<std::function<void()>> pending;
thread_local std::function<void()> pump;
}  // namespace

void DoEvents()
{
    auto batch = std::move(pending);
    pending.clear();
    for (auto& handler : batch)
        handler();
    if (pump)
        pump();
}

void post_message(std::function<void()> handler) { pending.push_back(std::move(handler)); }

void set_message_pump(std::function<void()> next) { pump = std::move(next); }

}  // namespace velmo::host
