// The gradient painter's part of the type library: its one class and two enumerations.
#pragma once

#include <vector>

#include "automation/object.h"

namespace velmo::gradients {

// Registers "Velmo10.clsKxLumoGradientsA".
void register_classes();
std::vector<const ClassInfo*> classes();
// GradientWhatColorLumoConstants and GradientOrientationLumoConstants.
std::vector<Enumeration> enumerations();

}  // namespace velmo::gradients
