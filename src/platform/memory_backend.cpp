#include "platform/memory_backend.h"

namespace velmo::platform {

MemoryBackend::MemoryBackend(gfx::Size screen_size, int bits_per_pixel)
    : screen_(screen_size)
    , bits_per_pixel_(bits_per_pixel)
{
}

const gfx::Bitmap& MemoryBackend::screen(uint64_t generation, const std::function<std::vector<SceneLayer>()>& scene)
{
    if (composed_ && generation == generation_)
        return screen_;
    compose(screen_, scene());
    composed_ = true;
    generation_ = generation;
    ++compositions_;
    return screen_;
}

}  // namespace velmo::platform
