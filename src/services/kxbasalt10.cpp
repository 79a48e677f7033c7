#include "services/kxbasalt10.h"

#include <cstdio>

#include "automation/late.h"
#include "automation/registry.h"
#include "runtime/msgbox.h"

namespace velmo::kxbasalt10 {

namespace {
thread_local std::vector<ErrorReport> reports;

constexpr std::string_view library = "KxBasalt10";

std::string text_of(const ObjectRef& object, std::string_view member)
{
    try {
        return late::get(object, member).to_string();
    } catch (const Error&) {
        return "?";
    }
}
}  // namespace

const ClassInfo& clsKxBasalt10A::info()
{
    static const ClassInfo info {
        library, "clsKxBasalt10A", Creatable::Yes,
        {
            method("AppAboutKxsv", &clsKxBasalt10A::AppAboutKxsv, { param("oApp", VarType::Object).by_value() }, TypeName::of(VarType::Variant)),
        },
    };
    return info;
}

// The About box: what the App object says of the library it describes.
Variant clsKxBasalt10A::AppAboutKxsv(ObjectRef oApp)
{
    std::string title = text_of(oApp, "Title");
    std::string version = text_of(oApp, "Major") + "." + text_of(oApp, "Minor");
    std::string text = title + " version " + version + "\n" + text_of(oApp, "FileDescription") + "\nFolder: " + text_of(oApp, "Path");
    host::MsgBox(text, host::vbInformation, "About " + title);
    return {};
}

const ClassInfo& clsKxsvErrorHandlerA::info()
{
    static const ClassInfo info {
        library, "clsKxsvErrorHandlerA", Creatable::Yes,
        {
            method("ErrorHandlerMessageKx", &clsKxsvErrorHandlerA::ErrorHandlerMessageKx,
                {
                    param("oApp", VarType::Object),
                    param("oErr", VarType::Object),
                    param("sText", VarType::String),
                    param("sLocation", VarType::String),
                    param("lOptions", VarType::Long),
                    param("sExtra", VarType::String),
                    param("lFlags", VarType::Long),
                    param("vReserved", VarType::Variant).by_value().optional_(),
                },
                TypeName::of(VarType::Variant)),
        },
    };
    return info;
}

// One line per report on standard error, and a copy a test can read back.
Variant clsKxsvErrorHandlerA::ErrorHandlerMessageKx(ByRef<ObjectRef>, ByRef<ObjectRef> oErr, ByRef<std::string>,
    ByRef<std::string> sLocation, ByRef<Long>, ByRef<std::string>, ByRef<Long>, Variant)
{
    ObjectRef error = oErr.get();
    ErrorReport report { sLocation.get(), late::get(error, "Number").to_long().value(), late::get(error, "Source").to_string(),
        late::get(error, "Description").to_string() };
    std::fprintf(stderr, "velmo: %s: error %d (%s): %s\n", report.location.c_str(), report.number, report.source.c_str(),
        report.description.c_str());
    reports.push_back(std::move(report));
    return {};
}

const std::vector<ErrorReport>& received_reports() { return reports; }
void clear_received_reports() { reports.clear(); }

void load()
{
    register_class(clsKxBasalt10A::info(), [] { return std::make_shared<clsKxBasalt10A>(); });
    register_class(clsKxsvErrorHandlerA::info(), [] { return std::make_shared<clsKxsvErrorHandlerA>(); });
}

void unload() { unregister_library(library); }

}  // namespace velmo::kxbasalt10
