#include "velmo10/velmo10.h"

#include "frame/register.h"
#if VELMO_HAS_GRADIENTS
#include "gradients/register.h"
#endif
#if VELMO_HAS_EXIF
#include "exif/register.h"
#endif
#if VELMO_HAS_CAPTURE
#include "capture/register.h"
#endif
#if VELMO_HAS_EFFECTS
#include "effects/register.h"
#endif
#if VELMO_HAS_PICKER
#include "picker/register.h"
#endif
#if VELMO_HAS_SKIN
#include "skin/register.h"
#endif

namespace velmo::velmo10 {

void load()
{
    frame::register_classes();
#if VELMO_HAS_GRADIENTS
    gradients::register_classes();
#endif
#if VELMO_HAS_EXIF
    exif::register_classes();
#endif
#if VELMO_HAS_CAPTURE
    capture::register_classes();
#endif
#if VELMO_HAS_EFFECTS
    effects::register_classes();
#endif
#if VELMO_HAS_PICKER
    picker::register_classes();
#endif
#if VELMO_HAS_SKIN
    skin::register_classes();
#endif
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
#if VELMO_HAS_GRADIENTS
        add(gradients::classes());
        add_enums(gradients::enumerations());
#endif
#if VELMO_HAS_CAPTURE
        add(capture::classes());
#endif
#if VELMO_HAS_EFFECTS
        add(effects::classes());
#endif
#if VELMO_HAS_SKIN
        add(skin::classes());
#endif
#if VELMO_HAS_PICKER
        add(picker::classes());
#endif
#if VELMO_HAS_EXIF
        add(exif::classes());
        add_enums(exif::enumerations());
#endif
        add({ frame_classes.begin() + 1, frame_classes.end() });
        return lib;
    }();
    return library;
}

}  // namespace velmo::velmo10
