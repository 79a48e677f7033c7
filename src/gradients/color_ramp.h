// The colour ramp of the two-colour gradients: per-channel steps in double precision and running
// channel values that advance by repeated subtraction, so step k carries the start value minus k
// steps (not start - k * step; the two differ in the last bits, and the conversion to whole
// numbers sees that).
#pragma once

#include "automation/by_ref.h"
#include "automation/checked.h"
#include "automation/error_modes.h"
#include "runtime/colors.h"

namespace velmo::gradients {

struct ColorRamp {
    double red_step = 0;
    double green_step = 0;
    double blue_step = 0;
    double r = 0;
    double g = 0;
    double b = 0;

    // Steps from (r0, g0, b0) to (r1, g1, b1) over `divisions`, then running values at the start.
    // Each is a statement of its own, skipped when it fails: a channel whose 16-bit difference
    // overflows keeps its step, and a caller's variable that a handler has turned into text (the
    // reversal comes after a pump) leaves its running value as it was.
    void aim(ByRef<Integer>& r0, ByRef<Integer>& g0, ByRef<Integer>& b0, ByRef<Integer>& r1, ByRef<Integer>& g1,
        ByRef<Integer>& b1, double divisions)
    {
        skip([&] { red_step = (r0.get() - r1.get()).value() / divisions; });
        skip([&] { green_step = (g0.get() - g1.get()).value() / divisions; });
        skip([&] { blue_step = (b0.get() - b1.get()).value() / divisions; });
        skip([&] { r = r0.get().value(); });
        skip([&] { b = b0.get().value(); });
        skip([&] { g = g0.get().value(); });
    }

    // Half steps, for a ramp spread over two sweeps.
    void halve_steps()
    {
        red_step = red_step / 2;
        green_step = green_step / 2;
        blue_step = blue_step / 2;
    }

    // The colour of the current step: channels to the nearest whole number, ties to even. A channel
    // outside 16 bits overflows and a negative one is refused, which fails the drawing statement.
    Long color() const { return host::RGB(cint(r), cint(g), cint(b)); }

    void advance()
    {
        r = r - red_step;
        g = g - green_step;
        b = b - blue_step;
    }
};

}  // namespace velmo::gradients
