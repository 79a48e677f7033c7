// DynamicObject: an object whose members are functions added at run time. It stands in for a
// client's event sink, a recording double in tests, or any object whose surface is not fixed.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "automation/object.h"

namespace velmo {

class DynamicObject : public Object {
public:
    using Handler = std::function<Variant(Args)>;

    explicit DynamicObject(std::string_view name = "DynamicObject");

    /// `name` answers calls and reads; `how` = Let/Set makes it answer puts (value is the last arg).
    DynamicObject& on(std::string_view name, Handler handler, Invoke how = Invoke::Call);

    const ClassInfo& class_info() const override { return info_; }
    Variant invoke(std::string_view name, Invoke how, Args args) override;

private:
    ClassInfo info_;
    std::map<std::pair<std::string, Invoke>, Handler> handlers_;
};

}  // namespace velmo
