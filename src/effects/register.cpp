#include "effects/register.h"

#include "automation/registry.h"
#include "effects/real_snow.h"

namespace velmo::effects {

void register_classes()
{
    register_class(clsKxLumoEffectsRealSnowA::info(), [] { return std::make_shared<clsKxLumoEffectsRealSnowA>(); });
}

std::vector<const ClassInfo*> classes() { return { &clsKxLumoEffectsRealSnowA::info() }; }

}  // namespace velmo::effects
