#include "performance/hole_timing.h"

#include <gtest/gtest.h>

#include <vector>

#include "analysis/flywheel_holes.h"
#include "analysis/synthetic_engine.h"

namespace corvane::performance {
namespace {

TEST(ThresholdCrossing, LinearBetweenTheTwoSamplesAroundTwoVolts) {
    const struct {
        double before, after;
        int k;
        double crossing;
    } cases[] = {
        {4.0, 0.0, 10, 9.5},  // falling, half-way
        {3.0, 1.0, 10, 9.5},  // symmetric about 2 V
        {2.5, 0.5, 7, 6.25},  // a quarter of the step
        {0.5, 3.5, 5, 4.5},   // rising
        {1.9, 4.9, 2, 1.0 + 0.1 / 3.0},
        {4.5, 1.99, 3, 2.0 + 2.5 / 2.51},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(ThresholdCrossing(c.before, c.after, c.k), c.crossing, 1e-12)
            << c.before << " -> " << c.after;
    }
}

// Centres fall on the true passing times of the holes, between samples.
TEST(HoleCentres, SubSampleCentresOfSlopedEdges) {
    for (const double rpm : {300.0, 517.3}) {
        const double revsPerSample = rpm / 60 / 1000;
        const double start = 0.0371;
        const auto tach =
            analysis::testing::RampedTach(400, [&](int k) { return start + k * revsPerSample; });
        std::vector<double> trace{0.0};
        trace.insert(trace.end(), tach.begin(), tach.end());
        const auto holes = analysis::FindHoles(trace);
        ASSERT_GT(holes.size(), 20u);
        const auto centres = HoleCentres(trace, holes);
        for (std::size_t h = 1; h < holes.size(); ++h) {
            // Hole n passes when start + k revsPerSample = n / 16.
            const double n = std::round((start + centres[h] * revsPerSample) * 16);
            EXPECT_NEAR(centres[h], (n / 16 - start) / revsPerSample, 1e-9)
                << rpm << " rpm, hole " << h;
        }
    }
}

TEST(CountedRevolutions, RunsOfRevolutionsWithSixteenHoles) {
    const struct {
        const char* name;
        std::vector<std::int32_t> wide;
        std::vector<std::pair<std::int32_t, int>> runs;
        int skipped;
    } cases[] = {
        {"one wide hole", {5}, {}, 0},
        {"three revolutions", {5, 21, 37, 53}, {{5, 3}}, 0},
        {"a missed hole in the second", {5, 21, 36, 52, 68}, {{5, 1}, {36, 2}}, 1},
        {"an extra hole in the last", {2, 18, 35}, {{2, 1}}, 1},
        {"every one short", {1, 16, 31}, {}, 2},
    };
    for (const auto& c : cases) {
        const Revolutions r = CountedRevolutions(c.wide);
        std::vector<std::pair<std::int32_t, int>> runs;
        for (const RevolutionRun& run : r.runs) runs.push_back({run.firstWide, run.revolutions});
        EXPECT_EQ(runs, c.runs) << c.name;
        EXPECT_EQ(r.skipped, c.skipped) << c.name;
    }
}

}  // namespace
}  // namespace corvane::performance
