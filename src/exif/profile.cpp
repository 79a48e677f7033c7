#include "exif/profile.h"

#include "exif/number_text.h"

namespace velmo::exif {

namespace {

std::string_view trim(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    }
    return out;
}

// Lower-cases a name into a buffer, for a lookup; long names get a string of their own.
class LowerName {
public:
    explicit LowerName(std::string_view text)
    {
        char* out = text.size() <= sizeof buffer_ ? buffer_ : (owned_.resize(text.size()), owned_.data());
        for (size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            out[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
        }
        view_ = std::string_view(out, text.size());
    }
    LowerName(const LowerName&) = delete;
    LowerName& operator=(const LowerName&) = delete;
    std::string_view view() const { return view_; }

private:
    char buffer_[64];
    std::string owned_;
    std::string_view view_;
};

constexpr size_t few_sections = 16;

bool equals_ascii_ignoring_case(std::string_view lower_text, std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
        if (c != lower_text[i])
            return false;
    }
    return true;
}

// Cuts after max characters, counting a UTF-8 sequence as one character.
std::string_view cut_to_chars(std::string_view text, size_t max)
{
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        bool starts_char = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (starts_char && chars++ == max)
            return text.substr(0, i);
    }
    return text;
}

bool is_utf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0 || length > text.size() - i)
            return false;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr uint32_t lowest[] = { 0, 0, 0x80, 0x800, 0x10000 };
        if (code < lowest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

Profile Profile::parse(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);

    Profile profile;
    Keys* current = nullptr;
    std::string latin1_line;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // A line that is not UTF-8 comes from a file saved in a single-byte code page: read as
        // Latin-1, its keys still match the display texts, which are UTF-8.
        if (!is_utf8(line)) {
            latin1_line = latin1_to_utf8(line);
            line = latin1_line;
        }

        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            std::string_view name = trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            current = &profile.sections_[lower(name)].keys;
            continue;
        }
        size_t equals = line.find('=');
        if (!current || equals == std::string_view::npos)
            continue;
        std::string_view key = trim(line.substr(0, equals));
        std::string_view value = cut_to_chars(unquote(trim(line.substr(equals + 1))), max_value_chars);
        if (key.empty())
            continue;
        // An empty value is kept, so that it still hides a later line with the same key.
        current->try_emplace(lower(key), value);
    }
    for (auto& [name, section] : profile.sections_) {
        section.maps_values = true;
        section.format = value(section, "Format");
        section.maps_values = section.keys.size() > (section.keys.contains("format") ? 1u : 0u);
        if (profile.sections_.size() <= few_sections)
            profile.few_sections_.emplace_back(name, &section);
    }
    return profile;
}

const Profile::Section* Profile::section(std::string_view name) const
{
    if (sections_.size() <= few_sections) {
        for (const auto& [lower_name, found] : few_sections_) {
            if (lower_name.size() == name.size() && equals_ascii_ignoring_case(lower_name, name))
                return found;
        }
        return nullptr;
    }
    auto it = sections_.find(LowerName(name).view());
    return it == sections_.end() ? nullptr : &it->second;
}

std::string_view Profile::value(const Section& section, std::string_view key)
{
    key = trim(key);
    if (key.empty())
        return {};
    // A section that holds no key but "Format" answers without a search.
    if (!section.maps_values)
        return key.size() == 6 && equals_ascii_ignoring_case("format", key) ? section.format : std::string_view();
    auto it = section.keys.find(LowerName(key).view());
    return it == section.keys.end() ? std::string_view() : std::string_view(it->second);
}

std::string_view Profile::value(std::string_view section_name, std::string_view key) const
{
    const Section* found = section(section_name);
    return found ? value(*found, key) : std::string_view();
}

}  // namespace velmo::exif
