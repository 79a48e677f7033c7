// DoEvents and the run loop: how the host hands the thread to its window messages. Long members
// call DoEvents between steps, so event handlers can run mid-call; commands that keep a window up
// run the loop.
#pragma once

#include <functional>

namespace velmo::host {

/// Runs every message pending on this thread (handlers queued with post_message, then the window
/// messages: posted ones, input, paints, timers due), then returns. What handlers queue or post
/// while it runs waits for the next call, so a handler that posts itself cannot trap the caller.
void DoEvents();

/// Queues a handler for the next DoEvents on this thread.
void post_message(std::function<void()> handler);

/// Runs the thread's messages, sleeping between them until the next timer or input, until `done`
/// answers true; `done` is asked after every round of messages and after every wake-up (a signal
/// ends a wait early, so a flag set by a signal handler is seen at once).
void run_until(const std::function<bool()>& done);
/// Runs until no form (top-level window) of the thread is visible any more.
void run_while_forms_visible();

}  // namespace velmo::host
