#include "automation/dynamic_object.h"

#include <cctype>

namespace velmo {

namespace {
std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}
}  // namespace

DynamicObject::DynamicObject(std::string_view name)
{
    info_.library = "velmo host";
    info_.name = name;
}

DynamicObject& DynamicObject::on(std::string_view name, Handler handler, Invoke how)
{
    handlers_[{ lower(name), how }] = std::move(handler);
    return *this;
}

Variant DynamicObject::invoke(std::string_view name, Invoke how, Args args)
{
    auto it = handlers_.find({ lower(name), how });
    if (it == handlers_.end())
        throw Error(err::MemberNotSupported, std::string(info_.name));
    return it->second(args);
}

}  // namespace velmo
