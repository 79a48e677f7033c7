#include "runtime/resources.h"

#include "automation/error.h"

namespace velmo::host {

namespace {
[[noreturn]] void not_found(const std::string& id)
{
    raise(err::ResourceNotFound, "Resource with identifier '" + id + "' not found");
}

thread_local ResourceLoader* installed = nullptr;
}  // namespace

Variant ResourceLoader::LoadResString(Long id) { not_found(std::to_string(id.value())); }
Variant ResourceLoader::LoadResPicture(Variant id, Integer) { not_found(id.to_string()); }
Variant ResourceLoader::LoadResData(Variant id, Variant) { not_found(id.to_string()); }

ResourceLoader& resource_loader()
{
    static ResourceLoader built_in;
    return installed ? *installed : built_in;
}

void set_resource_loader(ResourceLoader* loader) { installed = loader; }

}  // namespace velmo::host
