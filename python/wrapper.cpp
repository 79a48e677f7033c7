#include "wrapper.h"

#include <array>
#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "events.h"
#include "interpreter_lock.h"
#include "gfx/png_writer.h"
#include "host/form.h"
#include "host/picture_box.h"
#include "platform/display.h"
#include "platform/picture.h"
#include "platform/user.h"
#include "values.h"

namespace velmo::python {

namespace {

// ---- Wrapper layout --------------------------------------------------------------------------

struct WrapperObject {
    PyObject_HEAD
    ObjectRef object;
    PyObject* methods;  // attribute name as written -> bound member, for names that bind to a method
    PyObject* weakrefs;
};

WrapperObject* as_wrapper(PyObject* self) { return reinterpret_cast<WrapperObject*>(self); }

PyTypeObject wrapper_type = blank_type();
PyTypeObject surface_type = blank_type();
PyTypeObject form_type = blank_type();
PyTypeObject picture_box_type = blank_type();
PyTypeObject picture_type = blank_type();
PyTypeObject bound_member_type = blank_type();
PyTypeObject enumerator_type = blank_type();

std::string class_title(const Object& object)
{
    const ClassInfo& info = object.class_info();
    return info.library.empty() ? std::string(info.name) : std::string(info.library) + "." + std::string(info.name);
}

std::string_view utf8_of(PyObject* text)
{
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(text, &size);
    if (!data) {
        PyErr_Clear();
        return {};
    }
    return { data, static_cast<size_t>(size) };
}

bool is_dunder(std::string_view name) { return name.size() > 4 && name.starts_with("__") && name.ends_with("__"); }

// The script's error after a call into the component: a handler's kept exception wins, since the
// component may have swallowed the automation error that stood for it.
PyObject* finish_call(PyObject* result)
{
    if (restore_handler_error()) {
        Py_XDECREF(result);
        return nullptr;
    }
    return result;
}

// ---- Calls -----------------------------------------------------------------------------------

// Arguments of one call: the caller's Refs are aliased, everything else converted into a slot here.
// Calls of up to `inline_count` arguments need no allocation.
class CallArguments {
public:
    explicit CallArguments(size_t count)
    {
        if (count > inline_count) {
            more_values_.resize(count);
            more_pointers_.resize(count, nullptr);
        }
        values_ = count > inline_count ? more_values_.data() : inline_values_.data();
        pointers_ = count > inline_count ? more_pointers_.data() : inline_pointers_.data();
    }
    CallArguments(const CallArguments&) = delete;
    CallArguments& operator=(const CallArguments&) = delete;

