// The crank-phase calibration on motored grabs of the simulated engine (heater
// off), whose wide hole is given an offset from maximum volume.

#include <gtest/gtest.h>

#include <cstdio>

#include "daq/engine_model.h"
#include "daq/simulated_board.h"
#include "daq/capture_transaction.h"
#include "performance/crank_phase.h"
#include "performance/performance.h"

namespace corvane::performance {
namespace {

std::optional<PhaseEstimate> MotoredEstimate(double offsetDeg, int rpm, std::uint64_t seed) {
    daq::EngineParameters parameters;
    parameters.rpm = rpm;
    parameters.seed = seed;
    parameters.heaterPowerW = 0;  // motored: the loop closes on itself
    parameters.phaseOffsetDeg = offsetDeg;
    parameters.instantScans = true;
    daq::SimulatedBoard board(parameters);
    auto record = std::make_unique<analysis::CaptureRecord>();
    EXPECT_EQ(daq::TakeCapture(board, analysis::CaptureKind::Grab, *record), 0);
    return EstimatePhaseOffset(AnalysePerformance(*record, {}, text::PointComma()));
}

TEST(CrankPhaseAccuracy, InjectedOffsetsRecoveredWithinHalfADegree) {
    std::printf("injected  rpm  seed  estimate  u\n");
    for (double offset : {5.0, -5.0, 0.0, 12.0}) {
        for (int rpm : {300, 500, 900}) {
            for (std::uint64_t seed = 1; seed <= 2; ++seed) {
                const auto estimate = MotoredEstimate(offset, rpm, seed);
                ASSERT_TRUE(estimate) << offset << " deg, " << rpm << " rpm";
                std::printf("%+6.1f  %4d  %4d  %+8.3f  %.3f\n", offset, rpm,
                            static_cast<int>(seed), estimate->offsetDeg,
                            estimate->uncertaintyDeg.value_or(0));
                EXPECT_NEAR(estimate->offsetDeg, offset, 0.5) << rpm << " rpm, seed " << seed;
            }
        }
    }
}

// A running engine whose wide hole lies 5 degrees off maximum volume: its
// indicated power is far off until the calibrated offset is applied; the
// phase's uncertainty then shrinks to what the calibration leaves.
TEST(CrankPhaseAccuracy, CalibratedOffsetRestoresTheIndicatedPower) {
    daq::EngineParameters parameters;
    parameters.phaseOffsetDeg = 5;
    parameters.instantScans = true;
    daq::SimulatedBoard board(parameters);
    auto record = std::make_unique<analysis::CaptureRecord>();
    ASSERT_EQ(daq::TakeCapture(board, analysis::CaptureKind::Grab, *record), 0);
    const double truth = daq::EngineModel(parameters).IndicatedPowerMilliW();
    const auto errorPercent = [&](double offset) {
        const auto r = AnalysePerformance(*record, {}, text::PointComma(), BenchSettings{{}, offset, {}});
        return 100 * (r.summary->meanIndicatedPowerMilliW - truth) / truth;
    };
    std::printf("5 deg off: power error %+.2f %% uncorrected, %+.2f %% corrected\n",
                errorPercent(0), errorPercent(5));
    EXPECT_GT(std::abs(errorPercent(0)), 5.0);
    EXPECT_LT(std::abs(errorPercent(5)), 1.0);
}

}  // namespace
}  // namespace corvane::performance
