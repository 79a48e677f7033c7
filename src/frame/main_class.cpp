#include "frame/main_class.h"

#include "frame/framework_services.h"
#include "runtime/app.h"
#include "runtime/resources.h"

namespace velmo::frame {

namespace {
// Every thread has its own slot, empty until a client sets it.
thread_local ObjectRef buddy_slot;
}  // namespace

const ClassInfo& clsKxVelmo10A::info()
{
    static const ClassInfo table {
        "Velmo10", "clsKxVelmo10A", Creatable::Yes,
        {
            property_get("GetProStdProperties", &clsKxVelmo10A::GetProStdProperties, TypeName::of(VarType::Object)),
            property_get("GetProResStrings", &clsKxVelmo10A::GetProResStrings, TypeName::of(VarType::String), { param("lResId", VarType::Long) }),
            property_get("GetProResPicture", &clsKxVelmo10A::GetProResPicture, TypeName::object("IPictureDisp"),
                { param("lResId", VarType::Long), param("lRestype", VarType::Long) }),
            property_get("GetProResData", &clsKxVelmo10A::GetProResData, TypeName::of(VarType::Variant),
                { param("lResId", VarType::Long), param("vRestype", VarType::Variant) }),
            method("About", &clsKxVelmo10A::About, {}, TypeName::of(VarType::Long)),
            property_get("BuddyObjectGlobal", &clsKxVelmo10A::GetBuddyObjectGlobal, TypeName::of(VarType::Object)),
            property_set("BuddyObjectGlobal", &clsKxVelmo10A::SetBuddyObjectGlobal, TypeName::of(VarType::Object)),
        },
    };
    return table;
}

ObjectRef clsKxVelmo10A::GetProStdProperties() { return host::app(); }

std::string clsKxVelmo10A::GetProResStrings(ByRef<Long> lResId)
{
    return host::resource_loader().LoadResString(lResId.get()).to_string();
}

Variant clsKxVelmo10A::GetProResPicture(ByRef<Long> lResId, ByRef<Long> lRestype)
{
    // The kind narrows to 16 bits before the loader is asked, so 32768 overflows first.
    Integer kind(lRestype.get().value());
    return host::resource_loader().LoadResPicture(Variant(lResId.get()), kind);
}

Variant clsKxVelmo10A::GetProResData(ByRef<Long> lResId, ByRef<Variant> vRestype)
{
    return host::resource_loader().LoadResData(Variant(lResId.get()), vRestype.get());
}

Long clsKxVelmo10A::About()
{
    AppAboutKxsv_Pro();
    return 0;
}

ObjectRef clsKxVelmo10A::GetBuddyObjectGlobal() { return buddy_slot; }

void clsKxVelmo10A::SetBuddyObjectGlobal(ObjectRef object) { buddy_slot = std::move(object); }

}  // namespace velmo::frame
