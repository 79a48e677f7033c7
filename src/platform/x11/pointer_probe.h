// PointerProbe: the pointer's place, with a screen pixel read in the same round trip.
//
// A colour picker asks where the pointer is and then for the pixel there: one after the other,
// two round trips. The pixel's place depends on the first answer, so it cannot simply be asked
// for alongside; but a picker's pointer mostly rests. So the pixel at the place the pointer was
// last seen is asked for together with the pointer, both requests sent before either answer is
// awaited. When the pointer has not moved, the pixel is the one wanted and the tick took one
// round trip; when it has, the pixel is dropped and the caller asks again, at the new place.
#pragma once

#include <cstdint>
#include <optional>

#include "gfx/point.h"
#include "platform/x11/connection.h"

namespace velmo::platform::x11 {

class PointerProbe {
public:
    explicit PointerProbe(Connection& connection)
        : connection_(connection)
    {
    }

    // Where the pointer is on the screen; with `pixel_at`, the pixel word there is read in the same
    // round trip and kept for take_pixel. Nothing when the pointer is on another screen or the
    // server does not answer.
    std::optional<gfx::Point> pointer(std::optional<gfx::Point> pixel_at = std::nullopt);

    // The pixel kept by the last pointer() when it was read at `at`, handed out once.
    std::optional<uint32_t> take_pixel(gfx::Point at);

    // Drops a kept pixel: the screen may have changed since it was read.
    void forget() { kept_.reset(); }

private:
    struct Kept {
        gfx::Point at;
        uint32_t word = 0;
    };

    Connection& connection_;
    std::optional<Kept> kept_;
};

}  // namespace velmo::platform::x11
