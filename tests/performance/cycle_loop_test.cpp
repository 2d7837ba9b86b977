#include "performance/cycle_loop.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::performance {
namespace {

TEST(LoopWork, ClosedTrapezoidalSumOfPdV) {
    const struct {
        const char* name;
        std::vector<double> volume, pressure;
        double work;
    } cases[] = {
        // Expansion at 12 kPa, compression at 2 kPa: (12 - 2) x (5000 - 1000) = 40000 uJ.
        {"rectangle run clockwise", {1000, 5000, 5000, 1000}, {12, 12, 2, 2}, 40000},
        {"the same, starting elsewhere", {5000, 1000, 1000, 5000}, {2, 2, 12, 12}, 40000},
        {"run backwards: work put in", {1000, 1000, 5000, 5000}, {12, 2, 2, 12}, -40000},
        {"pressure measured from another zero",
         {1000, 5000, 5000, 1000},
         {112, 112, 102, 102},
         40000},
        {"triangle", {0, 3000, 0}, {10, 0, 0}, 15000},
        {"no volume change", {7000, 7000, 7000}, {1, 5, 9}, 0},
        {"a single point", {7000}, {3}, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(LoopWorkMicroJ(c.volume, c.pressure), c.work) << c.name;
}

TEST(PressureAtWholeDegrees, LinearBetweenSamplesRoundTheLoop) {
    // Four samples of one cycle; the loop closes from 280 degrees round to 370.
    const std::vector<double> angle{10, 100, 190, 280};
    const std::vector<double> pressure{1, 10, 19, 28};
    const auto p = PressureAtWholeDegrees(angle, pressure);
    EXPECT_DOUBLE_EQ(p[10], 1);
    EXPECT_DOUBLE_EQ(p[55], 5.5);
    EXPECT_DOUBLE_EQ(p[280], 28);
    EXPECT_DOUBLE_EQ(p[325], 14.5);  // half-way from 28 at 280 to 1 at 370
    EXPECT_DOUBLE_EQ(p[0], 28 - 27.0 * 80 / 90);
    EXPECT_DOUBLE_EQ(p[359], 28 - 27.0 * 79 / 90);
}

}  // namespace
}  // namespace corvane::performance
