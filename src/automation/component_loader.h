// Components loaded on first use, as in-process components are: a class registration file names,
// for each ProgID, the shared object that provides it; creating a ProgID that nobody registered yet
// loads that object once (it is never unloaded) and runs its entry, which registers its classes.
//
// Installed layout (the build tree mirrors it under build/.../lib):
//   lib/libvelmo.so.1             this runtime: automation, the host globals that draw nothing, this loader
//   lib/libvelmo-host.so.1        forms, picture boxes, the display and drawing (cairo, pixman, X11)
//   lib/velmo/classes.reg         the class registration file: "ProgID<TAB>file" per line
//   lib/velmo/libvelmo10.so       the component: main class, placeholders, EXIF classes (needs only libvelmo)
//   lib/velmo/libvelmo10-drawing.so  the component's drawing classes (needs libvelmo-host)
//   lib/velmo/libkxbasalt10.so    the framework services
// The registration file is looked for in the folder "velmo" beside the library holding this code,
// so a program that reads EXIF tags maps no drawing or windowing library at all, and a missing
// component file is error 429 at creation, like a ProgID nobody registered.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo::components {

/// The symbol every component exports: registers the component's classes with register_class.
inline constexpr const char* entry_symbol = "velmo_register_classes";

struct Registration {
    std::string progid;
    std::filesystem::path file;  // absolute, or relative to the registration file's folder
};

/// Reads a registration file's text. One "ProgID<TAB>file" per line; blank lines and lines starting
/// with '#' are ignored, as is a line without a tab or with an empty side (a damaged line names nothing).
std::vector<Registration> parse_registrations(std::string_view text);

/// The registration file in use: the one given to use_registration_file, else "velmo/classes.reg"
/// beside the library holding this code.
std::filesystem::path registration_file();
/// Reads registrations from another file from now on (a host with its own layout, tests); an empty
/// path goes back to the default. What was loaded stays loaded.
void use_registration_file(std::filesystem::path file);

/// The component file registered for a ProgID (letter case ignored), made absolute.
std::optional<std::filesystem::path> file_of(std::string_view progid);

/// Loads the component registered for `progid` and runs its entry. False when no file is registered
/// for it; raises 429 when the file cannot be loaded or has no entry.
bool load_component_for(std::string_view progid);

}  // namespace velmo::components
