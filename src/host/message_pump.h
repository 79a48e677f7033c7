// Connects the display's window messages (paints now, timers later) to DoEvents: once per thread,
// DoEvents pumps the display's queue after the handlers posted to it.
#pragma once

namespace velmo::host {

void install_message_pump();

}  // namespace velmo::host
