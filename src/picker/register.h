// The colour picker's part of the type library: its one class and its event interface.
#pragma once

#include <vector>

#include "automation/object.h"

namespace velmo::picker {

// Registers "Velmo10.clsKxLumoPickColFromMouseA".
void register_classes();
std::vector<const ClassInfo*> classes();

}  // namespace velmo::picker
