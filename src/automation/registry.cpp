#include "automation/registry.h"

#include "automation/component_loader.h"

#include <map>
#include <mutex>

namespace velmo {

namespace {

struct Entry {
    const ClassInfo* info;
    Factory factory;
};

struct Registry {
    std::mutex mutex;
    std::map<std::string, Entry, std::less<>> by_progid;  // keyed by lower-case ProgID
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

}  // namespace

void register_class(const ClassInfo& info, Factory factory)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.by_progid[to_lower(info.progid())] = Entry { &info, std::move(factory) };
}

void unregister_library(std::string_view library)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.by_progid, [&](const auto& item) { return equals_ignoring_case(item.second.info->library, library); });
}

bool is_registered(std::string_view progid)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return r.by_progid.contains(to_lower(progid));
}

namespace {
// The factory of a registered creatable class; empty when nobody registered the ProgID.
Factory find_factory(std::string_view progid)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.by_progid.find(to_lower(progid));
    if (it == r.by_progid.end())
        return {};
    if (it->second.info->creatable == Creatable::No)
        throw Error(err::CannotCreateObject, std::string(progid), "Can't create object: '" + std::string(progid) + "' is not creatable");
    return it->second.factory;
}
}  // namespace

ObjectRef create_object(std::string_view progid)
{
    Factory factory = find_factory(progid);
    // First creation of a class of a component not loaded yet: the registration file names its file.
    if (!factory && components::load_component_for(progid))
        factory = find_factory(progid);
    if (!factory)
        throw Error(err::CannotCreateObject, std::string(progid), "Can't create object: no class is registered as '" + std::string(progid) + "'");
    return factory();
}

std::vector<const ClassInfo*> registered_classes()
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    std::vector<const ClassInfo*> classes;
    for (const auto& [progid, entry] : r.by_progid)
        classes.push_back(entry.info);
    return classes;
}

}  // namespace velmo
