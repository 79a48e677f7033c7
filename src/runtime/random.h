// The host's process-wide pseudo-random generator: Rnd gives uniform Singles in [0, 1).
// It is the runtime's 24-bit linear congruential generator, so a seeded sequence is repeatable.
#pragma once

#include <cstdint>

namespace velmo::host {

// Reseeds from the clock.
void Randomize();
// Reseeds with a fixed value (tests, repeatable demos).
void Randomize(double seed);
float Rnd();

}  // namespace velmo::host
