#include "cli/typelib_command.h"

#include <iomanip>
#include <iostream>

#include "velmo10/velmo10.h"

namespace velmo::cli {

namespace {

std::string attributes(const ClassInfo& info, size_t index)
{
    const Member& member = info.members[index];
    std::ostringstream out;
    out << "[id(0x" << std::hex << std::setw(8) << std::setfill('0') << info.dispid_of(index) << ")";
    switch (member.kind) {
    case MemberKind::PropertyGet: out << ", propget"; break;
    case MemberKind::PropertyLet: out << ", propput"; break;
    case MemberKind::PropertySet: out << ", propputref"; break;
    case MemberKind::Method: break;
    }
    if (!member.help.empty())
        out << ", helpstring(\"" << member.help << "\")";
    out << "]";
    return out.str();
}

std::string parameter(const Param& p)
{
    std::string text = "[";
    text += p.pass == Pass::ByRef ? "in, out" : "in";
    if (p.optional)
        text += ", optional";
    if (p.has_default)
        text += ", defaultvalue(" + p.default_value.to_string() + ")";
    text += "] ";
    text += p.type.text();
    if (p.pass == Pass::ByRef)
        text += "*";
    text += " ";
    text += p.name;
    return text;
}

void print_member(const ClassInfo& info, size_t index, std::ostream& out)
{
    const Member& m = info.members[index];
    out << "        " << attributes(info, index) << "\n        "
        << (m.result.vt == VarType::Empty ? std::string("void") : std::string(m.result.text())) << " " << m.name << "(";
    for (size_t i = 0; i < m.params.size(); ++i)
        out << (i ? ", " : "") << parameter(m.params[i]);
    out << ");\n";
}

}  // namespace

void print_type_library(const TypeLibrary& library, std::ostream& out)
{
    out << "library " << library.name << " // version " << library.version << "\n{\n";
    for (const auto& e : library.enumerations) {
        out << "    enum " << e.name << " {\n";
        for (size_t i = 0; i < e.values.size(); ++i)
            out << "        " << e.values[i].first << " = " << e.values[i].second << (i + 1 < e.values.size() ? "," : "") << "\n";
        out << "    };\n\n";
    }
    for (const ClassInfo* info : library.classes) {
        out << "    // ProgID " << info->progid() << ", " << (info->creatable == Creatable::Yes ? "creatable" : "not creatable") << "\n";
        out << "    coclass " << info->name << " {\n        [default] interface _" << info->name << ";\n";
        if (!info->event_interface.empty())
            out << "        [default, source] dispinterface " << info->event_interface << ";\n";
        out << "    };\n";
        out << "    [dual, hidden, nonextensible] interface _" << info->name << " : IDispatch {\n";
        for (size_t i = 0; i < info->members.size(); ++i)
            print_member(*info, i, out);
        out << "    };\n";
        if (!info->event_interface.empty()) {
            out << "    dispinterface " << info->event_interface << " {\n";
            ClassInfo events { info->library, info->event_interface, Creatable::No, info->events };
            events.first_id = 1;
            for (size_t i = 0; i < events.members.size(); ++i)
                print_member(events, i, out);
            out << "    };\n";
        }
        out << "\n";
    }
    out << "};\n";
}

void add_typelib_command(CLI::App& app)
{
    auto* command = app.add_subcommand("typelib", "Print the type library: classes, ProgIDs, members with dispatch ids, enumerations");
    command->callback([] { print_type_library(velmo10::type_library(), std::cout); });
}

}  // namespace velmo::cli
