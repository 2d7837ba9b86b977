// A coast-down during a simulated run: from its second on the engine gives
// no work and the flywheel slows against the run's friction, smoothly within
// each second, so that a dyna taken from the run's stream measures it.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>

#include "analysis/capture_plan.h"
#include "analysis/capture_record.h"
#include "daq/engine_run.h"
#include "daq/run_scan.h"
#include "performance/friction_fit.h"
#include "text/number_format.h"

namespace corvane::daq {
namespace {

constexpr double kRpmPerRadS = 60.0 / (2.0 * std::numbers::pi);

EngineParameters CoastingAt(double atS, double rpm, double loadMilliNm) {
    EngineParameters parameters;
    parameters.rpm = rpm;
    parameters.loadMilliNm = loadMilliNm;
    parameters.run.coastDownAtS = atS;
    return parameters;
}

// Before it the run is the steady engine; from the first whole second at or
// after it the heater is off, the loop gives no work, the hot end cools and
// the speed follows one exponential of I dw/dt = -(a + b w) to a stop.
TEST(RunCoastDown, SlowsAgainstTheRunsFrictionToAStop) {
    const struct {
        double atS, loadMilliNm, startS;
    } cases[] = {{3.0, 1.0, 3.0}, {2.5, 2.0, 3.0}, {0.0, 1.0, 0.0}, {4.0, 0.0, 4.0}};
    for (const auto& c : cases) {
        const EngineParameters parameters = CoastingAt(c.atS, 600, c.loadMilliNm);
        const EngineModel steady(parameters);
        EngineRun run(parameters);
        while (run.State().timeS < c.startS) {
            EXPECT_FALSE(run.CoastingDown()) << c.atS;
            EXPECT_EQ(run.RpmAt(run.State().timeS + 0.5), 600.0);
            run.Advance();
        }
        ASSERT_TRUE(run.CoastingDown()) << c.atS;
        const FrictionTruth f = run.Friction();
        EXPECT_EQ(f.aMilliNm, c.loadMilliNm);
        EXPECT_EQ(f.bMilliNmPerRadS, steady.Friction().bMilliNmPerRadS);
        const double inertiaKgM2 = steady.MomentOfInertiaGm2() * 1e-3;
        const DynaMotion whole = CoastDownMotion(f, inertiaKgM2, 600 / kRpmPerRadS);
        const double highK = run.State().highTemperatureK;
        for (const double after : {0.0, 0.25, 1.5, 7.75, 30.0}) {
            while (run.State().timeS + kRunStepS <= c.startS + after) run.Advance();
            const double t = c.startS + after;
            EXPECT_NEAR(run.RpmAt(t), whole.Omega(after) * kRpmPerRadS, 1e-6) << c.atS << " " << after;
            EXPECT_EQ(run.State().heaterPowerW, 0.0);
            EXPECT_NEAR(run.State().workMicroJ, 0.0, 1e-6 * steady.WorkPerCycleMicroJ());
            // The piston still compresses the gas: the pressure swings all the same.
            EXPECT_GT(run.Model().PressureSwingKPa(), 0.25 * steady.PressureSwingKPa());
        }
        EXPECT_LE(run.State().highTemperatureK, highK) << "the hot end cools";
        if (c.loadMilliNm > 0) {
            while (run.State().timeS < c.startS + whole.stopTime + 2) run.Advance();
            EXPECT_EQ(run.State().rpm, 0.0) << "stands still";
        }
    }
}

// An engine that cannot turn on its own has no friction to measure: coasting,
// it stays still (no speed out of a division by its zero friction).
TEST(RunCoastDown, AStuckEngineStaysStill) {
    EngineParameters parameters = CoastingAt(2.0, 600, 1.0);
    parameters.faults.stopped = true;
    EngineRun run(parameters);
    while (run.State().timeS < 6.0) {
        EXPECT_EQ(run.RpmAt(run.State().timeS + 0.5), 0.0) << run.State().timeS;
        run.Advance();
    }
    EXPECT_TRUE(run.CoastingDown());
    EXPECT_EQ(run.Friction().aMilliNm, 0.0);
    EXPECT_EQ(run.Friction().bMilliNmPerRadS, 0.0);
}

analysis::DiskTable DisksOf(const EngineModel& model) {
    const auto text = [](double value) {
        char digits[32];
        return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    };
    analysis::DiskTable table(5);
    const auto disks = model.Disks();
    for (std::size_t row = 0; row < disks.size(); ++row)
        table[row] = {text(disks[row].massG), text(disks[row].diameterMm), ""};
    return table;
}

// The Dyna plan's four seconds of the tachometer, taken from the run's stream
// of the five channels once it has reached `fromS`.
std::unique_ptr<analysis::CaptureRecord> DynaFromStream(const EngineParameters& parameters,
                                                        double fromS) {
    const analysis::RecordingPlan& plan = analysis::kRecordingPlan;
    RunScan stream(parameters, ScanRequest{plan.lowChannel, plan.highChannel, 0, plan.rate});
    while (static_cast<double>(stream.ScansDone()) < fromS * static_cast<double>(plan.rate))
        (void)stream.NextBlock();
    auto record = std::make_unique<analysis::CaptureRecord>();
    const long count = analysis::kDynaPlan.sampleCount;
    const int tachometer = analysis::kDynaPlan.lowChannel - plan.lowChannel;
    for (long taken = 0; taken < count;) {
        const auto block = stream.NextBlock();
        for (std::size_t i = static_cast<std::size_t>(tachometer); i < block.size() && taken < count;
             i += static_cast<std::size_t>(stream.Channels()))
            record->RawSamples[static_cast<std::size_t>(taken++)] = block[i];
    }
    record->SampleCount = static_cast<int>(count);
    record->SamplePeriod = analysis::kDynaPlan.ScanPeriod();
    record->IsDyna = true;
    return record;
}

// Speed, load and seed: a dyna of the stream during the coast-down gives the
// run's friction within 5 %.
TEST(RunCoastDown, ADynaFromTheStreamRecoversTheFriction) {
    const struct {
        double rpm, loadMilliNm;
        std::uint64_t seed;
    } cases[] = {{600, 1.0, 1}, {800, 0.5, 2}, {450, 1.5, 3}};
    for (const auto& c : cases) {
        EngineParameters parameters = CoastingAt(5.0, c.rpm, c.loadMilliNm);
        parameters.seed = c.seed;
        EngineRun run(parameters);
        while (!run.CoastingDown()) run.Advance();
        const FrictionTruth truth = run.Friction();
        const auto record = DynaFromStream(parameters, 5.1);
        const performance::PerformanceResult result = performance::AnalysePerformance(
            *record, DisksOf(EngineModel(parameters)), text::PointComma());
        const performance::FrictionFitResult fit = performance::FitFriction(result);
        ASSERT_EQ(fit.status, performance::FrictionFitStatus::Fitted) << c.rpm;
        EXPECT_NEAR(fit.fit->model.aMilliNm, truth.aMilliNm, 0.05 * truth.aMilliNm) << c.rpm;
        EXPECT_NEAR(fit.fit->model.bMilliNmPerKrpm, truth.BMilliNmPerKrpm(),
                    0.05 * truth.BMilliNmPerKrpm())
            << c.rpm;
        EXPECT_LT(fit.fit->rpmFrom, c.rpm);
        std::printf("run coast-down %4.0f rpm, load %.1f: a %.4f (true %.4f), b %.4f (true %.4f)\n",
                    c.rpm, c.loadMilliNm, fit.fit->model.aMilliNm, truth.aMilliNm,
                    fit.fit->model.bMilliNmPerKrpm, truth.BMilliNmPerKrpm());
    }
}

}  // namespace
}  // namespace corvane::daq

namespace corvane::daq {
namespace {

// The edges of the run's ranges are kept: a step at the run's start that
// switches the heater off with no load, and a coast-down from the start.
TEST(CheckedRun, KeepsTheEdgesOfItsRanges) {
    EngineRunSettings run;
    run.steps = {{0.0, 0.0, 0.0}};
    run.coastDownAtS = 0.0;
    const EngineRunSettings checked = CheckedRun(run);
    ASSERT_EQ(checked.steps.size(), 1u);
    EXPECT_EQ(checked.coastDownAtS, 0.0);
    run.coastDownAtS = -0.5;
    EXPECT_EQ(CheckedRun(run).coastDownAtS, -1.0);  // none
}

}  // namespace
}  // namespace corvane::daq
