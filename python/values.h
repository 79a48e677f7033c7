// Values between Python and the automation layer: Python objects become Variants under the
// automation coercions (an int outside the Long range raises 6, an unsupported type 13), Variants
// become Python objects; velmo.Error carries a velmo::Error's number, source and description, and
// velmo.Ref is a variable a member aliases for a by-reference parameter.
#pragma once

#include <Python.h>

#include <string_view>

#include "automation/error.h"
#include "automation/variant.h"

namespace velmo::python {

// Adds Error, Ref and Missing to the module; false with a Python error set on failure.
bool add_value_types(PyObject* module);

// Raises 6 or 13 as velmo::Error when the value has no automation form.
Variant to_variant(PyObject* value);
// A new reference, or nullptr with a Python error set.
PyObject* to_python(const Variant& value);

// The variable inside a velmo.Ref, or nullptr when value is not one.
Variant* ref_variable(PyObject* value);

// Text as the automation layer keeps it (UTF-8; bytes that are not UTF-8 survive the round trip).
PyObject* text_to_python(std::string_view text);

// A type object with only its header filled in, for the module's static types.
inline PyTypeObject blank_type()
{
    PyTypeObject type = { PyVarObject_HEAD_INIT(nullptr, 0) };
    return type;
}

// Sets the Python error for an automation error: a velmo.Error with its three fields.
void set_python_error(const Error& error);
// A velmo.Error instance (or subclass) as the automation error it stands for.
bool is_velmo_error(PyObject* exception);
Error error_from_python(PyObject* exception);

}  // namespace velmo::python
