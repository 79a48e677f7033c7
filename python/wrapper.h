// The Python face of an automation object: velmo.Object, whose attributes are the members of the
// object's member table, found without regard to case; properties are read and put by attribute,
// methods are called with positional or keyword arguments named as in the type library. Forms,
// picture boxes and pictures get types of their own (velmo.Form, velmo.PictureBox, velmo.Picture)
// that add save_png and the buffer protocol.
#pragma once

#include <Python.h>

#include "automation/object.h"

namespace velmo::python {

bool add_wrapper_types(PyObject* module);

// A new reference: the wrapper of the most fitting type, or None for the empty reference.
PyObject* wrap_object(ObjectRef object);
bool is_wrapper(PyObject* value);
// The wrapped object; empty for anything that is not a wrapper.
ObjectRef unwrap_object(PyObject* value);

// velmo.Object, the base of every wrapper, for building handler classes over it.
PyTypeObject* object_type();
// Makes an instance of `type` (velmo.Object or a subclass) wrapping `object`; a new reference.
PyObject* new_wrapper(PyTypeObject* type, ObjectRef object);

}  // namespace velmo::python
