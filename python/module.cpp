// The velmo Python module: late-bound scripting of the Velmo10 component, the way scripts drive
// automation objects elsewhere: Dispatch(progid), attributes for members, events into handler
// classes, errors as velmo.Error with number, source and description.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <chrono>
#include <cmath>
#include <optional>

#include "automation/registry.h"
#include "events.h"
#include "automation/error.h"
#include "host/do_events.h"
#include "host/load_picture.h"
#include "host/form.h"
#include "host/timer.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/messages.h"
#include "platform/user.h"
#include "values.h"
#include "wrapper.h"

namespace py = pybind11;

namespace velmo::python {

namespace {

// A Python error set through the C API, thrown on through pybind11.
void check(PyObject* result_or_null)
{
    if (!result_or_null)
        throw py::error_already_set();
}

void raise_kept_handler_error()
{
    if (restore_handler_error())
        throw py::error_already_set();
}

py::object dispatch(const std::string& progid)
{
    PyObject* wrapper = wrap_object(create_object(progid));
    check(wrapper);
    return py::reinterpret_steal<py::object>(wrapper);
}

py::object load_picture(const std::optional<std::filesystem::path>& path)
{
    PyObject* wrapper = wrap_object(host::LoadPicture(path ? path->string() : std::string()));
    check(wrapper);
    return py::reinterpret_steal<py::object>(wrapper);
}

// Runs a message loop; a handler's kept exception wins over the automation error that stood for it.
template<typename Loop>
void pumping(Loop&& loop)
{
    try {
        loop();
    } catch (const Error&) {
        raise_kept_handler_error();
        throw;
    }
    raise_kept_handler_error();
}

void do_events() { pumping([] { host::DoEvents(); }); }

// Runs the thread's messages, sleeping until the next timer or input, until `until()` is true or
// `seconds` have passed on the display's clock; with neither, while any form is visible. Ctrl-C,
// an exception from `until` or a handler's exception ends it and is raised here.
void run(std::optional<double> seconds, std::optional<py::function> until)
{
    std::optional<uint32_t> end;
    platform::UINT_PTR wake_up = 0;
    if (seconds) {
        if (!(*seconds >= 0) || *seconds > 2e6)
            throw Error(err::InvalidArgument, "velmo", "run: seconds must be from 0 to 2000000");
        auto ms = static_cast<uint32_t>(std::llround(*seconds * 1000));
        end = platform::GetTickCount() + ms;
        // A thread timer wakes the wait at the end even when nothing else is due.
        wake_up = platform::SetTimer(0, 0, std::max<uint32_t>(ms, 1));
    }
    bool failed = false;
    auto done = [&] {
        if (restore_handler_error() || PyErr_CheckSignals() != 0) {
            failed = true;
            return true;
        }
        if (until) {
            PyObject* answer = PyObject_CallNoArgs(until->ptr());
            int truth = answer ? PyObject_IsTrue(answer) : -1;
            Py_XDECREF(answer);
            if (truth != 0) {
                failed = truth < 0;
                return true;
            }
        }
        if (end)
            return static_cast<int32_t>(platform::GetTickCount() - *end) >= 0;
        if (until)
            return false;
        for (platform::HWND window : platform::top_level_windows()) {
            if (platform::IsWindowVisible(window))
                return false;
        }
        return true;
    };
    struct WakeUp {
        platform::UINT_PTR id;
        ~WakeUp()
        {
            if (id)
                platform::KillTimer(0, id);
        }
    } kill_at_exit { wake_up };
    pumping([&] {
        host::run_until(done);
        // The loop looks at the time as soon as a wait ends: what falls due at the end still runs.
        if (!failed && end)
            host::DoEvents();
    });
    if (failed)
        throw py::error_already_set();
}

py::object new_timer(int32_t interval, py::object form)
{
    platform::HWND window = 0;
    if (!form.is_none()) {
        auto surface = std::dynamic_pointer_cast<host::Form>(unwrap_object(form.ptr()));
        if (!surface)
            throw py::type_error("Timer: form must be a velmo.Form or None");
        window = surface->window();
    }
    auto timer = host::Timer::create(window);
    timer->let_Interval(Long(interval));
    PyObject* wrapper = wrap_object(timer);
    check(wrapper);
    return py::reinterpret_steal<py::object>(wrapper);
}

platform::MouseButton button_named(const std::string& name)
{
    if (name == "left")
        return platform::MouseButton::Left;
    if (name == "right")
        return platform::MouseButton::Right;
    if (name == "middle")
        return platform::MouseButton::Middle;
    throw py::value_error("button must be 'left', 'right' or 'middle'");
}

void add_display_functions(py::module_& m)
{
    auto display = m.def_submodule("display",
        "The thread's display (the in-memory screen unless VELMO_DISPLAY chose another): its clock and input, for "
        "scripts that drive forms without a person, and for tests.");
    display.def(
        "reset",
        [](int width, int height, bool virtual_clock) {
            platform::DisplayOptions options;
            options.screen = { width, height };
            options.clock = virtual_clock ? platform::ClockKind::Virtual : platform::ClockKind::Monotonic;
            platform::reset_display(options);
        },
        py::arg("width") = 1280, py::arg("height") = 800, py::arg("virtual_clock") = false,
        "reset(width=1280, height=800, virtual_clock=False): a new, empty in-memory display for this thread. Forms, "
        "boxes, timers and pictures made before belong to the old one and stop working. With the virtual clock, time "
        "stands still until advance_clock() or a wait for a timer moves it.");
    display.def(
        "advance_clock", [](double ms) { return platform::advance_clock(std::chrono::milliseconds(std::llround(ms))); }, py::arg("ms"),
        "advance_clock(ms): moves the virtual clock forward; False on the real clock.");
    display.def("tick_count", [] { return platform::GetTickCount(); }, "Milliseconds on the display's clock.");
    display.def("move_pointer", &platform::inject_pointer_move, py::arg("x"), py::arg("y"),
        "move_pointer(x, y): moves the mouse pointer (screen pixels) and queues the mouse move.");
    display.def(
        "press", [](const std::string& button) { platform::inject_button(button_named(button), true); }, py::arg("button") = "left",
        "press(button='left'): presses a mouse button where the pointer is.");
    display.def(
        "release", [](const std::string& button) { platform::inject_button(button_named(button), false); }, py::arg("button") = "left",
        "release(button='left'): releases a mouse button where the pointer is.");
}

}  // namespace

}  // namespace velmo::python

