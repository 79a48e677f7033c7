// The host's resource loader for the library's own resources. The library carries none, so every
// lookup raises 326 naming the id. The loader is replaceable so a test can see what was asked.
#pragma once

#include "automation/variant.h"

namespace velmo::host {

class ResourceLoader {
public:
    virtual ~ResourceLoader() = default;
    virtual Variant LoadResString(Long id);
    virtual Variant LoadResPicture(Variant id, Integer kind);
    virtual Variant LoadResData(Variant id, Variant type);
};

ResourceLoader& resource_loader();
// Installs a loader for the calling thread (nullptr restores the built-in one).
void set_resource_loader(ResourceLoader* loader);

}  // namespace velmo::host
