// The host's Screen object, which the Mid...Black presets read for its width.
#pragma once

#include "automation/object.h"

namespace velmo::gradients {

ObjectRef screen();

}  // namespace velmo::gradients
