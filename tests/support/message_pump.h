// Delivering the thread's messages in a test until something has happened.
#pragma once

#include <unistd.h>

#include <chrono>
#include <functional>

#include "platform/messages.h"

namespace velmo::testing {

// Delivers the thread's messages until `done` holds; false after two seconds without.
inline bool pump_until(const std::function<bool()>& done)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end) {
        platform::MSG msg;
        while (platform::PeekMessageA(&msg, 0, 0, 0, platform::PM_REMOVE))
            platform::DispatchMessageA(&msg);
        if (done())
            return true;
        usleep(5000);
    }
    return false;
}

}  // namespace velmo::testing
