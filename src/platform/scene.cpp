#include "platform/scene.h"

namespace velmo::platform {

void compose(gfx::Bitmap& out, const std::vector<SceneLayer>& layers)
{
    for (const auto& layer : layers) {
        for (const auto& area : layer.visible.rects())
            out.copy_from(*layer.pixels, area.translated(-layer.origin.x, -layer.origin.y), area.location());
    }
}

}  // namespace velmo::platform
