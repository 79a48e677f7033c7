#include "exif/register.h"

#include "automation/registry.h"
#include "exif/catalogue.h"
#include "exif/file_part.h"
#include "exif/jpg_tags.h"

namespace velmo::exif {

void register_classes()
{
    register_class(clsKxLumoJPGTagsA::info(), [] { return std::make_shared<clsKxLumoJPGTagsA>(); });
    register_class(clsKxLumoJPGTagsItemsA::info(), [] { return std::make_shared<clsKxLumoJPGTagsItemsA>(); });
    register_class(clsKxLumoJPGTagsItemA::info(), [] { return std::make_shared<clsKxLumoJPGTagsItemA>(); });
}

std::vector<const ClassInfo*> classes()
{
    return { &clsKxLumoJPGTagsA::info(), &clsKxLumoJPGTagsItemsA::info(), &clsKxLumoJPGTagsItemA::info() };
}

std::vector<Enumeration> enumerations() { return { tag_enumeration(), file_part_enumeration() }; }

}  // namespace velmo::exif
