// The preview of a crank-phase calibration on a motored grab of the
// simulated engine: the corrected loop closes on itself.

#include "performance/phase_preview.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "analysis/crank_cycle.h"
#include "daq/capture_transaction.h"
#include "daq/simulated_board.h"

namespace corvane::performance {
namespace {

TEST(PhasePreview, CorrectedMotoredLoopEnclosesNearlyNothing) {
    daq::EngineParameters parameters;
    parameters.heaterPowerW = 0;
    parameters.phaseOffsetDeg = 5;
    parameters.instantScans = true;
    daq::SimulatedBoard board(parameters);
    auto record = std::make_unique<analysis::CaptureRecord>();
    ASSERT_EQ(daq::TakeCapture(board, analysis::CaptureKind::Grab, *record), 0);
    const PerformanceResult motored = AnalysePerformance(*record, {}, text::PointComma());
    const auto preview = PreviewPhaseCalibration(motored);
    ASSERT_TRUE(preview);
    std::printf("motored loop work %.4f mJ before, %.4f mJ corrected\n", preview->workBeforeMilliJ,
                preview->workAfterMilliJ);
    EXPECT_NEAR(preview->estimate.offsetDeg, 5, 0.5);
    EXPECT_LT(std::abs(preview->workAfterMilliJ), 0.05 * std::abs(preview->workBeforeMilliJ));
    ASSERT_EQ(preview->after.size(), motored.averagedLoop.size());
    for (std::size_t d = 0; d < preview->after.size(); d += 45) {
        EXPECT_EQ(preview->before[d].volumeMm3, motored.averagedLoop[d].volumeMm3);
        EXPECT_EQ(preview->after[d].pressureKpa, motored.averagedLoop[d].pressureKpa);
        EXPECT_EQ(preview->after[d].volumeMm3,
                  analysis::CylinderVolumeDouble(static_cast<double>(d) + preview->estimate.offsetDeg));
    }
    // A dyna, or a grab that was not evaluated, gives no preview.
    PerformanceResult dyna = motored;
    dyna.isDyna = true;
    EXPECT_FALSE(PreviewPhaseCalibration(dyna));
    PerformanceResult failed = motored;
    failed.status = Status::HolesMissed;
    EXPECT_FALSE(PreviewPhaseCalibration(failed));
}

}  // namespace
}  // namespace corvane::performance