    // `param`, when known, is the parameter the value goes to.
    void put(size_t index, PyObject* value, const Param* param = nullptr)
    {
        if (Variant* variable = ref_variable(value)) {
            // A script's variable has no declared type: it takes the parameter's type once, so
            // that the member aliases it for the whole call instead of a converted copy.
            if (param && param->pass == Pass::ByRef && typed(param->type.vt) && variable->type() != param->type.vt)
                *variable = variable->converted_to(param->type.vt);
            pointers_[index] = variable;
            return;
        }
        values_[index] = to_variant(value);
        pointers_[index] = &values_[index];
    }
    void put_variant(size_t index, Variant value)
    {
        values_[index] = std::move(value);
        pointers_[index] = &values_[index];
    }
    bool has(size_t index) const { return pointers_[index] != nullptr; }
    static bool typed(VarType vt) { return vt != VarType::Variant && vt != VarType::Empty && vt != VarType::Object; }
    Args first(size_t count) const { return Args(pointers_, count); }

private:
    static constexpr size_t inline_count = 8;
    std::array<Variant, inline_count> inline_values_ {};
    std::array<Variant*, inline_count> inline_pointers_ {};
    std::vector<Variant> more_values_;
    std::vector<Variant*> more_pointers_;
    Variant* values_;
    Variant** pointers_;
};

PyObject* type_error_for_keywords(const Member& member, std::string_view keyword, const char* what)
{
    std::string names;
    for (const auto& p : member.params) {
        if (p.name == "RHS")
            continue;
        names += names.empty() ? "" : ", ";
        names += p.name;
    }
    PyErr_Format(PyExc_TypeError, "%.200s() %s '%.200s'; its parameters are: %.400s", std::string(member.name).c_str(), what,
        std::string(keyword).c_str(), names.empty() ? "(none)" : names.c_str());
    return nullptr;
}

// A member call with the interpreter lock let go: the arguments are converted already, and the
// result is converted after. Objects belong to the thread that uses them, so only the lock's other
// users, Python threads with objects of their own, run meanwhile.
Variant invoke_unlocked(Object& object, std::string_view name, Invoke how, Args args)
{
    WithoutInterpreterLock unlocked;
    return object.invoke(name, how, args);
}

// Calls `member` (or, for an object without a member table, the member `name`) with Python
// positional and keyword arguments. Omitted optional parameters before a given one arrive as the
// type library says: the declared default, or the missing marker that the object turns into the
// parameter's zero value.
PyObject* call_member(const ObjectRef& object, const Member* member, std::string_view name, Invoke how, PyObject* const* args,
    size_t nargs, PyObject* kwnames)
{
    Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    try {
        if (!member) {
            if (nkw > 0) {
                PyErr_Format(PyExc_TypeError, "%.200s takes no keyword arguments: its object has no member table", std::string(name).c_str());
                return nullptr;
            }
            CallArguments values(nargs);
            for (size_t i = 0; i < nargs; ++i)
                values.put(i, args[i]);
            Variant result = invoke_unlocked(*object, name, how, values.first(nargs));
            return finish_call(to_python(result));
        }

        const auto& params = member->params;
        size_t slots = std::max(params.size(), nargs);
        CallArguments values(slots);
        for (size_t i = 0; i < nargs; ++i)
            values.put(i, args[i], i < params.size() ? &params[i] : nullptr);
        size_t count = nargs;
        for (Py_ssize_t k = 0; k < nkw; ++k) {
            std::string_view keyword = utf8_of(PyTuple_GET_ITEM(kwnames, k));
            size_t index = 0;
            while (index < params.size() && !equals_ignoring_case(params[index].name, keyword))
                ++index;
            if (index == params.size())
                return type_error_for_keywords(*member, keyword, "got an unexpected keyword argument");
            if (values.has(index))
                return type_error_for_keywords(*member, keyword, "got more than one value for");
            values.put(index, args[nargs + static_cast<size_t>(k)], &params[index]);
            count = std::max(count, index + 1);
        }
        for (size_t i = 0; i < count; ++i) {
            if (values.has(i))
                continue;
            const Param& p = params[i];
            if (!p.optional)
                throw Error(err::ArgumentNotOptional, std::string(object->class_info().library),
                    "Argument not optional: " + std::string(p.name) + " of " + std::string(member->name));
            values.put_variant(i, p.has_default ? p.default_value : Variant::missing());
        }
        Variant result = invoke_unlocked(*object, member->name, how, values.first(count));
        return finish_call(to_python(result));
    } catch (Error& error) {
        error.set_source_if_empty(object->class_info().library);
        set_python_error(error);
        return finish_call(nullptr);
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
        return finish_call(nullptr);
    }
}

// ---- Bound members: what attribute access gives for a method --------------------------------

struct BoundMember {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    ObjectRef object;
    const Member* member;  // nullptr: the object has no member table; call by name
    std::string name;
};

PyObject* bound_member_vectorcall(PyObject* self, PyObject* const* args, size_t nargsf, PyObject* kwnames)
{
    auto* bound = reinterpret_cast<BoundMember*>(self);
    return call_member(bound->object, bound->member, bound->name, Invoke::Call, args, PyVectorcall_NARGS(nargsf), kwnames);
}

PyObject* new_bound_member(const ObjectRef& object, const Member* member, std::string_view name)
{
    auto* bound = PyObject_New(BoundMember, &bound_member_type);
    if (!bound)
        return nullptr;
    new (&bound->object) ObjectRef(object);
    new (&bound->name) std::string(member ? member->name : name);
    bound->member = member;
    bound->vectorcall = bound_member_vectorcall;
    return reinterpret_cast<PyObject*>(bound);
}

void bound_member_dealloc(PyObject* self)
{
    auto* bound = reinterpret_cast<BoundMember*>(self);
    bound->object.~ObjectRef();
    bound->name.~basic_string();
    PyObject_Free(self);
}

// "GetTagName(lID: enTAG) -> String"
std::string signature_of(const Member& member)
{
    std::string text(member.name);
    text += "(";
    bool first = true;
    for (const auto& p : member.params) {
        text += first ? "" : ", ";
        first = false;
        text += std::string(p.name) + ": " + std::string(p.type.text());
        if (p.has_default)
            text += " = " + p.default_value.to_string();
        else if (p.optional)
            text += " = (omitted)";
        if (p.pass == Pass::ByRef)
            text += " [by reference]";
    }
    text += ")";
    if (member.result.vt != VarType::Empty)
        text += " -> " + std::string(member.result.text());
    return text;
}

PyObject* bound_member_repr(PyObject* self)
{
    auto* bound = reinterpret_cast<BoundMember*>(self);
    std::string text = "<velmo member " + class_title(*bound->object) + "." +
        (bound->member ? signature_of(*bound->member) : bound->name) + ">";
    return text_to_python(text);
}

PyObject* bound_member_doc(PyObject* self, void*)
{
    auto* bound = reinterpret_cast<BoundMember*>(self);
    if (!bound->member)
        return text_to_python(bound->name);
    std::string text = signature_of(*bound->member);
    if (!bound->member->help.empty())
        text += "\n\n" + std::string(bound->member->help);
    return text_to_python(text);
}

PyObject* bound_member_name(PyObject* self, void*) { return text_to_python(reinterpret_cast<BoundMember*>(self)->name); }

PyGetSetDef bound_member_getset[] = {
    { "__doc__", bound_member_doc, nullptr, nullptr, nullptr },
    { "__name__", bound_member_name, nullptr, nullptr, nullptr },
    { nullptr, nullptr, nullptr, nullptr, nullptr },
};

// ---- Attribute access ------------------------------------------------------------------------

PyObject* no_member(PyObject* self, PyObject* name)
{
    const auto& object = as_wrapper(self)->object;
    PyErr_Format(PyExc_AttributeError, "%.200s has no member '%U' (velmo error 438: Object doesn't support this property or method)",
        object ? class_title(*object).c_str() : Py_TYPE(self)->tp_name, name);
    return nullptr;
}

bool instance_dict_has(PyObject* self, PyObject* name)
{
    PyObject** dict = _PyObject_GetDictPtr(self);
    return dict && *dict && PyDict_Contains(*dict, name) == 1;
}

PyObject* wrapper_getattro(PyObject* self, PyObject* name)
{
    WrapperObject* w = as_wrapper(self);
    if (w->methods) {
        if (PyObject* bound = PyDict_GetItemWithError(w->methods, name)) {
            Py_INCREF(bound);
            return bound;
        }
    }
    // Python's own attributes first (save_png, __class__, a handler's methods and fields).
    if (_PyType_Lookup(Py_TYPE(self), name) || instance_dict_has(self, name))
        return PyObject_GenericGetAttr(self, name);
    std::string_view text = utf8_of(name);
    if (!w->object || text.empty() || is_dunder(text))
        return PyObject_GenericGetAttr(self, name);

    const ObjectRef& object = w->object;
    if (object->class_info().members.empty())
        return new_bound_member(object, nullptr, text);
    const Member* member = object->find_member(text, Invoke::Call);
    if (!member)
        return no_member(self, name);
    bool needs_arguments = false;
    for (const auto& p : member->params)
        needs_arguments |= !p.optional;
    if (member->kind == MemberKind::PropertyGet && !needs_arguments)
        return call_member(object, member, text, Invoke::Call, nullptr, 0, nullptr);

    PyObject* bound = new_bound_member(object, member, text);
    if (!bound)
        return nullptr;
    if (!w->methods)
        w->methods = PyDict_New();
    if (w->methods)
        PyDict_SetItem(w->methods, name, bound);
    PyErr_Clear();
    return bound;
}

int wrapper_setattro(PyObject* self, PyObject* name, PyObject* value)
{
    WrapperObject* w = as_wrapper(self);
    std::string_view text = utf8_of(name);
    PyObject* descriptor = _PyType_Lookup(Py_TYPE(self), name);
    bool data_descriptor = descriptor && Py_TYPE(descriptor)->tp_descr_set;
    if (!value || data_descriptor || !w->object || text.empty() || is_dunder(text))
        return PyObject_GenericSetAttr(self, name, value);

    const ObjectRef& object = w->object;
    // Objects (and None, the empty object) are put by reference when the member has a set.
    bool is_object = value == Py_None || is_wrapper(value);
    const Member* member = nullptr;
    Invoke how = Invoke::Let;
    if (object->class_info().members.empty()) {
        how = is_object ? Invoke::Set : Invoke::Let;
    } else {
        Invoke order[2] = { is_object ? Invoke::Set : Invoke::Let, is_object ? Invoke::Let : Invoke::Set };
        for (Invoke candidate : order) {
            if ((member = object->find_member(text, candidate))) {
                how = candidate;
                break;
            }
        }
        if (!member) {
            if (Py_TYPE(self)->tp_dictoffset != 0)
                return PyObject_GenericSetAttr(self, name, value);
            no_member(self, name);
            return -1;
        }
    }
    PyObject* args[] = { value };
    PyObject* result = call_member(object, member, text, how, args, 1, nullptr);
    if (!result)
        return -1;
    Py_DECREF(result);
    return 0;
}

PyObject* wrapper_dir(PyObject* self, PyObject*)
{
    PyObject* names = nullptr;
    if (PyObject* base = PyObject_GetAttrString(reinterpret_cast<PyObject*>(&PyBaseObject_Type), "__dir__")) {
        names = PyObject_CallOneArg(base, self);
        Py_DECREF(base);
    }
    if (!names)
        return nullptr;
    PyObject* list = PySequence_List(names);
    Py_DECREF(names);
    const auto& object = as_wrapper(self)->object;
    if (!list || !object)
        return list;
    std::vector<std::string_view> seen;
    for (const auto& member : object->class_info().members) {
        bool again = false;
        for (auto s : seen)
            again |= equals_ignoring_case(s, member.name);
        if (again)
            continue;
        seen.push_back(member.name);
        PyObject* item = text_to_python(member.name);
        if (!item || PyList_Append(list, item) < 0) {
            Py_XDECREF(item);
            Py_DECREF(list);
            return nullptr;
        }
        Py_DECREF(item);
    }
    return list;
}

PyObject* wrapper_repr(PyObject* self)
{
    const auto& object = as_wrapper(self)->object;
    if (!object)
        return PyUnicode_FromFormat("<%s (empty)>", Py_TYPE(self)->tp_name);
    return PyUnicode_FromFormat("<%s %s>", Py_TYPE(self)->tp_name, class_title(*object).c_str());
}

PyObject* wrapper_richcompare(PyObject* a, PyObject* b, int op)
{
    if ((op != Py_EQ && op != Py_NE) || !is_wrapper(a) || !is_wrapper(b))
        Py_RETURN_NOTIMPLEMENTED;
    bool same = as_wrapper(a)->object == as_wrapper(b)->object;
    return PyBool_FromLong(op == Py_EQ ? same : !same);
}

Py_hash_t wrapper_hash(PyObject* self) { return _Py_HashPointer(as_wrapper(self)->object.get()); }

PyObject* wrapper_new(PyTypeObject* type, PyObject*, PyObject*)
{
    PyErr_Format(PyExc_TypeError, "%s objects come from velmo.Dispatch, velmo.DispatchWithEvents or a member's result", type->tp_name);
    return nullptr;
}

void wrapper_dealloc(PyObject* self)
{
    WrapperObject* w = as_wrapper(self);
    if (w->weakrefs)
        PyObject_ClearWeakRefs(self);
    Py_CLEAR(w->methods);
    w->object.~ObjectRef();
    Py_TYPE(self)->tp_free(self);
}

// ---- Iteration over collections --------------------------------------------------------------

// A collection hands out an enumerator through NewEnum; its Next gives each item, then nothing.
struct EnumeratorObject {
    PyObject_HEAD
    ObjectRef enumerator;
};

PyObject* wrapper_iter(PyObject* self)
{
    const ObjectRef& object = as_wrapper(self)->object;
    const Member* member = object ? object->find_member("NewEnum", Invoke::Call) : nullptr;
    if (!member && object)
        member = object->find_member("_NewEnum", Invoke::Call);
    if (!member) {
        PyErr_Format(PyExc_TypeError, "%.200s is not a collection (it has no NewEnum)", object ? class_title(*object).c_str() : "velmo.Object");
        return nullptr;
    }
    ObjectRef enumerator;
    try {
        enumerator = object->invoke(member->name, Invoke::Call, {}).to_object();
    } catch (const Error& error) {
        set_python_error(error);
        return finish_call(nullptr);
    }
    if (!enumerator) {
        PyErr_SetString(PyExc_TypeError, "NewEnum gave no enumerator");
        return nullptr;
    }
    auto* iterator = PyObject_New(EnumeratorObject, &enumerator_type);
    if (!iterator)
        return nullptr;
    new (&iterator->enumerator) ObjectRef(std::move(enumerator));
    return reinterpret_cast<PyObject*>(iterator);
}

PyObject* enumerator_next(PyObject* self)
{
    const ObjectRef& enumerator = reinterpret_cast<EnumeratorObject*>(self)->enumerator;
    PyObject* item = call_member(enumerator, enumerator->find_member("Next", Invoke::Call), "Next", Invoke::Call, nullptr, 0, nullptr);
    if (item == Py_None) {
        Py_DECREF(item);
        return nullptr;  // the end: StopIteration
    }
    return item;
}

void enumerator_dealloc(PyObject* self)
{
    reinterpret_cast<EnumeratorObject*>(self)->enumerator.~ObjectRef();
    PyObject_Free(self);
}

// ---- Surfaces and pictures: PNG and pixels ----------------------------------------------------

template<typename T>
std::shared_ptr<T> wrapped(PyObject* self)
{
    return std::dynamic_pointer_cast<T>(as_wrapper(self)->object);
}

std::filesystem::path path_argument(PyObject* value)
{
    PyObject* encoded = nullptr;
    if (!PyUnicode_FSConverter(value, &encoded))
        return {};
    std::filesystem::path path(PyBytes_AS_STRING(encoded));
    Py_DECREF(encoded);
    return path;
}

PyObject* surface_save_png(PyObject* self, PyObject* arg)
{
    std::filesystem::path path = path_argument(arg);
    if (PyErr_Occurred())
        return nullptr;
    try {
        wrapped<host::Surface>(self)->write_png(path);
    } catch (Error& error) {
        error.set_source_if_empty("velmo");
        set_python_error(error);
        return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject* picture_save_png(PyObject* self, PyObject* arg)
{
    std::filesystem::path path = path_argument(arg);
    if (PyErr_Occurred())
        return nullptr;
    auto picture = wrapped<platform::Picture>(self);
    const gfx::Bitmap* pixels = picture ? platform::bitmap_pixels(picture->bitmap()) : nullptr;
    if (!pixels) {
        set_python_error(Error(err::InvalidPicture, "velmo", "Invalid picture: the picture holds no bitmap"));
        return nullptr;
    }
    if (!gfx::write_png(*pixels, path)) {
        set_python_error(Error(err::PathFileAccess, "velmo", "Cannot write " + path.string()));
        return nullptr;
    }
    Py_RETURN_NONE;
}

// What a buffer export keeps until it is released: its shape and strides and, for a surface,
// the copy of the pixels it shows.
struct Export {
    Py_ssize_t shape[3];
    Py_ssize_t strides[3];
    std::vector<uint32_t> pixels;
};

// Pixels as rows of blue, green, red, reserved bytes: shape (height, width, 4), read-only.
int fill_buffer(PyObject* self, Py_buffer* view, int flags, const uint32_t* pixels, int width, int height, int row_stride_pixels,
    std::unique_ptr<Export> keep)
{
    Py_ssize_t row_bytes = static_cast<Py_ssize_t>(row_stride_pixels) * 4;
    Py_ssize_t length = row_bytes * height;
    if (PyBuffer_FillInfo(view, self, const_cast<uint32_t*>(pixels), length, 1, flags) < 0)
        return -1;
    if (!keep)
        keep = std::make_unique<Export>();
    if (flags & PyBUF_ND) {
        keep->shape[0] = height;
        keep->shape[1] = width;
        keep->shape[2] = 4;
        keep->strides[0] = row_bytes;
        keep->strides[1] = 4;
        keep->strides[2] = 1;
        view->ndim = 3;
        view->shape = keep->shape;
        view->strides = (flags & PyBUF_STRIDES) == PyBUF_STRIDES ? keep->strides : nullptr;
    }
    view->internal = keep.release();
    return 0;
}

void release_buffer(PyObject*, Py_buffer* view) { delete static_cast<Export*>(view->internal); }

int picture_getbuffer(PyObject* self, Py_buffer* view, int flags)
{
    auto picture = wrapped<platform::Picture>(self);
    const gfx::Bitmap* pixels = picture ? platform::bitmap_pixels(picture->bitmap()) : nullptr;
    if (!pixels) {
        PyErr_SetString(PyExc_BufferError, "the picture holds no bitmap");
        return -1;
    }
    // The bitmap's memory stays put while the picture lives, and the view holds the picture.
    return fill_buffer(self, view, flags, pixels->scanline(0), pixels->width(), pixels->height(), pixels->width(), nullptr);
}

int surface_getbuffer(PyObject* self, Py_buffer* view, int flags)
{
    auto surface = wrapped<host::Surface>(self);
    // A window's pixels are replaced when it changes size, so a surface exports a copy of what it
    // shows now (the persistent image while AutoRedraw is on); numpy and PIL then share that copy.
    auto keep = std::make_unique<Export>();
    int width = surface->client_width(), height = surface->client_height();
    keep->pixels.assign(static_cast<size_t>(std::max(0, width)) * std::max(0, height), 0);
    if (surface->get_AutoRedraw().is_true()) {
        auto image = std::dynamic_pointer_cast<platform::Picture>(surface->get_Image());
        const gfx::Bitmap* pixels = image ? platform::bitmap_pixels(image->bitmap()) : nullptr;
        if (pixels) {
            gfx::Bitmap copy({ width, height });
            copy.copy_from(*pixels, copy.rect(), {});
            std::copy(copy.pixels().begin(), copy.pixels().end(), keep->pixels.begin());
        }
    } else {
        platform::HDC dc = platform::GetDC(surface->window());
        if (auto source = platform::reading_source(dc)) {
            for (int y = 0; y < height && y < source->area.height; ++y) {
                const uint32_t* row = source->bitmap->scanline(source->origin.y + y) + source->origin.x;
                std::copy(row, row + std::min(width, source->area.width), keep->pixels.begin() + static_cast<ptrdiff_t>(y) * width);
            }
        }
        platform::ReleaseDC(surface->window(), dc);
    }
    // What drawing left in the reserved byte is not part of the colour.
    for (uint32_t& word : keep->pixels)
        word &= 0x00FFFFFF;
    const uint32_t* data = keep->pixels.data();
    return fill_buffer(self, view, flags, data, width, height, width, std::move(keep));
}

PyBufferProcs picture_buffer { picture_getbuffer, release_buffer };
PyBufferProcs surface_buffer { surface_getbuffer, release_buffer };

PyObject* surface_size(PyObject* self, void*)
{
    auto surface = wrapped<host::Surface>(self);
    return Py_BuildValue("(ii)", surface->client_width(), surface->client_height());
}

PyObject* picture_size(PyObject* self, void*)
{
    auto picture = wrapped<platform::Picture>(self);
    gfx::Size size = picture ? picture->pixel_size() : gfx::Size {};
    return Py_BuildValue("(ii)", size.width, size.height);
}

int size_argument(PyObject* args, PyObject* kwargs, const char* format, int& width, int& height, PyObject** form = nullptr)
{
    static const char* sized[] = { "width", "height", nullptr };
    static const char* sized_on_form[] = { "width", "height", "form", nullptr };
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, format, const_cast<char**>(form ? sized_on_form : sized), &width, &height, form))
        return -1;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        set_python_error(Error(err::InvalidArgument, "velmo", "Invalid procedure call or argument: a size of 1 to 16384 pixels each way"));
        return -1;
    }
    return 0;
}

PyObject* form_new(PyTypeObject*, PyObject* args, PyObject* kwargs)
{
    int width = 0, height = 0;
    if (size_argument(args, kwargs, "ii:Form", width, height) < 0)
        return nullptr;
    try {
        return wrap_object(host::Form::create(width, height));
    } catch (const Error& error) {
        set_python_error(error);
        return nullptr;
    }
}

PyObject* picture_box_new(PyTypeObject*, PyObject* args, PyObject* kwargs)
{
    int width = 0, height = 0;
    PyObject* form = Py_None;
    if (size_argument(args, kwargs, "ii|O:PictureBox", width, height, &form) < 0)
        return nullptr;
    std::shared_ptr<host::Form> parent;
    if (form != Py_None) {
        parent = is_wrapper(form) ? std::dynamic_pointer_cast<host::Form>(unwrap_object(form)) : nullptr;
        if (!parent) {
            PyErr_SetString(PyExc_TypeError, "PictureBox: form must be a velmo.Form or None");
            return nullptr;
        }
    }
    try {
        return wrap_object(host::PictureBox::create(width, height, parent));
    } catch (const Error& error) {
        set_python_error(error);
        return nullptr;
    }
}

// An object lives in the process that created it (its component, windows and files are there), so
// pickle and copy refuse it with a message that says what to send instead.
PyObject* wrapper_refuse_pickle(PyObject* self, PyObject*)
{
    const auto& object = as_wrapper(self)->object;
    PyErr_Format(PyExc_TypeError,
        "%s objects cannot be pickled or copied: a %s lives in the process that created it; send what it "
        "is made from (a ProgID, a file name) and create the object where it is used",
        Py_TYPE(self)->tp_name, object ? class_title(*object).c_str() : "velmo object");
    return nullptr;
}

PyMethodDef wrapper_methods[] = {
    { "__dir__", wrapper_dir, METH_NOARGS, nullptr },
    { "__reduce__", wrapper_refuse_pickle, METH_NOARGS, nullptr },
    { "__reduce_ex__", wrapper_refuse_pickle, METH_O, nullptr },
    { "__getstate__", wrapper_refuse_pickle, METH_NOARGS, nullptr },
    { nullptr, nullptr, 0, nullptr },
};

PyMethodDef surface_methods[] = {
    { "save_png", surface_save_png, METH_O, "save_png(path): writes the client area as it shows now as a PNG file." },
    { nullptr, nullptr, 0, nullptr },
};

PyMethodDef picture_methods[] = {
    { "save_png", picture_save_png, METH_O, "save_png(path): writes the picture's bitmap as a PNG file." },
    { nullptr, nullptr, 0, nullptr },
};

PyGetSetDef surface_getset[] = {
    { "size", surface_size, nullptr, "(width, height) of the client area in pixels", nullptr },
    { nullptr, nullptr, nullptr, nullptr, nullptr },
};

PyGetSetDef picture_getset[] = {
    { "size", picture_size, nullptr, "(width, height) of the bitmap in pixels", nullptr },
    { nullptr, nullptr, nullptr, nullptr, nullptr },
};

constexpr const char* object_doc =
    "An automation object. Its members are attributes, found without regard to case: a property is read and put "
    "by attribute, a method is called with positional or keyword arguments (the type library's parameter names). "
    "dir() lists the members.";
constexpr const char* surface_doc =
    "A form or picture box: save_png(path), size, and the buffer protocol (a copy of the client area as it shows now, "
    "rows of blue, green, red, reserved bytes: memoryview(s).shape == (height, width, 4)).";

void init_types()
{
    auto& o = wrapper_type;
    o.tp_name = "velmo.Object";
    o.tp_basicsize = sizeof(WrapperObject);
    o.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    o.tp_doc = object_doc;
    o.tp_new = wrapper_new;
    o.tp_dealloc = wrapper_dealloc;
    o.tp_getattro = wrapper_getattro;
    o.tp_setattro = wrapper_setattro;
    o.tp_repr = wrapper_repr;
    o.tp_richcompare = wrapper_richcompare;
    o.tp_hash = wrapper_hash;
    o.tp_methods = wrapper_methods;
    o.tp_weaklistoffset = offsetof(WrapperObject, weakrefs);
    o.tp_iter = wrapper_iter;

    auto& s = surface_type;
    s.tp_name = "velmo.Surface";
    s.tp_basicsize = sizeof(WrapperObject);
    s.tp_flags = Py_TPFLAGS_DEFAULT;
    s.tp_doc = surface_doc;
    s.tp_base = &wrapper_type;
    s.tp_methods = surface_methods;
    s.tp_getset = surface_getset;
    s.tp_as_buffer = &surface_buffer;

    auto& f = form_type;
    f.tp_name = "velmo.Form";
    f.tp_basicsize = sizeof(WrapperObject);
    f.tp_flags = Py_TPFLAGS_DEFAULT;
    f.tp_doc = "Form(width, height): a new hidden form whose client area is that many pixels.";
    f.tp_base = &surface_type;
    f.tp_new = form_new;

    auto& b = picture_box_type;
    b.tp_name = "velmo.PictureBox";
    b.tp_basicsize = sizeof(WrapperObject);
    b.tp_flags = Py_TPFLAGS_DEFAULT;
    b.tp_doc = "PictureBox(width, height, form=None): a picture box whose client area is that many pixels, on form or on "
               "a hidden form of its own.";
    b.tp_base = &surface_type;
    b.tp_new = picture_box_new;

    auto& p = picture_type;
    p.tp_name = "velmo.Picture";
    p.tp_basicsize = sizeof(WrapperObject);
    p.tp_flags = Py_TPFLAGS_DEFAULT;
    p.tp_doc = "A picture object: save_png(path), size, and the buffer protocol over its bitmap without a copy (rows of "
               "blue, green, red, reserved bytes: memoryview(p).shape == (height, width, 4)).";
    p.tp_base = &wrapper_type;
    p.tp_methods = picture_methods;
    p.tp_getset = picture_getset;
    p.tp_as_buffer = &picture_buffer;

    auto& m = bound_member_type;
    m.tp_name = "velmo.Member";
    m.tp_basicsize = sizeof(BoundMember);
    m.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_VECTORCALL;
    m.tp_vectorcall_offset = offsetof(BoundMember, vectorcall);
    m.tp_call = PyVectorcall_Call;
    m.tp_dealloc = bound_member_dealloc;
    m.tp_repr = bound_member_repr;
    m.tp_getset = bound_member_getset;

    auto& e = enumerator_type;
    e.tp_name = "velmo.Enumerator";
    e.tp_basicsize = sizeof(EnumeratorObject);
    e.tp_flags = Py_TPFLAGS_DEFAULT;
    e.tp_iter = PyObject_SelfIter;
    e.tp_iternext = enumerator_next;
    e.tp_dealloc = enumerator_dealloc;
}

}  // namespace

