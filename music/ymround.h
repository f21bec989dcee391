#pragma once
// Rounding to the nearest integer, an exact half going to the even neighbour: the one
// tie rule of the player's tables, rates and effect steps. It is worked out from floor()
// and an exact remainder, so the result does not depend on the rounding mode of the
// calling thread's floating-point environment (the audio thread's is not ours to set).

#include <cmath>

namespace ym {

inline double RoundHalfEven(double x) {
    const double down = std::floor(x);
    // Exact, except for -0.5 < x < 0, where it rounds but stays in [0.5, 1]: 0 either way.
    const double rest = x - down;
    if (rest < 0.5) return down;
    if (rest > 0.5) return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

}  // namespace ym
