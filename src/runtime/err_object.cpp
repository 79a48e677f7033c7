#include "runtime/err_object.h"

namespace velmo::host {

ErrObject::ErrObject(const Error& error)
    : number_(error.number())
    , source_(error.source())
    , description_(error.description())
{
}

const ClassInfo& ErrObject::class_info() const
{
    static const ClassInfo info {
        "Host", "ErrObject", Creatable::No,
        {
            property_get("Number", &ErrObject::Number, TypeName::of(VarType::Long)),
            property_get("Source", &ErrObject::Source, TypeName::of(VarType::String)),
            property_get("Description", &ErrObject::Description, TypeName::of(VarType::String)),
        },
    };
    return info;
}

}  // namespace velmo::host