bool add_wrapper_types(PyObject* module)
{
    init_types();
    struct Named {
        const char* name;
        PyTypeObject* type;
    };
    for (Named t : { Named { "Object", &wrapper_type }, Named { "Surface", &surface_type }, Named { "Form", &form_type },
             Named { "PictureBox", &picture_box_type }, Named { "Picture", &picture_type }, Named { "Member", &bound_member_type },
             Named { "Enumerator", &enumerator_type } }) {
        if (PyType_Ready(t.type) < 0)
            return false;
        Py_INCREF(t.type);
        if (PyModule_AddObject(module, t.name, reinterpret_cast<PyObject*>(t.type)) < 0)
            return false;
    }
    return true;
}

PyTypeObject* object_type() { return &wrapper_type; }

PyObject* new_wrapper(PyTypeObject* type, ObjectRef object)
{
    PyObject* self = type->tp_alloc(type, 0);
    if (!self)
        return nullptr;
    WrapperObject* w = as_wrapper(self);
    new (&w->object) ObjectRef(std::move(object));
    w->methods = nullptr;
    w->weakrefs = nullptr;
    return self;
}

PyObject* wrap_object(ObjectRef object)
{
    if (!object)
        Py_RETURN_NONE;
    PyTypeObject* type = &wrapper_type;
    Object* raw = object.get();
    if (dynamic_cast<host::Form*>(raw))
        type = &form_type;
    else if (dynamic_cast<host::PictureBox*>(raw))
        type = &picture_box_type;
    else if (dynamic_cast<platform::Picture*>(raw))
        type = &picture_type;
    return new_wrapper(type, std::move(object));
}

bool is_wrapper(PyObject* value) { return PyObject_TypeCheck(value, &wrapper_type); }

ObjectRef unwrap_object(PyObject* value) { return is_wrapper(value) ? as_wrapper(value)->object : nullptr; }

}  // namespace velmo::python
