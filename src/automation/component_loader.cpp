#include "automation/component_loader.h"

#include <dlfcn.h>

#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "automation/error.h"
#include "automation/object.h"

namespace velmo::components {

namespace {

struct Loader {
    std::recursive_mutex mutex;  // recursive: a component's entry may ask for App.Path
    std::filesystem::path chosen;  // empty: the default file
    bool read = false;
    std::filesystem::path read_from;
    std::map<std::string, std::filesystem::path, std::less<>> file_by_progid;  // lower-case ProgID
    std::map<std::filesystem::path, void*> loaded;
};

Loader& loader()
{
    static Loader instance;
    return instance;
}

std::filesystem::path folder_of_this_code()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&folder_of_this_code), &info) && info.dli_fname && *info.dli_fname) {
        std::error_code ec;
        auto path = std::filesystem::canonical(info.dli_fname, ec);
        if (!ec)
            return path.parent_path();
    }
    return {};
}

std::filesystem::path default_file()
{
    static const std::filesystem::path file = folder_of_this_code() / "velmo" / "classes.reg";
    return file;
}

// Reads the registration file once per file chosen; a missing file registers nothing.
void read_registrations(Loader& l)
{
    std::filesystem::path file = l.chosen.empty() ? default_file() : l.chosen;
    if (l.read && l.read_from == file)
        return;
    l.read = true;
    l.read_from = file;
    l.file_by_progid.clear();
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return;
    std::ostringstream text;
    text << in.rdbuf();
    for (auto& registration : parse_registrations(text.str())) {
        auto path = registration.file.is_absolute() ? registration.file : file.parent_path() / registration.file;
        l.file_by_progid[to_lower(registration.progid)] = path.lexically_normal();
    }
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

std::vector<Registration> parse_registrations(std::string_view text)
{
    std::vector<Registration> registrations;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (trim(line).empty() || trim(line).front() == '#')
            continue;
        size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        auto progid = trim(line.substr(0, tab));
        auto file = trim(line.substr(tab + 1));
        if (progid.empty() || file.empty())
            continue;
        registrations.push_back({ std::string(progid), std::filesystem::path(std::string(file)) });
    }
    return registrations;
}

std::filesystem::path registration_file()
{
    auto& l = loader();
    std::lock_guard lock(l.mutex);
    return l.chosen.empty() ? default_file() : l.chosen;
}

void use_registration_file(std::filesystem::path file)
{
    auto& l = loader();
    std::lock_guard lock(l.mutex);
    l.chosen = std::move(file);
}

std::optional<std::filesystem::path> file_of(std::string_view progid)
{
    auto& l = loader();
    std::lock_guard lock(l.mutex);
    read_registrations(l);
    auto it = l.file_by_progid.find(to_lower(progid));
    if (it == l.file_by_progid.end())
        return std::nullopt;
    return it->second;
}

bool load_component_for(std::string_view progid)
{
    auto& l = loader();
    std::lock_guard lock(l.mutex);
    read_registrations(l);
    auto it = l.file_by_progid.find(to_lower(progid));
    if (it == l.file_by_progid.end())
        return false;
    const auto& file = it->second;
    auto cant_create = [&](const std::string& why) {
        return Error(err::CannotCreateObject, std::string(progid),
            "Can't create object: '" + std::string(progid) + "' is registered in " + file.string() + ", " + why);
    };
    void* handle = nullptr;
    if (auto found = l.loaded.find(file); found != l.loaded.end()) {
        handle = found->second;
    } else {
        // RTLD_LOCAL: two components never see each other's symbols, only the runtime's.
        handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = dlerror();
            throw cant_create(std::string("which cannot be loaded: ") + (why ? why : "unknown reason"));
        }
        l.loaded.emplace(file, handle);
    }
    using Entry = void (*)();
    auto entry = reinterpret_cast<Entry>(dlsym(handle, entry_symbol));
    if (!entry)
        throw cant_create(std::string("which has no ") + entry_symbol);
    // Run again after an unregister_library, so a component's classes come back.
    entry();
    return true;
}

}  // namespace velmo::components
