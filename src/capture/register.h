// The capture subsystem's part of the type library: its one class.
#pragma once

#include <vector>

#include "automation/object.h"

namespace velmo::capture {

// Registers "Velmo10.clsKxLumoImageCaptureA".
void register_classes();
std::vector<const ClassInfo*> classes();

}  // namespace velmo::capture
