// App: the library's own application-properties object. Its Path is the folder of the library file
// (where exif.ini is looked for); it is what the framework services describe in their About.
#pragma once

#include <filesystem>

#include "automation/object.h"

namespace velmo::host {

class App : public Object {
public:
    const ClassInfo& class_info() const override;

    std::string Path();
    std::string Title();
    std::string EXEName();
    Integer Major();
    Integer Minor();
    Integer Revision();
    std::string ProductName();
    std::string FileDescription();
};

/// The App object of the library (one per process).
ObjectRef app();

/// The folder of the file this code was loaded from, unless overridden.
std::filesystem::path library_folder();
/// Points App.Path elsewhere (tests, `--ini`-less tools); an empty path restores the real folder.
void set_library_folder(std::filesystem::path folder);

}  // namespace velmo::host
