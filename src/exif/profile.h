// Profile: the contents of an INI file ("private profile") as the reader looks values up in it.
//
// Contract: section and key names match without regard to letter case (ASCII letters); a value is
// at most 1023 characters (longer ones are cut); an empty value counts as absent; lines are
// "[section]", "key=value" or comments starting with ";". Blanks around names and values are
// dropped, and a value wrapped in matching quotes loses them. When a key appears twice in a
// section, or a section twice, the first value found wins. The file is UTF-8; a line that is not
// valid UTF-8 is read as Latin-1 (a file saved in a single-byte code page).
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmo::exif {

namespace detail {
// Lets the maps below be searched with a string_view, without making a string first.
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view> {}(text); }
};
}  // namespace detail

class Profile {
public:
    // lower-case key -> value
    using Keys = std::unordered_map<std::string, std::string, detail::TextHash, std::equal_to<>>;

    struct Section {
        Keys keys;
        // Looked up once, for the reader, which asks for them with every tag of the section:
        std::string_view format;    // the value of the key "Format"
        bool maps_values = false;   // whether the section has keys other than "Format"
    };

    static constexpr size_t max_value_chars = 1023;

    static Profile parse(std::string_view text);

    Profile() = default;
    // Moving keeps the map's nodes, which the short list points into; copying would not.
    Profile(Profile&&) = default;
    Profile& operator=(Profile&&) = default;
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    bool empty() const { return sections_.empty(); }

    // A section, or nullptr when the file has no such section.
    const Section* section(std::string_view name) const;
    // The value of key in a section, or "" when absent or empty.
    static std::string_view value(const Section& section, std::string_view key);
    std::string_view value(std::string_view section, std::string_view key) const;

private:
    std::unordered_map<std::string, Section, detail::TextHash, std::equal_to<>> sections_;  // by lower-case name
    // The same sections in a list, searched instead of the map while there are few of them: the
    // reader asks for a section for every tag, and most tags have none.
    std::vector<std::pair<std::string_view, const Section*>> few_sections_;
};

}  // namespace velmo::exif
