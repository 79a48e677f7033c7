// The frame's classes: the main class and the four placeholders.
#pragma once

#include <vector>

#include "automation/object.h"

namespace velmo::frame {

void register_classes();
std::vector<const ClassInfo*> classes();

}  // namespace velmo::frame