PYBIND11_MODULE(velmo, m)
{
    using namespace velmo::python;
    m.doc() = "velmo: script the Velmo10 component from Python. Dispatch(progid) gives an object whose attributes are its "
              "members; errors raise velmo.Error (number, source, description).";

    // The component's classes are loaded on first creation, by ProgID.
    if (!add_value_types(m.ptr()) || !add_wrapper_types(m.ptr()) || !add_event_functions(m.ptr()))
        throw py::error_already_set();

    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown)
                std::rethrow_exception(thrown);
        } catch (const velmo::Error& error) {
            velmo::Error named = error;
            named.set_source_if_empty("velmo");
            set_python_error(named);
        }
    });

    m.def("Dispatch", &dispatch, py::arg("progid"),
        "Dispatch(progid): creates the object registered under progid (e.g. 'Velmo10.clsKxLumoJPGTagsA'); raises "
        "velmo.Error 429 when nothing is registered under it.");
    m.def("load_picture", &load_picture, py::arg("path") = py::none(),
        "load_picture(path): a picture object of a BMP, GIF, JPEG or PNG file (errors 53, 75, 481); no path: an empty picture.");
    m.def("do_events", &do_events, "do_events(): processes the pending messages of this thread (paints, timer ticks, "
                                   "mouse input), running their event handlers, then returns.");
    m.def("run", &run, py::arg("seconds") = py::none(), py::arg("until") = py::none(),
        "run(seconds=None, until=None): processes messages (timer ticks, input, paints), sleeping in between, until "
        "until() returns True or the seconds have passed on the display's clock; with neither, while any form is "
        "visible. Ctrl-C ends it.");
    m.def("Timer", &new_timer, py::arg("interval") = 0, py::arg("form") = py::none(),
        "Timer(interval=0, form=None): the host's timer control, ticking every interval ms while do_events() or run() "
        "runs; connect a handler with OnTimer() through velmo.WithEvents.");
    add_display_functions(m);
}
