// MessageQueue: the thread's pending window messages, kept by its display.
#pragma once

#include <vector>

#include "platform/types.h"

namespace velmo::platform {

struct MessageQueue {
    std::vector<HWND> to_paint;  // marked for painting, in order
};

}  // namespace velmo::platform
