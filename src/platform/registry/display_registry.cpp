#include "platform/registry/display_registry.h"

#include <memory>

#include "platform/display_backend.h"

#if VELMO_BACKEND_WAYLAND
#include "platform/wayland/wayland_backend.h"
#endif
#if VELMO_BACKEND_X11
#include "platform/x11/x11_backend.h"
#endif

namespace velmo::platform {

namespace {

// The server backends, in the order `auto` tries them.
std::vector<BackendEntry> server_backends()
{
    std::vector<BackendEntry> entries;
    // A Wayland session usually runs an X server too (XWayland), whose root has no pixels: the
    // compositor is asked first.
#if VELMO_BACKEND_WAYLAND
    entries.push_back(wayland::backend_entry());
#endif
#if VELMO_BACKEND_X11
    entries.push_back(x11::backend_entry());
#endif
    return entries;
}

// Puts the display on `entry`'s backend. Connected before the display is replaced, so a failure
// leaves the old one in place; the connection made here goes to the first display, and one made
// later from a copy of these options connects anew.
void connect_display(const BackendEntry& entry, DisplayOptions options)
{
    auto connected = std::make_shared<std::unique_ptr<DisplayBackend>>(entry.connect());
    options.backend = [connected, connect = entry.connect](const DisplayOptions&) {
        if (*connected)
            return std::move(*connected);
        return connect();
    };
    reset_display(options);
}

}  // namespace

std::vector<std::string> display_names()
{
    std::vector<std::string> names;
    for (const auto& entry : server_backends())
        names.push_back(entry.name);
    names.push_back("memory");
    names.push_back("auto");
    return names;
}

std::string use_display(std::string_view name, DisplayOptions options)
{
    if (name == "memory") {
        options.backend = nullptr;
        reset_display(options);
        return "memory";
    }
    for (const auto& entry : server_backends()) {
        if (name == "auto") {
            try {
                connect_display(entry, options);
                return entry.name;
            } catch (const BackendUnavailable&) {
                continue;
            }
        }
        if (name == entry.name) {
            connect_display(entry, options);
            return entry.name;
        }
    }
    if (name == "auto")
        return use_display("memory", options);
    throw BackendUnavailable("no display called '" + std::string(name) + "' is built in");
}

}  // namespace velmo::platform
