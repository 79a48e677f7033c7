#include "gradients/register.h"

#include "automation/registry.h"
#include "gradients/gradients.h"

namespace velmo::gradients {

void register_classes()
{
    register_class(clsKxLumoGradientsA::info(), [] { return std::make_shared<clsKxLumoGradientsA>(); });
}

std::vector<const ClassInfo*> classes() { return { &clsKxLumoGradientsA::info() }; }

}  // namespace velmo::gradients
