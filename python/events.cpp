#include "events.h"

#include <memory>
#include <string>

#include "automation/registry.h"
#include "automation/event_source.h"
#include "interpreter_lock.h"
#include "values.h"
#include "wrapper.h"

namespace velmo::python {

namespace {

// Number of the automation error that stands for a Python exception raised by a handler.
constexpr int32_t automation_error = 440;

struct KeptError {
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
};
thread_local KeptError kept;

std::string exception_text(PyObject* value)
{
    std::string text = value ? Py_TYPE(value)->tp_name : "exception";
    if (PyObject* str = value ? PyObject_Str(value) : nullptr) {
        Py_ssize_t size = 0;
        if (const char* utf8 = PyUnicode_AsUTF8AndSize(str, &size); utf8 && size > 0)
            text += std::string(": ") + std::string(utf8, static_cast<size_t>(size));
        Py_DECREF(str);
    }
    PyErr_Clear();
    return text;
}

// The client side of an event interface: each event calls the handler's On<Event> method. The
// handler is held through a weak reference only.
class HandlerSink : public Object {
public:
    explicit HandlerSink(std::string_view interface_name)
    {
        info_.library = "velmo python";
        info_.name = interface_name;
    }
    ~HandlerSink() override
    {
        // A sink can outlive the interpreter inside a thread's globals; then its reference just goes.
        if (Py_IsInitialized() && handler_) {
            WithInterpreterLock locked;  // the last reference may go inside a member call
            Py_DECREF(handler_);
        }
    }

    const ClassInfo& class_info() const override { return info_; }
    void hold(PyObject* weak_handler) { handler_ = weak_handler; }

    Variant invoke(std::string_view name, Invoke how, Args args) override
    {
        WithInterpreterLock locked;  // events arrive inside member calls, which let go of it
        PyObject* handler = handler_ ? PyWeakref_GetObject(handler_) : nullptr;
        if (how != Invoke::Call || !handler || handler == Py_None)
            throw Error(err::MemberNotSupported, std::string(info_.library));
        Py_INCREF(handler);
        std::string method_name = "On" + std::string(name);
        PyObject* method = PyObject_GetAttrString(handler, method_name.c_str());
        Py_DECREF(handler);
        if (!method) {
            if (!PyErr_ExceptionMatches(PyExc_AttributeError))
                fail(method_name);
            PyErr_Clear();
            throw Error(err::MemberNotSupported, std::string(info_.library));  // no handler for this event
        }
        PyObject* arguments = PyTuple_New(static_cast<Py_ssize_t>(args.size()));
        for (size_t i = 0; arguments && i < args.size(); ++i) {
            PyObject* value = to_python(*args[i]);
            if (!value) {
                Py_CLEAR(arguments);
                break;
            }
            PyTuple_SET_ITEM(arguments, static_cast<Py_ssize_t>(i), value);
        }
        PyObject* result = arguments ? PyObject_Call(method, arguments, nullptr) : nullptr;
        Py_XDECREF(arguments);
        Py_DECREF(method);
        if (!result)
            fail(method_name);
        Py_DECREF(result);
        return {};
    }

private:
    // The handler's exception as an automation error: a velmo.Error as itself, anything else as
    // 440, kept to be raised again in the script.
    [[noreturn]] void fail(const std::string& method_name)
    {
        PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
        PyErr_Fetch(&type, &value, &traceback);
        PyErr_NormalizeException(&type, &value, &traceback);
        if (is_velmo_error(value)) {
            Error error = error_from_python(value);
            Py_XDECREF(type);
            Py_XDECREF(value);
            Py_XDECREF(traceback);
            throw error;
        }
        std::string text = "Automation error: " + method_name + " raised " + exception_text(value);
        PyErr_Restore(type, value, traceback);
        keep_handler_error();
        throw Error(automation_error, std::string(info_.library), text);
    }

