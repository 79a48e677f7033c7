// The display backends built into this program, chosen by name: "memory" (always there), the
// server backends whose libraries were built, and "auto", which tries the server backends in the
// registry's order and takes the memory display when none connects.
//
// Registering a backend: its library (src/platform/NAME, target velmo_platform_NAME) declares
// `BackendEntry backend_entry()` in its own namespace (see display_backend.h). The registry's
// CMakeLists.txt links every such target that exists and defines VELMO_BACKEND_NAME for it;
// display_registry.cpp lists the entries under those definitions, in the order `auto` tries them.
// A backend whose library was not built (its headers missing) is simply not in the list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/display.h"
#include "platform/display_backend.h"

namespace velmo::platform {

// Every name use_display takes: the server backends in the order `auto` tries them, then
// "memory", then "auto".
std::vector<std::string> display_names();

// Replaces the calling thread's display with one on the named backend, made with `options`, and
// says which backend it took ("auto" never comes back: it names the one chosen). A backend that
// cannot be had throws BackendUnavailable and leaves the display as it was; so does a name not in
// display_names().
std::string use_display(std::string_view name, DisplayOptions options = {});

}  // namespace velmo::platform
