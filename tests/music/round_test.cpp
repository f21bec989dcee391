// Rounding to the nearest integer with a tie to even, under every rounding mode of the
// floating-point environment: tables and effect steps must not depend on the thread's mode.
#include <gtest/gtest.h>

#include <cfenv>

#include "music/ymround.h"

namespace {

TEST(RoundHalfEven, TiesGoToTheEvenNeighbourInEveryRoundingMode) {
    struct Case { double x, rounded; };
    const Case cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4},
        {1717986918.5, 1717986918}, {1717986917.5, 1717986918},   // effect steps x 2^32
        {0.49999999999999994, 0}, {2.5000000000000004, 3}, {-0.49999999999999994, 0},
        {32895.999999999996, 32896}, {32896.000000000004, 32896},  // near-whole products
        {4503599627370497.0, 4503599627370497.0},                  // 2^52 + 1: already whole
    };
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        for (const Case& c : cases) {
            volatile double x = c.x;   // computed at run time, in this mode
            EXPECT_EQ(ym::RoundHalfEven(x), c.rounded) << std::hexfloat << c.x << " mode " << mode;
        }
    }
    std::fesetround(FE_TONEAREST);
}

}  // namespace
