// The monotone cubic's slopes and shape between its knots, against values
// worked out by hand on uneven spacing.

#include <gtest/gtest.h>

#include <array>

#include "performance/monotone_cubic.h"

namespace corvane::performance {
namespace {

// Interior slope where the neighbouring secants d0, d1 agree in sign:
// (w1 + w2) / (w1 / d0 + w2 / d1), w1 = 2 h1 + h0, w2 = h1 + 2 h0; else 0.
// End slope ((2 h0 + h1) d0 - h0 d1) / (h0 + h1), 0 against the sign of d0,
// 3 d0 when the secants turn and it is steeper than that.
// Between knots, halfway: (y0 + y1) / 2 + h (m0 - m1) / 8; a quarter of the
// way: 27/32 y0 + 9/64 h m0 + 5/32 y1 - 3/64 h m1.
TEST(MonotoneCubic, SlopesAndShapeByHandOnUnevenKnots) {
    struct Case {
        const char* name;
        std::array<double, 5> x, y, slopes;
        std::array<double, 4> half, quarter;  // per interval
    };
    const Case cases[] = {
        // Secants 1, 1, 4, 1/3 over h 1, 2, 1, 3. Slopes: 9 / (5 + 4) = 1;
        // 9 / (4 + 5/4) = 12/7; 12 / (7/4 + 15) = 48/67; the last end
        // (7/3 - 12) / 4 < 0 turns against its secant: 0.
        {"uneven, rising",
         {0, 1, 3, 4, 7},
         {0, 1, 3, 7, 8},
         {1, 1, 12.0 / 7, 48.0 / 67, 0},
         {1.0 / 2, 51.0 / 28, 4807.0 / 938, 1041.0 / 134},
         {1.0 / 4, 321.0 / 224, 28759.0 / 7504, 15991.0 / 2144}},
        // Secants 2, -1/2, 2, 1: zero where they change sign; 12 / (7/2 + 5)
        // = 24/17; first end (8 + 1/2) / 3 = 17/6; last end (7 - 6) / 4 = 1/4.
        {"secants change sign",
         {0, 1, 3, 4, 7},
         {0, 2, 1, 3, 6},
         {17.0 / 6, 0, 0, 24.0 / 17, 1.0 / 4},
         {65.0 / 48, 3.0 / 2, 31.0 / 17, 2685.0 / 544},
         {91.0 / 128, 59.0 / 32, 339.0 / 272, 17535.0 / 4352}},
        // Secants 1, 10, -10, 1 over h 2, 1, 1, 1: 9 / (4 + 1/2) = 2; the
        // first end (5 - 20) / 3 < 0: 0; the last end (3 + 10) / 2 = 6.5 is
        // held to 3 x 1.
        {"steep growth, then a turn",
         {0, 2, 3, 4, 5},
         {0, 2, 12, 2, 3},
         {0, 2, 0, 0, 3},
         {1.0 / 2, 29.0 / 4, 7, 17.0 / 8},
         {1.0 / 8, 123.0 / 32, 167.0 / 16, 129.0 / 64}},
    };
    for (const Case& c : cases) {
        const MonotoneCubic curve(c.x, c.y);
        for (std::size_t i = 0; i < 5; ++i) {
            EXPECT_NEAR(curve.Slopes()[i], c.slopes[i], 1e-12) << c.name << " knot " << i;
            EXPECT_NEAR(curve(c.x[i]), c.y[i], 1e-12) << c.name << " knot " << i;
        }
        for (std::size_t i = 0; i < 4; ++i) {
            const double h = c.x[i + 1] - c.x[i];
            EXPECT_NEAR(curve(c.x[i] + h / 2), c.half[i], 1e-12) << c.name << " interval " << i;
            EXPECT_NEAR(curve(c.x[i] + h / 4), c.quarter[i], 1e-12) << c.name << " interval " << i;
        }
    }
}

// Two knots: a straight line, its secant at both ends.
TEST(MonotoneCubic, TwoKnotsAreAStraightLine) {
    const MonotoneCubic line(std::array<double, 2>{1, 5}, std::array<double, 2>{2, 4});
    EXPECT_EQ(line.Slopes(), (std::vector<double>{0.5, 0.5}));
    EXPECT_NEAR(line(2), 2.5, 1e-12);
    EXPECT_NEAR(line(4.5), 3.75, 1e-12);
}

}  // namespace
}  // namespace corvane::performance
