#include "runtime/app.h"

#include <dlfcn.h>

#include <mutex>

#include "automation/component_loader.h"

namespace velmo::host {

namespace {
std::mutex folder_mutex;
std::filesystem::path folder_override;

std::filesystem::path file_of_this_code()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&file_of_this_code), &info) && info.dli_fname && *info.dli_fname) {
        std::error_code ec;
        auto path = std::filesystem::canonical(info.dli_fname, ec);
        if (!ec)
            return path;
    }
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}
}  // namespace

std::filesystem::path library_folder()
{
    {
        std::lock_guard lock(folder_mutex);
        if (!folder_override.empty())
            return folder_override;
    }
    // The folder of libvelmo10.so as the class registration file places it; in a program that has
    // the component built in, the folder of that program.
    static const std::filesystem::path real = [] {
        if (auto component = components::file_of("Velmo10.clsKxVelmo10A"))
            return component->parent_path();
        return file_of_this_code().parent_path();
    }();
    return real;
}

void set_library_folder(std::filesystem::path folder)
{
    std::lock_guard lock(folder_mutex);
    folder_override = std::move(folder);
}

const ClassInfo& App::class_info() const
{
    static const ClassInfo info {
        "Host", "App", Creatable::No,
        {
            property_get("Path", &App::Path, TypeName::of(VarType::String)),
            property_get("Title", &App::Title, TypeName::of(VarType::String)),
            property_get("EXEName", &App::EXEName, TypeName::of(VarType::String)),
            property_get("Major", &App::Major, TypeName::of(VarType::Integer)),
            property_get("Minor", &App::Minor, TypeName::of(VarType::Integer)),
            property_get("Revision", &App::Revision, TypeName::of(VarType::Integer)),
            property_get("ProductName", &App::ProductName, TypeName::of(VarType::String)),
            property_get("FileDescription", &App::FileDescription, TypeName::of(VarType::String)),
        },
    };
    return info;
}

std::string App::Path() { return library_folder().string(); }
std::string App::Title() { return "Velmo10"; }
std::string App::EXEName() { return "Velmo10"; }
Integer App::Major() { return 1; }
Integer App::Minor() { return 0; }
Integer App::Revision() { return 0; }
std::string App::ProductName() { return "velmo"; }
std::string App::FileDescription() { return "velmo graphics component library"; }

ObjectRef app()
{
    static const ObjectRef instance = std::make_shared<App>();
    return instance;
}

}  // namespace velmo::host
