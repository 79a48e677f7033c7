// KxBasalt10: the framework services component the library calls out to. It is its own library
// and registers its two classes only when loaded, so a process without it sees no such ProgIDs.
//   KxBasalt10.clsKxBasalt10A           AppAboutKxsv(App): the About box for the described library
//   KxBasalt10.clsKxsvErrorHandlerA     ErrorHandlerMessageKx(8 args): reports one error
#pragma once

#include <string>
#include <vector>

#include "automation/object.h"

namespace velmo::kxbasalt10 {

void load();
void unload();

// One report the error-handler service received.
struct ErrorReport {
    std::string location;
    int32_t number = 0;
    std::string source;
    std::string description;
};

// The reports received on the calling thread since the last clear, oldest first.
const std::vector<ErrorReport>& received_reports();
void clear_received_reports();

class clsKxBasalt10A : public Object {
public:
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }
    Variant AppAboutKxsv(ObjectRef oApp);
};

class clsKxsvErrorHandlerA : public Object {
public:
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }
    Variant ErrorHandlerMessageKx(ByRef<ObjectRef> oApp, ByRef<ObjectRef> oErr, ByRef<std::string> sText,
        ByRef<std::string> sLocation, ByRef<Long> lOptions, ByRef<std::string> sExtra, ByRef<Long> lFlags, Variant vReserved);
};

}  // namespace velmo::kxbasalt10
