#include "values.h"

#include <climits>
#include <cmath>
#include <new>

#include "wrapper.h"

namespace velmo::python {

namespace {

PyObject* error_class = nullptr;    // velmo.Error
PyObject* missing_marker = nullptr;  // velmo.Missing

// velmo.Error and velmo.Missing are plain Python classes: an exception that pickles and prints
// like any other, and a singleton for the omitted-argument marker.
constexpr const char* python_side = R"py(
class Error(Exception):
    """An automation error: number, source and description, as the component raised it."""

    def __init__(self, number, source="", description=""):
        super().__init__(number, source, description)
        self.number = number
        self.source = source
        self.description = description

    def __str__(self):
        where = f" ({self.source})" if self.source else ""
        return f"Error {self.number}{where}: {self.description}"


class _MissingType:
    """The marker of an omitted optional argument (a VARIANT holding DISP_E_PARAMNOTFOUND)."""

    __slots__ = ()

    def __repr__(self):
        return "velmo.Missing"

    def __reduce__(self):
        return "Missing"


Missing = _MissingType()
)py";

// ---- velmo.Ref -------------------------------------------------------------------------------

struct RefObject {
    PyObject_HEAD
    Variant value;
};

int ref_init(PyObject* self, PyObject* args, PyObject* kwargs)
{
    static const char* names[] = { "value", nullptr };
    PyObject* value = nullptr;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O:Ref", const_cast<char**>(names), &value))
        return -1;
    try {
        // Without a value the variable is Empty, as a freshly declared one; Ref(None) holds Nothing.
        reinterpret_cast<RefObject*>(self)->value = value ? to_variant(value) : Variant();
    } catch (const Error& error) {
        set_python_error(error);
        return -1;
    }
    return 0;
}

PyObject* ref_new(PyTypeObject* type, PyObject*, PyObject*)
{
    PyObject* self = type->tp_alloc(type, 0);
    if (self)
        new (&reinterpret_cast<RefObject*>(self)->value) Variant();
    return self;
}

void ref_dealloc(PyObject* self)
{
    reinterpret_cast<RefObject*>(self)->value.~Variant();
    Py_TYPE(self)->tp_free(self);
}

PyObject* ref_get_value(PyObject* self, void*) { return to_python(reinterpret_cast<RefObject*>(self)->value); }

int ref_set_value(PyObject* self, PyObject* value, void*)
{
    if (!value) {
        PyErr_SetString(PyExc_AttributeError, "a Ref's value cannot be deleted");
        return -1;
    }
    try {
        reinterpret_cast<RefObject*>(self)->value = to_variant(value);
    } catch (const Error& error) {
        set_python_error(error);
        return -1;
    }
    return 0;
}

PyObject* ref_repr(PyObject* self)
{
    PyObject* value = ref_get_value(self, nullptr);
    if (!value)
        return nullptr;
    PyObject* text = PyUnicode_FromFormat("velmo.Ref(%R)", value);
    Py_DECREF(value);
    return text;
}

PyGetSetDef ref_getset[] = {
    { "value", ref_get_value, ref_set_value, "the variable's value; a member's store into it shows here at once", nullptr },
    { nullptr, nullptr, nullptr, nullptr, nullptr },
};

PyTypeObject ref_type = [] {
    PyTypeObject t = blank_type();
    t.tp_name = "velmo.Ref";
    t.tp_basicsize = sizeof(RefObject);
    t.tp_flags = Py_TPFLAGS_DEFAULT;
    t.tp_doc = "Ref(value): a variable for a by-reference parameter. The member aliases it for the whole call; "
               "ref.value then holds what the member stored. Without a value it starts Empty (reads as None).";
    t.tp_new = ref_new;
    t.tp_init = ref_init;
    t.tp_dealloc = ref_dealloc;
    t.tp_repr = ref_repr;
    t.tp_getset = ref_getset;
    return t;
}();

Variant integer_to_variant(PyObject* value)
{
    int overflow = 0;
    long long number = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (number == -1 && PyErr_Occurred()) {
        PyErr_Clear();
        raise(err::TypeMismatch);
    }
    if (overflow != 0 || number < INT32_MIN || number > INT32_MAX)
        raise(err::Overflow);
    return Variant(Long(static_cast<int32_t>(number)));
}

std::string text_from_python(PyObject* value)
{
    PyObject* bytes = PyUnicode_AsEncodedString(value, "utf-8", "surrogateescape");
    if (!bytes) {
        PyErr_Clear();
        raise(err::TypeMismatch, "Type mismatch: the text cannot be encoded");
    }
    std::string text(PyBytes_AS_STRING(bytes), static_cast<size_t>(PyBytes_GET_SIZE(bytes)));
    Py_DECREF(bytes);
    return text;
}

}  // namespace

