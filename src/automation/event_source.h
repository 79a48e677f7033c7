// The outgoing side of an event interface: clients connect sink objects, and raising an event calls
// each sink's member of that name late-bound, with the arguments by reference.
#pragma once

#include <vector>

#include "automation/late.h"

namespace velmo {

class EventSource {
public:
    void connect(ObjectRef sink);
    void disconnect(const ObjectRef& sink);

    /// Calls every connected sink. A sink that lacks the member is skipped, as a client that does
    /// not handle an event simply has no handler; any other error from a handler reaches the raiser.
    void raise(std::string_view event, Args args);

private:
    std::vector<ObjectRef> sinks_;
};

/// Connects a client's sink to an object's events, as a client advising a connection point does;
/// false when the object raises no events.
inline bool connect_events(const ObjectRef& source, ObjectRef sink)
{
    EventSource* events = source ? source->events() : nullptr;
    if (!events)
        return false;
    events->connect(std::move(sink));
    return true;
}

}  // namespace velmo
