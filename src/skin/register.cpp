#include "skin/register.h"

#include "automation/registry.h"
#include "skin/form_skin.h"

namespace velmo::skin {

void register_classes()
{
    register_class(clsKxLumoUIFormSkinA::info(), [] { return std::make_shared<clsKxLumoUIFormSkinA>(); });
}

std::vector<const ClassInfo*> classes() { return { &clsKxLumoUIFormSkinA::info() }; }

}  // namespace velmo::skin
