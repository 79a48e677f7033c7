#include "platform/x11/display_choice.h"

#include <cstdlib>
#include <memory>

#include "platform/x11/x11_backend.h"

namespace velmo::platform::x11 {

std::optional<DisplayChoice> parse_display_choice(std::string_view text)
{
    if (text == "memory")
        return DisplayChoice::Memory;
    if (text == "x11")
        return DisplayChoice::X11;
    if (text == "auto")
        return DisplayChoice::Auto;
    return std::nullopt;
}

DisplayChoice use_display(DisplayChoice choice, DisplayOptions options)
{
    if (choice == DisplayChoice::Memory) {
        reset_display(options);
        return choice;
    }
    auto connected = std::make_shared<std::unique_ptr<DisplayBackend>>();
    try {
        // Connected before the display is replaced, so a failure leaves the old one in place.
        *connected = std::make_unique<X11Backend>();
    } catch (const ConnectionError&) {
        if (choice == DisplayChoice::X11)
            throw;
        reset_display(options);
        return DisplayChoice::Memory;
    }
    // The connection made here goes to the first display; one made later from a copy of these
    // options connects anew.
    options.backend = [connected](const DisplayOptions&) -> std::unique_ptr<DisplayBackend> {
        if (*connected)
            return std::move(*connected);
        return std::make_unique<X11Backend>();
    };
    reset_display(options);
    return DisplayChoice::X11;
}

}  // namespace velmo::platform::x11
