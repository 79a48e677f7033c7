#include "automation/event_source.h"

#include <algorithm>

namespace velmo {

void EventSource::connect(ObjectRef sink)
{
    if (sink)
        sinks_.push_back(std::move(sink));
}

void EventSource::disconnect(const ObjectRef& sink)
{
    std::erase(sinks_, sink);
}

void EventSource::raise(std::string_view event, Args args)
{
    // A handler may disconnect sinks while running; walk a copy.
    auto sinks = sinks_;
    for (const auto& sink : sinks) {
        try {
            sink->invoke(event, Invoke::Call, args);
        } catch (const Error& error) {
            if (error.number() != err::MemberNotSupported)
                throw;
        }
    }
}

}  // namespace velmo
