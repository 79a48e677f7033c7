// The class registry: ProgID -> factory, process-wide. A component registers its creatable classes
// when it is loaded; a ProgID nobody registered, or a class that is not creatable, raises 429.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/object.h"

namespace velmo {

using Factory = std::function<ObjectRef()>;

void register_class(const ClassInfo& info, Factory factory);
/// Removes every class of a library, as when its component is unloaded.
void unregister_library(std::string_view library);
bool is_registered(std::string_view progid);

/// Creates a registered class; a ProgID not registered yet first loads the component that the class
/// registration file names for it (automation/component_loader.h).
ObjectRef create_object(std::string_view progid);
/// Every class registered now, creatable or not, in no particular order.
std::vector<const ClassInfo*> registered_classes();

/// A type library: its classes (creatable or not) and enumerations, for listing.
struct TypeLibrary {
    std::string_view name;
    std::string_view version;
    std::vector<const ClassInfo*> classes;
    std::vector<Enumeration> enumerations;
};

}  // namespace velmo
