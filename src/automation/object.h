// Object: a reference-counted automation object reached by member name (late binding) or by
// dispatch id. Every public class declares one member table (ClassInfo) in function-table order;
// binding, dispatch ids, argument defaults, the missing marker, the type-library listing and the
// creatable flag all come from it.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/by_ref.h"
#include "automation/variant.h"

namespace velmo {

enum class MemberKind { Method, PropertyGet, PropertyLet, PropertySet };
enum class Pass { ByRef, ByValue };
enum class Creatable { No, Yes };

/// How a call reaches an object: a method call or property read, a value put, or an object put.
enum class Invoke { Call, Let, Set };

using DispId = int32_t;
inline constexpr DispId first_dispid = 0x60030000;

/// A parameter's or result's type as the type library names it. Enumerations travel as Long.
struct TypeName {
    VarType vt = VarType::Empty;
    std::string_view name {};  // set for enumerations and object interfaces

    std::string_view text() const { return name.empty() ? type_name(vt) : name; }
    static TypeName of(VarType vt) { return { vt, {} }; }
    static TypeName enumeration(std::string_view name) { return { VarType::Long, name }; }
    static TypeName object(std::string_view interface_name) { return { VarType::Object, interface_name }; }
};

struct Param {
    std::string_view name;
    TypeName type;
    Pass pass = Pass::ByRef;
    bool optional = false;
    bool has_default = false;
    Variant default_value {};

    Param by_value() const
    {
        Param p = *this;
        p.pass = Pass::ByValue;
        return p;
    }
    /// Optional without a declared default: arrives as the zero value of its type, or the missing
    /// marker for a Variant.
    Param optional_() const
    {
        Param p = *this;
        p.optional = true;
        return p;
    }
    Param optional_default(Variant value) const
    {
        Param p = *this;
        p.optional = true;
        p.has_default = true;
        p.default_value = std::move(value);
        return p;
    }
    /// What an omitted argument arrives as.
    Variant omitted_value() const;
};

inline Param param(std::string_view name, VarType vt) { return Param { name, TypeName::of(vt) }; }
inline Param param(std::string_view name, TypeName type) { return Param { name, type }; }

class Object;
class EventSource;
using Args = std::span<Variant* const>;
using Thunk = std::function<Variant(Object&, Args)>;

struct Member {
    std::string_view name;
    MemberKind kind = MemberKind::Method;
    std::vector<Param> params;
    TypeName result {};  // Empty: no value
    std::string_view help {};
    Thunk thunk;

    Member&& with_help(std::string_view text) &&
    {
        help = text;
        return std::move(*this);
    }
};

struct Enumeration {
    std::string_view name;
    std::vector<std::pair<std::string_view, int32_t>> values;
};

struct ClassInfo {
    std::string_view library;  // "Velmo10"
    std::string_view name;     // "clsKxVelmo10A"
    Creatable creatable = Creatable::No;
    std::vector<Member> members;                  // function-table order
    std::string_view event_interface {};          // "__clsKxLumoPickColFromMouseA"
    std::vector<Member> events {};                // outgoing members, no thunks
    DispId first_id = first_dispid;               // an event interface numbers its members from 1

    /// Property get and put of one name share a dispatch id; members get ids in table order.
    DispId dispid_of(size_t index) const;
    std::string progid() const { return std::string(library) + "." + std::string(name); }
};

class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;

    virtual const ClassInfo& class_info() const = 0;

    /// Late binding by name (case-insensitive). args are the caller's variables, in order; by-ref
    /// parameters alias them. Errors leave as velmo::Error; anything else thrown inside a member
    /// becomes error 7 (or its own number for a known kind), with the class's library as source.
    virtual Variant invoke(std::string_view name, Invoke how, Args args);
    Variant invoke(DispId id, Invoke how, Args args);

    /// Finds the table member that a call of this kind binds to, or nullptr.
    const Member* find_member(std::string_view name, Invoke how) const;

    /// Where a client connects its sink for the class's events; nullptr for a class without any.
    virtual EventSource* events() { return nullptr; }

protected:
    Variant invoke_member(const Member& member, Args args);
};

bool equals_ignoring_case(std::string_view a, std::string_view b);
/// ASCII lower case, the form names are compared and keyed in.
std::string to_lower(std::string_view text);

// ---- Member-table construction: thunks generated from the C++ signature --------------------------

namespace detail {

template<typename P>
struct ArgFrom {
    static P make(Variant& v) { return v.as<P>(); }
};
template<typename T>
struct ArgFrom<ByRef<T>> {
    static ByRef<T> make(Variant& v) { return ByRef<T>(v); }
};

template<typename R>
Variant to_variant(R&& value)
{
    return Variant(std::forward<R>(value));
}

template<typename C, typename R, typename... Ps, size_t... I>
Variant call_member(C& self, R (C::*fn)(Ps...), Args args, std::index_sequence<I...>)
{
    if constexpr (std::is_void_v<R>) {
        (self.*fn)(ArgFrom<std::remove_cvref_t<Ps>>::make(*args[I])...);
        return {};
    } else {
        return to_variant((self.*fn)(ArgFrom<std::remove_cvref_t<Ps>>::make(*args[I])...));
    }
}

template<typename C, typename R, typename... Ps>
Thunk make_thunk(R (C::*fn)(Ps...), size_t declared)
{
    if (sizeof...(Ps) != declared)
        throw std::logic_error("member table and C++ signature disagree on the parameter count");
    return [fn](Object& self, Args args) -> Variant {
        return call_member(static_cast<C&>(self), fn, args, std::index_sequence_for<Ps...> {});
    };
}

}  // namespace detail

template<typename Fn>
Member method(std::string_view name, Fn fn, std::vector<Param> params = {}, TypeName result = {})
{
    size_t n = params.size();
    return Member { name, MemberKind::Method, std::move(params), result, {}, detail::make_thunk(fn, n) };
}
template<typename Fn>
Member property_get(std::string_view name, Fn fn, TypeName result, std::vector<Param> params = {})
{
    size_t n = params.size();
    return Member { name, MemberKind::PropertyGet, std::move(params), result, {}, detail::make_thunk(fn, n) };
}
namespace detail {
/// The assigned value is the last parameter of the C++ function and is always by value. Filled in
/// place: moving a temporary Param makes the optimiser warn about its empty default Variant.
inline void append_assigned_value(std::vector<Param>& params, TypeName value)
{
    Param& rhs = params.emplace_back();
    rhs.name = "RHS";
    rhs.type = value;
    rhs.pass = Pass::ByValue;
}
}  // namespace detail

template<typename Fn>
Member property_let(std::string_view name, Fn fn, TypeName value, std::vector<Param> params = {})
{
    detail::append_assigned_value(params, value);
    size_t n = params.size();
    return Member { name, MemberKind::PropertyLet, std::move(params), {}, {}, detail::make_thunk(fn, n) };
}
template<typename Fn>
Member property_set(std::string_view name, Fn fn, TypeName value, std::vector<Param> params = {})
{
    detail::append_assigned_value(params, value);
    size_t n = params.size();
    return Member { name, MemberKind::PropertySet, std::move(params), {}, {}, detail::make_thunk(fn, n) };
}
/// An outgoing (event) member: only its shape, for the listing and for raising by name.
inline Member event(std::string_view name, std::vector<Param> params)
{
    return Member { name, MemberKind::Method, std::move(params), {}, {}, {} };
}

}  // namespace velmo
