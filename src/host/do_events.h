// DoEvents: processes the calling thread's pending messages, running whatever handlers a client
// registered for them. Long members call it between steps, so handlers can run mid-call.
#pragma once

#include <functional>

namespace velmo::host {

// Runs every message pending on this thread, then returns. Handlers posted while it runs wait for
// the next call, so a handler that posts itself cannot trap the caller.
void DoEvents();

// Queues a handler for the next DoEvents on this thread.
void post_message(std::function<void()> handler);

// Called by DoEvents after the posted handlers: the windowing layer pumps its own queue (timers,
// window messages) through this hook. One hook per thread.
void set_message_pump(std::function<void()> pump);

}  // namespace velmo::host
