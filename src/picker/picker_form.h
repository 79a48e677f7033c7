// frmKxLumoPickColFromMouseA: the thread's hidden picker form, made on first use and never shown,
// with its one control Timer1, whose tick reads the pixel under the pointer and raises the event
// on the thread's ActivePicker.
#pragma once

#include "host/form.h"
#include "host/timer.h"

namespace velmo::picker {

inline constexpr const char* picker_form_name = "frmKxLumoPickColFromMouseA";

// The hidden form's Timer1, the form made (and loaded) first if the thread has none.
host::Timer& picker_timer();
// The hidden form; made the same way.
host::Form& picker_form();

// One tick of Timer1, every statement skipped when it fails.
void picker_tick();

}  // namespace velmo::picker
