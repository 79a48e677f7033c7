#include "exif/tag_item.h"

namespace velmo::exif {

const ClassInfo& clsKxLumoJPGTagsItemA::info()
{
    using Self = clsKxLumoJPGTagsItemA;
    const auto string = TypeName::of(VarType::String);
    const auto long_ = TypeName::of(VarType::Long);
    static const ClassInfo table {
        "Velmo10", "clsKxLumoJPGTagsItemA", Creatable::No,
        {
            property_get("Key", &Self::GetKey, string),
            property_let("Key", &Self::LetKey, string),
            property_get("Index", &Self::GetIndex, long_),
            property_let("Index", &Self::LetIndex, long_),
            property_get("Name", &Self::GetName, string),
            property_let("Name", &Self::LetName, string),
            property_get("StringData", &Self::GetStringData, string),
            property_let("StringData", &Self::LetStringData, string),
            property_get("Data", &Self::GetData, TypeName::of(VarType::Variant)),
            property_let("Data", &Self::LetData, TypeName::of(VarType::Variant)),
            property_get("Length", &Self::GetLength, long_),
            property_let("Length", &Self::LetLength, long_),
            property_get("Format", &Self::GetFormat, long_),
            property_let("Format", &Self::LetFormat, long_),
            property_get("ID", &Self::GetID, long_),
            property_let("ID", &Self::LetID, long_),
        },
    };
    return table;
}

}  // namespace velmo::exif
