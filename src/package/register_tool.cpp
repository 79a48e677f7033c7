// Writes the class registration file: loads each component given, runs its entry, and lists every
// creatable class it registered as "ProgID<TAB>file name". The components sit beside the file, so
// the names need no folder and the installed tree can move.
//   velmo_register_tool OUTPUT COMPONENT...
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "automation/component_loader.h"
#include "automation/registry.h"
#include "codecs/atomic_file.h"

namespace {

std::set<std::string> creatable_progids()
{
    std::set<std::string> progids;
    for (const velmo::ClassInfo* info : velmo::registered_classes()) {
        if (info->creatable == velmo::Creatable::Yes)
            progids.insert(info->progid());
    }
    return progids;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: velmo_register_tool OUTPUT COMPONENT...\n");
        return 1;
    }
    std::filesystem::path output = argv[1];
    std::string text = "# velmo class registration: ProgID<TAB>component file in this folder.\n"
                       "# Written when the components are built; a missing file makes its ProgIDs error 429.\n";
    for (int i = 2; i < argc; ++i) {
        void* handle = dlopen(argv[i], RTLD_NOW | RTLD_LOCAL);
        auto entry = handle ? reinterpret_cast<void (*)()>(dlsym(handle, velmo::components::entry_symbol)) : nullptr;
        if (!entry) {
            std::fprintf(stderr, "velmo_register_tool: %s: %s\n", argv[i], handle ? "no entry" : dlerror());
            return 1;
        }
        auto before = creatable_progids();
        entry();
        std::string name = std::filesystem::path(argv[i]).filename().string();
        for (const auto& progid : creatable_progids()) {
            if (!before.contains(progid))
                text += progid + "\t" + name + "\n";
        }
    }
    // Written whole or not at all, so a failed run leaves no half file for the loader.
    try {
        velmo::codecs::write_whole(output, [&](const std::filesystem::path& file) {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << text;
            return static_cast<bool>(out.flush());
        });
    } catch (const velmo::Error& error) {
        std::fprintf(stderr, "velmo_register_tool: %s\n", error.description().c_str());
        return 1;
    }
    return 0;
}
