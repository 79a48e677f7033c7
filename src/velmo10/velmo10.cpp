#include "velmo10/velmo10.h"

#include "frame/register.h"
#include "gradients/register.h"
#include "exif/register.h"
#include "capture/register.h"
#include "effects/register.h"
#include "picker/register.h"
#include "skin/register.h"

namespace velmo::velmo10 {

void load()
{
    frame::register_classes();
    gradients::register_classes();
    exif::register_classes();
    capture::register_classes();
    effects::register_classes();
    picker::register_classes();
    skin::register_classes();
}

void unload() { unregister_library("Velmo10"); }

const TypeLibrary& type_library()
{
    static const TypeLibrary library = [] {
        TypeLibrary lib { "Velmo10", "1.0", {}, {} };
        auto add = [&](std::vector<const ClassInfo*> classes) { lib.classes.insert(lib.classes.end(), classes.begin(), classes.end()); };
        auto add_enums = [&](std::vector<Enumeration> enums) { lib.enumerations.insert(lib.enumerations.end(), enums.begin(), enums.end()); };
        auto frame_classes = frame::classes();
        // The main class leads; the placeholders close the list.
        add({ frame_classes.front() });
        add(gradients::classes());
        add_enums(gradients::enumerations());
        add(capture::classes());
        add(effects::classes());
        add(skin::classes());
        add(picker::classes());
        add(exif::classes());
        add_enums(exif::enumerations());
        add({ frame_classes.begin() + 1, frame_classes.end() });
        return lib;
    }();
    return library;
}

}  // namespace velmo::velmo10
