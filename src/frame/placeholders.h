// The four placeholder classes: creatable, with empty interfaces. Creating and releasing them is
// all a client can do; every member call raises 438.
#pragma once

#include "automation/object.h"

namespace velmo::frame {

template<const char* Name>
class Placeholder : public Object {
public:
    static const ClassInfo& info()
    {
        static const ClassInfo table { "Velmo10", Name, Creatable::Yes, {} };
        return table;
    }
    const ClassInfo& class_info() const override { return info(); }
};

inline constexpr char clsKxLumoImageEditingA_name[] = "clsKxLumoImageEditingA";
inline constexpr char clsKxLumoImageProcessingA_name[] = "clsKxLumoImageProcessingA";
inline constexpr char clsKxLumoGeneralA_name[] = "clsKxLumoGeneralA";
inline constexpr char clsKxLumoAdvancedA_name[] = "clsKxLumoAdvancedA";

using clsKxLumoImageEditingA = Placeholder<clsKxLumoImageEditingA_name>;
using clsKxLumoImageProcessingA = Placeholder<clsKxLumoImageProcessingA_name>;
using clsKxLumoGeneralA = Placeholder<clsKxLumoGeneralA_name>;
using clsKxLumoAdvancedA = Placeholder<clsKxLumoAdvancedA_name>;

}  // namespace velmo::frame
