#include "frame/framework_services.h"

#include "automation/late.h"
#include "automation/registry.h"
#include "runtime/app.h"
#include "runtime/err_object.h"

namespace velmo::frame {

void ErrorHandlerMessageKx_Pro(const Error& error, const std::string& location)
{
    ObjectRef handler = create_object("KxBasalt10.clsKxsvErrorHandlerA");
    Variant app { host::app() };
    Variant error_object { ObjectRef(std::make_shared<host::ErrObject>(error)) };
    Variant text { std::string() };
    Variant where { location };
    Variant options { Long(0) };
    Variant extra { std::string() };
    Variant flags { Long(0) };
    Variant reserved = Variant::missing();
    Variant* args[] = { &app, &error_object, &text, &where, &options, &extra, &flags, &reserved };
    late::invoke(handler, "ErrorHandlerMessageKx", Invoke::Call, args);
}

void AppAboutKxsv_Pro()
{
    const std::string location = std::string("basKxsvCommonA") + ".AppAboutKxsv_Pro";
    ObjectRef service;
    ObjectRef copy;
    report(location, [&] { service = create_object("KxBasalt10.clsKxBasalt10A"); });
    report(location, [&] { copy = service; });
    report(location, [&] { late::call(copy, "AppAboutKxsv", host::app()); });
    report(location, [&] { copy.reset(); });
    report(location, [&] { service.reset(); });
}

}  // namespace velmo::frame
