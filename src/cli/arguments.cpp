#include "cli/arguments.h"

#include <cerrno>
#include <cstdlib>

#include "automation/object.h"

namespace velmo::cli {

Variant parse_argument(const std::string& word)
{
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"')
        return Variant(word.substr(1, word.size() - 2));
    if (equals_ignoring_case(word, "True"))
        return Variant(True);
    if (equals_ignoring_case(word, "False"))
        return Variant(False);
    if (equals_ignoring_case(word, "Nothing"))
        return Variant(ObjectRef());
    if (!word.empty() && word.back() == '%') {
        try {
            return Variant(Variant(word.substr(0, word.size() - 1)).to_integer());
        } catch (const Error&) {
            return Variant(word);
        }
    }
    const char* begin = word.c_str();
    char* end = nullptr;
    errno = 0;
    long long whole = std::strtoll(begin, &end, 10);
    if (!word.empty() && *end == '\0' && errno == 0 && whole >= INT32_MIN && whole <= INT32_MAX)
        return Variant(Long(static_cast<int32_t>(whole)));
    double number = std::strtod(begin, &end);
    if (!word.empty() && *end == '\0' && word.find_first_not_of("0123456789+-.eE") == std::string::npos)
        return Variant(number);
    return Variant(word);
}

std::vector<Variant> parse_arguments(const std::vector<std::string>& words)
{
    std::vector<Variant> values;
    for (const auto& word : words)
        values.push_back(parse_argument(word));
    return values;
}

std::string describe(const Variant& value)
{
    switch (value.type()) {
    case VarType::Object: {
        auto object = value.to_object();
        if (!object)
            return "Nothing";
        std::string text = "<";
        text.append(object->class_info().name).append(">");
        return text;
    }
    case VarType::Error: return value.is_missing() ? "<missing>" : "<error value>";
    case VarType::Null: return "Null";
    case VarType::Empty: return "<empty>";
    default: return value.to_string();
    }
}

}  // namespace velmo::cli
