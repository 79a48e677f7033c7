#include "automation/dynamic_object.h"

#include <cctype>

namespace velmo {


DynamicObject::DynamicObject(std::string_view name)
{
    info_.library = "velmo host";
    info_.name = name;
}

DynamicObject& DynamicObject::on(std::string_view name, Handler handler, Invoke how)
{
    handlers_[{ to_lower(name), how }] = std::move(handler);
    return *this;
}

Variant DynamicObject::invoke(std::string_view name, Invoke how, Args args)
{
    auto it = handlers_.find({ to_lower(name), how });
    if (it == handlers_.end())
        throw Error(err::MemberNotSupported, std::string(info_.name));
    return it->second(args);
}

}  // namespace velmo
