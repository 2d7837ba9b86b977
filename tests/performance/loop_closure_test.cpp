#include "performance/loop_closure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "performance/performance.h"

namespace corvane::performance {
namespace {

// A 1-based trace of a pressure of swing 2 kPa and a period of `period`
// samples, with a second harmonic, drifting by `drift` kPa per sample.
std::vector<double> Trace(double period, double drift, std::size_t length = 400) {
    std::vector<double> p(length + 1);
    for (std::size_t k = 1; k <= length; ++k) {
        const double theta = 2 * std::numbers::pi * static_cast<double>(k) / period;
        p[k] = std::cos(theta) + 0.3 * std::sin(2 * theta) + drift * static_cast<double>(k);
    }
    return p;
}

// The drift over one revolution as a share of the swing, with its sign,
// wherever the revolution starts and whatever its length in samples; the
// shape of the loop cancels.
TEST(LoopClosure, DriftOverOneRevolutionOverTheSwing) {
    const struct {
        double period, drift, start, percent;
    } cases[] = {
        {66.67, 0.0, 1.0, 0.0},        {66.67, 0.0, 37.4, 0.0},
        {66.67, 1e-4, 12.5, 0.3334},   {120.0, -2e-4, 3.0, -1.2},
        {150.3, 5e-5, 9.9, 0.37575},
    };
    for (const auto& c : cases) {
        const auto closure = LoopClosurePercent(Trace(c.period, c.drift), c.start, c.period, 2.0);
        ASSERT_TRUE(closure) << c.period;
        EXPECT_NEAR(*closure, c.percent, 0.005) << c.period << " " << c.start;
    }
    // The swing is the cycle's: twice the swing, half the share.
    EXPECT_NEAR(*LoopClosurePercent(Trace(120, -2e-4), 3, 120, 4.0), -0.6, 0.005);
    // Both revolutions within the trace, a positive swing and revolution.
    const auto trace = Trace(100, 1e-4, 300);
    EXPECT_TRUE(LoopClosurePercent(trace, 100, 100, 2.0));
    EXPECT_FALSE(LoopClosurePercent(trace, 100.5, 100, 2.0));
    EXPECT_FALSE(LoopClosurePercent(trace, 0.5, 100, 2.0));
    EXPECT_FALSE(LoopClosurePercent(trace, 1, 100, 0.0));
    EXPECT_FALSE(LoopClosurePercent(trace, 1, 0, 2.0));
}

TEST(LoopClosure, OpenBeyondTheLimitEitherWay) {
    const struct {
        std::optional<double> closure;
        bool open;
    } cases[] = {
        {std::nullopt, false}, {0.0, false}, {0.1, false}, {-0.1, false},
        {0.1001, true},        {-0.25, true}, {3.0, true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsLoopOpen(c.closure, 0.1), c.open) << c.closure.value_or(-1);

    PerformanceResult result;
    result.loopClosureLimitPercent = 0.1;
    for (std::optional<double> closure : {std::optional<double>(0.05), std::optional<double>(-0.3),
                                          std::optional<double>(0.2), std::optional<double>()}) {
        result.cycles.push_back(CycleFigures{});
        result.cycles.back().loopClosurePercent = closure;
    }
    EXPECT_EQ(OpenLoops(result), 2);
    result.loopClosureLimitPercent = 0.25;
    EXPECT_EQ(OpenLoops(result), 1);
}

}  // namespace
}  // namespace corvane::performance
