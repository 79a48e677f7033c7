// clsKxVelmo10A: the library's main class. It hands out the App object and the library's own
// resources (it has none, so every lookup fails), shows the About box, and keeps the per-thread
// buddy slot that every instance on a thread shares.
#pragma once

#include "automation/object.h"

namespace velmo::frame {

class clsKxVelmo10A : public Object {
public:
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    ObjectRef GetProStdProperties();
    std::string GetProResStrings(ByRef<Long> lResId);
    Variant GetProResPicture(ByRef<Long> lResId, ByRef<Long> lRestype);
    Variant GetProResData(ByRef<Long> lResId, ByRef<Variant> vRestype);
    Long About();
    ObjectRef GetBuddyObjectGlobal();
    void SetBuddyObjectGlobal(ObjectRef object);
};

}  // namespace velmo::frame
