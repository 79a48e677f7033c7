// Late-bound calls from library code into any object, by member name, the way a late-bound client
// calls: arguments are passed as temporaries unless the caller hands its own variables.
#pragma once

#include <array>

#include "automation/object.h"

namespace velmo::late {

/// Calls with the caller's own variables, which by-ref parameters alias.
Variant invoke(const ObjectRef& object, std::string_view name, Invoke how, Args args);

template<typename... Vs>
Variant call(const ObjectRef& object, std::string_view name, Vs&&... values)
{
    std::array<Variant, sizeof...(Vs)> storage { Variant(std::forward<Vs>(values))... };
    std::array<Variant*, sizeof...(Vs)> args {};
    for (size_t i = 0; i < storage.size(); ++i)
        args[i] = &storage[i];
    return invoke(object, name, Invoke::Call, args);
}

/// Property read; the same binding as a call.
template<typename... Vs>
Variant get(const ObjectRef& object, std::string_view name, Vs&&... index)
{
    return call(object, name, std::forward<Vs>(index)...);
}

void let(const ObjectRef& object, std::string_view name, Variant value);
void set(const ObjectRef& object, std::string_view name, ObjectRef value);

}  // namespace velmo::late