    ClassInfo info_;
    PyObject* handler_ = nullptr;  // a weak reference
};

// Disconnects a sink when its handler goes; holds neither the source nor the sink.
struct Disconnection {
    std::weak_ptr<Object> source;
    std::weak_ptr<Object> sink;
};

PyObject* handler_gone(PyObject* capsule, PyObject*)
{
    auto* link = static_cast<Disconnection*>(PyCapsule_GetPointer(capsule, "velmo.Disconnection"));
    if (!link)
        return nullptr;
    ObjectRef source = link->source.lock();
    ObjectRef sink = link->sink.lock();
    if (EventSource* events = source ? source->events() : nullptr; events && sink)
        events->disconnect(sink);
    Py_RETURN_NONE;
}

PyMethodDef handler_gone_def = { "handler_gone", handler_gone, METH_O, nullptr };

void free_disconnection(PyObject* capsule)
{
    delete static_cast<Disconnection*>(PyCapsule_GetPointer(capsule, "velmo.Disconnection"));
}

// Connects a new sink calling `handler` to the events of `source`; false with a Python error set.
bool connect_handler(const ObjectRef& source, PyObject* handler)
{
    std::string_view interface_name = source->class_info().event_interface;
    auto sink = std::make_shared<HandlerSink>(interface_name.empty() ? std::string_view("events") : interface_name);

    auto* link = new Disconnection { source, sink };
    PyObject* capsule = PyCapsule_New(link, "velmo.Disconnection", free_disconnection);
    if (!capsule) {
        delete link;
        return false;
    }
    PyObject* callback = PyCFunction_New(&handler_gone_def, capsule);
    Py_DECREF(capsule);
    if (!callback)
        return false;
    PyObject* weak = PyWeakref_NewRef(handler, callback);
    Py_DECREF(callback);
    if (!weak)
        return false;
    sink->hold(weak);
    if (!connect_events(source, sink)) {
        const ClassInfo& info = source->class_info();
        PyErr_Format(PyExc_TypeError, "%s.%s raises no events", std::string(info.library).c_str(), std::string(info.name).c_str());
        return false;
    }
    return true;
}

ObjectRef create(PyObject* progid)
{
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(progid, &size);
    if (!text)
        return nullptr;
    try {
        return create_object(std::string_view(text, static_cast<size_t>(size)));
    } catch (const Error& error) {
        set_python_error(error);
        return nullptr;
    }
}

PyObject* with_events(PyObject*, PyObject* const* args, Py_ssize_t nargs)
{
    if (nargs != 2) {
        PyErr_SetString(PyExc_TypeError, "WithEvents(object, handler) takes a velmo object and a handler class or instance");
        return nullptr;
    }
    ObjectRef source = unwrap_object(args[0]);
    if (!source) {
        PyErr_SetString(PyExc_TypeError, "WithEvents: the first argument must be a velmo object");
        return nullptr;
    }
    PyObject* handler = PyType_Check(args[1]) ? PyObject_CallNoArgs(args[1]) : Py_NewRef(args[1]);
    if (!handler || !connect_handler(source, handler)) {
        Py_XDECREF(handler);
        return nullptr;
    }
    return handler;
}

PyObject* dispatch_with_events(PyObject*, PyObject* const* args, Py_ssize_t nargs)
{
    if (nargs != 2 || !PyUnicode_Check(args[0]) || !PyType_Check(args[1])) {
        PyErr_SetString(PyExc_TypeError, "DispatchWithEvents(progid, HandlerClass) takes a ProgID and a class");
        return nullptr;
    }
    PyObject* handler_class = args[1];
    ObjectRef object = create(args[0]);
    if (!object)
        return nullptr;
    // One object that is both: the component's members and the handler's own methods and fields.
    // velmo.Object comes first so that its attribute lookup serves the instance.
    PyObject* name = PyObject_GetAttrString(handler_class, "__name__");
    PyObject* bases = name ? PyTuple_Pack(2, reinterpret_cast<PyObject*>(object_type()), handler_class) : nullptr;
    PyObject* namespace_ = bases ? PyDict_New() : nullptr;
    if (namespace_) {
        if (PyObject* module = PyObject_GetAttrString(handler_class, "__module__")) {
            PyDict_SetItemString(namespace_, "__module__", module);
            Py_DECREF(module);
        }
        PyErr_Clear();
    }
    PyObject* combined = namespace_ ? PyObject_CallFunctionObjArgs(reinterpret_cast<PyObject*>(&PyType_Type), name, bases, namespace_, nullptr)
                                    : nullptr;
    Py_XDECREF(name);
    Py_XDECREF(bases);
    Py_XDECREF(namespace_);
    if (!combined)
        return nullptr;
    PyObject* instance = new_wrapper(reinterpret_cast<PyTypeObject*>(combined), object);
    Py_DECREF(combined);
    if (!instance)
        return nullptr;
    if (!connect_handler(object, instance)) {
        Py_DECREF(instance);
        return nullptr;
    }
    PyObject* init = PyObject_CallMethod(instance, "__init__", nullptr);
    if (!init) {
        Py_DECREF(instance);
        return nullptr;
    }
    Py_DECREF(init);
    return instance;
}

PyMethodDef functions[] = {
    { "DispatchWithEvents", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(dispatch_with_events)), METH_FASTCALL,
        "DispatchWithEvents(progid, HandlerClass): creates the object and returns one that is both it and an instance of "
        "HandlerClass, whose On<Event> methods its events call (OnRGBUnderMousePointer(r, g, b, lcol)). The events stop "
        "when the script lets go of it." },
    { "WithEvents", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(with_events)), METH_FASTCALL,
        "WithEvents(object, handler): connects handler (a class, made with no arguments, or an instance) to the events of "
        "an existing object (a form's MouseDown, MouseMove, MouseUp) and returns the handler; the events stop when the "
        "script lets go of it." },
    { nullptr, nullptr, 0, nullptr },
};

}  // namespace

bool add_event_functions(PyObject* module) { return PyModule_AddFunctions(module, functions) == 0; }

void keep_handler_error()
{
    PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    if (kept.type) {
        Py_XDECREF(type);
        Py_XDECREF(value);
        Py_XDECREF(traceback);
        return;
    }
    kept = { type, value, traceback };
}

bool restore_handler_error()
{
    if (!kept.type)
        return false;
    PyErr_Restore(kept.type, kept.value, kept.traceback);
    kept = {};
    return true;
}

}  // namespace velmo::python
