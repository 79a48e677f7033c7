// The snow effect's part of the type library: its one class.
#pragma once

#include <vector>

#include "automation/object.h"

namespace velmo::effects {

// Registers "Velmo10.clsKxLumoEffectsRealSnowA".
void register_classes();
std::vector<const ClassInfo*> classes();

}  // namespace velmo::effects
