#include "host/message_pump.h"

#include "host/do_events.h"
#include "platform/messages.h"

namespace velmo::host {

void install_message_pump()
{
    thread_local bool installed = false;
    if (installed)
        return;
    set_message_pump([] { platform::pump_messages(); });
    installed = true;
}

}  // namespace velmo::host
