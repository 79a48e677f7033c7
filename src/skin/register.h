// The skin's part of the type library: its one class.
#pragma once

#include <vector>

#include "automation/object.h"

namespace velmo::skin {

// Registers "Velmo10.clsKxLumoUIFormSkinA".
void register_classes();
std::vector<const ClassInfo*> classes();

}  // namespace velmo::skin
