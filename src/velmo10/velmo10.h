// The type library Velmo10, version 1.0: every subsystem's public classes and enumerations in one
// place. Loading it registers the creatable classes under "Velmo10." + class name.
#pragma once

#include "automation/registry.h"

namespace velmo::velmo10 {

void load();
void unload();

const TypeLibrary& type_library();

}  // namespace velmo::velmo10
