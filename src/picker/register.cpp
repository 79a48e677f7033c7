#include "picker/register.h"

#include "automation/registry.h"
#include "picker/pick_col_from_mouse.h"

namespace velmo::picker {

void register_classes()
{
    register_class(clsKxLumoPickColFromMouseA::info(), [] { return clsKxLumoPickColFromMouseA::create(); });
}

std::vector<const ClassInfo*> classes() { return { &clsKxLumoPickColFromMouseA::info() }; }

}  // namespace velmo::picker