bool add_value_types(PyObject* module)
{
    PyObject* globals = PyDict_New();
    if (!globals)
        return false;
    PyDict_SetItemString(globals, "__builtins__", PyEval_GetBuiltins());
    PyObject* name = PyUnicode_FromString("velmo");
    if (name)
        PyDict_SetItemString(globals, "__name__", name);
    Py_XDECREF(name);
    PyObject* ran = PyRun_String(python_side, Py_file_input, globals, globals);
    if (!ran) {
        Py_DECREF(globals);
        return false;
    }
    Py_DECREF(ran);
    error_class = PyDict_GetItemString(globals, "Error");
    missing_marker = PyDict_GetItemString(globals, "Missing");
    Py_XINCREF(error_class);
    Py_XINCREF(missing_marker);
    Py_DECREF(globals);
    if (!error_class || !missing_marker)
        return false;
    if (PyType_Ready(&ref_type) < 0)
        return false;
    Py_INCREF(error_class);
    Py_INCREF(missing_marker);
    Py_INCREF(&ref_type);
    return PyModule_AddObject(module, "Error", error_class) == 0 && PyModule_AddObject(module, "Missing", missing_marker) == 0
        && PyModule_AddObject(module, "Ref", reinterpret_cast<PyObject*>(&ref_type)) == 0;
}

Variant* ref_variable(PyObject* value)
{
    if (Py_TYPE(value) != &ref_type && !PyObject_TypeCheck(value, &ref_type))
        return nullptr;
    return &reinterpret_cast<RefObject*>(value)->value;
}

Variant to_variant(PyObject* value)
{
    // bool before int: a Python bool is an int too.
    if (value == Py_True)
        return Variant(True);
    if (value == Py_False)
        return Variant(False);
    if (PyLong_CheckExact(value) || PyLong_Check(value))
        return integer_to_variant(value);
    if (PyFloat_Check(value))
        return Variant(PyFloat_AS_DOUBLE(value));
    if (PyUnicode_Check(value))
        return Variant(text_from_python(value));
    if (value == Py_None)
        return Variant(ObjectRef());
    if (value == missing_marker)
        return Variant::missing();
    if (ObjectRef object = unwrap_object(value); object || is_wrapper(value))
        return Variant(std::move(object));
    if (Variant* variable = ref_variable(value))
        return *variable;
    if (PyIndex_Check(value)) {
        PyObject* index = PyNumber_Index(value);
        if (!index) {
            PyErr_Clear();
            raise(err::TypeMismatch);
        }
        Variant result;
        try {
            result = integer_to_variant(index);
        } catch (...) {
            Py_DECREF(index);
            throw;
        }
        Py_DECREF(index);
        return result;
    }
    raise(err::TypeMismatch, std::string("Type mismatch: a ") + Py_TYPE(value)->tp_name + " has no automation value");
}

PyObject* text_to_python(std::string_view text)
{
    return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
}

PyObject* to_python(const Variant& value)
{
    switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
        Py_RETURN_NONE;
    case VarType::Integer: return PyLong_FromLong(value.to_integer().value());
    case VarType::Long: return PyLong_FromLong(value.to_long().value());
    case VarType::Byte: return PyLong_FromLong(value.to_byte());
    case VarType::Single:
    case VarType::Double: return PyFloat_FromDouble(value.to_double());
    // Only False (0) is false: a non-zero raw value that is not -1 still reads as true in Python.
    case VarType::Boolean: return PyBool_FromLong(value.to_boolean().raw != 0);
    case VarType::String: return text_to_python(value.to_string());
    case VarType::Object: return wrap_object(value.to_object());
    case VarType::Error:
        if (value.is_missing()) {
            Py_INCREF(missing_marker);
            return missing_marker;
        }
        return PyLong_FromLong(value.to_long().value());
    case VarType::Variant: break;
    }
    Py_RETURN_NONE;
}

void set_python_error(const Error& error)
{
    PyObject* source = text_to_python(error.source());
    PyObject* description = text_to_python(error.description());
    PyObject* instance = source && description
        ? PyObject_CallFunction(error_class, "iOO", static_cast<int>(error.number()), source, description)
        : nullptr;
    Py_XDECREF(source);
    Py_XDECREF(description);
    if (instance) {
        PyErr_SetObject(error_class, instance);
        Py_DECREF(instance);
    }
}

bool is_velmo_error(PyObject* exception) { return exception && PyObject_IsInstance(exception, error_class) == 1; }

Error error_from_python(PyObject* exception)
{
    auto text_of = [&](const char* name) {
        std::string text;
        if (PyObject* field = PyObject_GetAttrString(exception, name)) {
            if (PyObject* str = PyObject_Str(field)) {
                Py_ssize_t size = 0;
                if (const char* utf8 = PyUnicode_AsUTF8AndSize(str, &size))
                    text.assign(utf8, static_cast<size_t>(size));
                Py_DECREF(str);
            }
            Py_DECREF(field);
        }
        PyErr_Clear();
        return text;
    };
    long number = 0;
    if (PyObject* field = PyObject_GetAttrString(exception, "number")) {
        number = PyLong_AsLong(field);
        Py_DECREF(field);
    }
    PyErr_Clear();
    if (number < INT32_MIN || number > INT32_MAX)
        number = err::InvalidArgument;
    return Error(static_cast<int32_t>(number), text_of("source"), text_of("description"));
}

}  // namespace velmo::python
