// The transducer's calibration and the loop-closure flag on grabs of the
// simulated engine, whose transducer is given a scale, a zero and a drift.

#include <gtest/gtest.h>

#include <cstdio>

#include "daq/capture_transaction.h"
#include "daq/engine_model.h"
#include "daq/simulated_board.h"
#include "performance/loop_closure.h"
#include "performance/performance.h"

namespace corvane::performance {
namespace {

std::unique_ptr<analysis::CaptureRecord> Grab(const daq::EngineParameters& parameters) {
    daq::SimulatedBoard board(parameters);
    auto record = std::make_unique<analysis::CaptureRecord>();
    EXPECT_EQ(daq::TakeCapture(board, analysis::CaptureKind::Grab, *record), 0);
    return record;
}

daq::EngineParameters Engine(int rpm, std::uint64_t seed, double driftPercentPerS) {
    daq::EngineParameters parameters;
    parameters.rpm = rpm;
    parameters.seed = seed;
    parameters.transducerDriftPercentPerS = driftPercentPerS;
    parameters.instantScans = true;
    return parameters;
}

// A transducer 25 % too sensitive and 0.3 V off zero: the power is 25 % high
// until its calibration is given; the zero moves only the mean gauge pressure.
TEST(TransducerCalibration, CalibrationRestoresThePowerAndTheGaugePressure) {
    daq::EngineParameters parameters = Engine(500, 3, 0);
    parameters.transducerScale = 1.25;
    parameters.transducerZeroVolts = 0.3;
    const auto record = Grab(parameters);
    const daq::EngineModel model(parameters);
    const double truth = model.IndicatedPowerMilliW();
    BenchSettings calibrated;
    calibrated.pressure = {1.25, 0.3};
    const PerformanceResult plain = AnalysePerformance(*record, {}, text::PointComma());
    const PerformanceResult right = AnalysePerformance(*record, {}, text::PointComma(), calibrated);
    const double plainError = plain.summary->meanIndicatedPowerMilliW / truth - 1;
    const double rightError = right.summary->meanIndicatedPowerMilliW / truth - 1;
    std::printf("scale 1.25: power error %+.2f %% plain, %+.2f %% calibrated\n", 100 * plainError,
                100 * rightError);
    EXPECT_NEAR(plainError, 0.25, 0.02);
    EXPECT_LT(std::abs(rightError), 0.01);
    // The zero alone leaves every figure of the loop as it was.
    BenchSettings zeroOnly;
    zeroOnly.pressure.zeroVolts = 0.3;
    const PerformanceResult shifted = AnalysePerformance(*record, {}, text::PointComma(), zeroOnly);
    EXPECT_EQ(shifted.summary->meanWorkMilliJ, plain.summary->meanWorkMilliJ);
    // The mean gauge pressure over a cycle: the model's, sampled at every degree.
    double meanGauge = 0;
    for (int d = 0; d < 360; ++d) meanGauge += model.PressureKPa(d) - 101.325;
    meanGauge /= 360;
    EXPECT_NEAR(*right.meanGaugePressureKpa, meanGauge, 0.25);  // 8.3 revolutions: not whole ones
    EXPECT_GT(std::abs(*plain.meanGaugePressureKpa - meanGauge), 1.0);
    // An unusable calibration is the nominal transducer.
    BenchSettings absurd;
    absurd.pressure.scale = 0;
    EXPECT_EQ(AnalysePerformance(*record, {}, text::PointComma(), absurd).summary->meanWorkMilliJ,
              plain.summary->meanWorkMilliJ);
}

// Every cycle but each run's last has a closure; a clean engine's stay under
// the default limit, a zero drifting by 2 % of the swing per second (either
// way) opens every one, by about the drift over the cycle's duration.
TEST(TransducerCalibration, DriftingZeroIsFlaggedAndACleanCaptureIsNot) {
    std::printf("drift %%/s  rpm  seed  cycles  open  largest closure %%\n");
    for (double drift : {0.0, 2.0, -2.0}) {
        for (int rpm : {300, 500, 900}) {
            for (std::uint64_t seed = 1; seed <= 3; ++seed) {
                const PerformanceResult r =
                    AnalysePerformance(*Grab(Engine(rpm, seed, drift)), {}, text::PointComma());
                ASSERT_EQ(r.status, Status::Evaluated);
                double largest = 0;
                int measured = 0;
                for (const CycleFigures& c : r.cycles) {
                    if (!c.loopClosurePercent) continue;
                    ++measured;
                    if (std::abs(*c.loopClosurePercent) > std::abs(largest)) largest = *c.loopClosurePercent;
                    if (drift != 0) {
                        EXPECT_NEAR(*c.loopClosurePercent, drift * c.durationS, 0.1);
                    }
                }
                std::printf("%+5.1f  %4d  %4d  %6zu  %4d  %+.3f\n", drift, rpm,
                            static_cast<int>(seed), r.cycles.size(), OpenLoops(r), largest);
                EXPECT_EQ(measured, static_cast<int>(r.cycles.size()) - 1);
                EXPECT_FALSE(r.cycles.back().loopClosurePercent);
                // At 900 rpm a revolution's noise is as large as its drift: flagged in part.
                const int expected = drift == 0 ? 0 : rpm < 900 ? measured : -1;
                if (expected >= 0) {
                    EXPECT_EQ(OpenLoops(r), expected) << rpm << " rpm, seed " << seed;
                } else {
                    EXPECT_GE(OpenLoops(r), 1) << "seed " << seed;
                }
            }
        }
    }
}

}  // namespace
}  // namespace corvane::performance
