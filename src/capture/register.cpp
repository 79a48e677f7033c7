#include "capture/register.h"

#include "automation/registry.h"
#include "capture/image_capture.h"

namespace velmo::capture {

void register_classes()
{
    register_class(clsKxLumoImageCaptureA::info(), [] { return std::make_shared<clsKxLumoImageCaptureA>(); });
}

std::vector<const ClassInfo*> classes() { return { &clsKxLumoImageCaptureA::info() }; }

}  // namespace velmo::capture
