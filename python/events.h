// Events into Python: a sink object connected to a component's event source calls the handler's
// On<Event> methods with the event's arguments as Python values. The sink holds its handler only
// weakly, so no reference cycle through the component keeps a script's handler alive; when the
// handler goes, the sink disconnects itself.
//
// An exception a handler raises reaches the component as an automation error, and is kept: the
// script sees it raised again when its own call into velmo returns, whatever the component did with
// the error (a timer tick, for example, skips it).
#pragma once

#include <Python.h>

#include "automation/object.h"

namespace velmo::python {

bool add_event_functions(PyObject* module);

// Keeps the Python error being raised now, when none is kept yet, and clears it.
void keep_handler_error();
// Raises the kept handler error, if any, replacing any other pending Python error: true then.
bool restore_handler_error();

}  // namespace velmo::python
