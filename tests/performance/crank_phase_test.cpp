#include "performance/crank_phase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analysis/crank_cycle.h"
#include "performance/performance.h"

namespace corvane::performance {
namespace {

// A motored loop: the pressure of a closed charge following V(theta + phi).
std::array<double, kDegreesPerCycle> MotoredLoop(double phiDeg) {
    std::array<double, kDegreesPerCycle> p{};
    for (int d = 0; d < kDegreesPerCycle; ++d) {
        p[static_cast<std::size_t>(d)] = 7.0e6 / analysis::CylinderVolumeDouble(d + phiDeg) - 100;
    }
    return p;
}

// Positive: the crank angle from maximum volume is the holes' angle plus phi,
// so the smallest pressure comes phi before the holes' 0.
TEST(CrankPhase, OffsetOfSyntheticMotoredLoopsAndItsSign) {
    for (double phi : {-170.0, -30.0, -1.0, 0.0, 0.5, 5.0, 90.0, 179.0}) {
        const auto loop = MotoredLoop(phi);
        EXPECT_NEAR(MotoredPhaseDeg(FirstHarmonic(loop)), phi, 1e-9) << phi;
    }
    const auto loop = MotoredLoop(5.0);
    const auto lowest = std::min_element(loop.begin(), loop.end()) - loop.begin();
    EXPECT_EQ(lowest, 355);  // maximum volume at the holes' -5 degrees
}

Harmonic CycleAt(double phiDeg) { return FirstHarmonic(MotoredLoop(phiDeg)); }

TEST(CrankPhase, EstimateFromTheCyclesWithItsUncertainty) {
    PerformanceResult r;
    r.status = Status::Evaluated;
    EXPECT_FALSE(EstimatePhaseOffset(r));
    r.cycleHarmonics = {CycleAt(4.9)};
    auto one = EstimatePhaseOffset(r);
    ASSERT_TRUE(one);
    EXPECT_NEAR(one->offsetDeg, 4.9, 1e-9);
    EXPECT_FALSE(one->uncertaintyDeg);

    r.cycleHarmonics = {CycleAt(4.9), CycleAt(5.0), CycleAt(5.1)};
    auto three = EstimatePhaseOffset(r);
    ASSERT_TRUE(three && three->uncertaintyDeg);
    EXPECT_EQ(three->cycles, 3);
    EXPECT_NEAR(three->offsetDeg, 5.0, 1e-3);
    EXPECT_NEAR(*three->uncertaintyDeg, 0.1 / std::sqrt(3.0), 1e-3);

    // Either side of half a turn is one degree apart, not 359.
    r.cycleHarmonics = {CycleAt(179.5), CycleAt(-179.5)};
    auto wrapped = EstimatePhaseOffset(r);
    ASSERT_TRUE(wrapped && wrapped->uncertaintyDeg);
    EXPECT_NEAR(std::abs(wrapped->offsetDeg), 180.0, 1e-3);
    EXPECT_NEAR(*wrapped->uncertaintyDeg, std::sqrt(0.5 / 2), 1e-3);

    r.status = Status::HolesMissed;
    EXPECT_FALSE(EstimatePhaseOffset(r));
}

}  // namespace
}  // namespace corvane::performance
