#include "performance/monotone_cubic.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::performance {
namespace {

TEST(MonotoneCubic, ThroughEveryKnotAndExactOnAStraightLine) {
    const std::vector<double> x{0.0, 1.5, 2.0, 4.0, 7.5};
    std::vector<double> y;
    for (double v : x) y.push_back(22.5 * v - 3);
    const MonotoneCubic line(x, y);
    for (double v = 0.0; v <= 7.5; v += 0.125) EXPECT_NEAR(line(v), 22.5 * v - 3, 1e-12) << v;

    const std::vector<double> steps{0.0, 22.5, 45.0, 90.0, 112.5};
    const MonotoneCubic curve(x, steps);
    for (std::size_t i = 0; i < x.size(); ++i) EXPECT_DOUBLE_EQ(curve(x[i]), steps[i]);
}

// A crank turning faster then slower: the curve follows it and never runs
// backwards or past its neighbours, where a natural spline would.
TEST(MonotoneCubic, NeverOvershootsOrTurnsBack) {
    const std::vector<double> x{0, 1, 2, 3, 4, 5, 6};
    const std::vector<double> y{0, 0.1, 0.2, 10, 10.1, 10.2, 20};
    const MonotoneCubic curve(x, y);
    double previous = curve(0);
    for (double v = 0.01; v <= 6.0; v += 0.01) {
        const double now = curve(v);
        EXPECT_GE(now, previous) << v;
        const auto i = static_cast<std::size_t>(v);
        EXPECT_GE(now, y[i] - 1e-12) << v;
        if (i + 1 < y.size()) {
            EXPECT_LE(now, y[i + 1] + 1e-12) << v;
        }
        previous = now;
    }
    // Where the data stand still the slope is zero: no overshoot at a flat step.
    const MonotoneCubic flat(std::vector<double>{0, 1, 2, 3}, std::vector<double>{0, 1, 1, 2});
    EXPECT_EQ(flat.Slopes()[1], 0.0);
    EXPECT_EQ(flat.Slopes()[2], 0.0);
}

}  // namespace
}  // namespace corvane::performance
