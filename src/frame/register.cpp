#include "frame/register.h"

#include "automation/registry.h"
#include "frame/main_class.h"
#include "frame/placeholders.h"

namespace velmo::frame {

namespace {
template<typename C>
void add()
{
    register_class(C::info(), [] { return std::make_shared<C>(); });
}
}  // namespace

void register_classes()
{
    add<clsKxVelmo10A>();
    add<clsKxLumoImageEditingA>();
    add<clsKxLumoImageProcessingA>();
    add<clsKxLumoGeneralA>();
    add<clsKxLumoAdvancedA>();
}

std::vector<const ClassInfo*> classes()
{
    return { &clsKxVelmo10A::info(), &clsKxLumoImageEditingA::info(), &clsKxLumoImageProcessingA::info(),
        &clsKxLumoGeneralA::info(), &clsKxLumoAdvancedA::info() };
}

}  // namespace velmo::frame
