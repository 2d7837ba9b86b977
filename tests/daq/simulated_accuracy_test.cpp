// The analysis measured against the simulated engine's known truth, and the
// faults giving what the operator would see on the real engine (the unplugged
// board is covered with the board's own tests).

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "analysis/analyse_capture.h"
#include "daq/engine_model.h"
#include "daq/simulated_board.h"
#include "daq/capture_transaction.h"

namespace corvane::daq {
namespace {

using analysis::CaptureKind;

std::string NumberText(double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

analysis::DiskTable DisksOf(const EngineModel& model) {
    analysis::DiskTable table(5);
    const auto disks = model.Disks();
    for (std::size_t row = 0; row < disks.size(); ++row) {
        table[row] = {NumberText(disks[row].massG), NumberText(disks[row].diameterMm), ""};
    }
    return table;
}

struct Analysed {
    analysis::CaptureRecord record;
    analysis::AnalysisResult result;
};

Analysed CaptureAndAnalyse(EngineParameters parameters, CaptureKind kind) {
    parameters.instantScans = true;
    SimulatedBoard board(parameters);
    Analysed out;
    EXPECT_EQ(TakeCapture(board, kind, out.record), 0);
    analysis::AnalysisInputs inputs;
    inputs.disks = DisksOf(EngineModel(board.Parameters()));
    inputs.format = text::PointComma();
    out.result = analysis::AnalyseCapture(out.record, inputs);
    return out;
}

TEST(SimulatedAccuracy, GrabSweepMatchesTheModelsCycleAndIndicatedPower) {
    double worstCycleSamples = 0.0, worstPowerShare = 0.0;
    for (int rpm = 250; rpm <= 900; rpm += 50) {
        for (std::uint64_t seed = 1; seed <= 3; ++seed) {
            EngineParameters parameters;
            parameters.rpm = rpm;
            parameters.seed = seed;
            const EngineModel model(parameters);
            const auto [record, result] = CaptureAndAnalyse(parameters, analysis::CaptureKind::Grab);
            ASSERT_EQ(result.status, "") << rpm << " rpm, seed " << seed;
            ASSERT_FALSE(result.error.has_value());
            const double modelCycle = 60.0 / rpm / record.SamplePeriod;
            const double measuredCycle = 60.0 / result.rpm / record.SamplePeriod;
            const double cycleError = std::abs(measuredCycle - modelCycle);
            const double truth = model.IndicatedPowerMilliW();
            const double powerShare =
                std::abs(result.indicatedPowerMicroW / 1000.0 - truth) / truth;
            EXPECT_LE(cycleError, 1.5) << rpm << " rpm, seed " << seed;
            EXPECT_LE(powerShare, 0.08)
                << rpm << " rpm, seed " << seed << ": " << result.indicatedPowerMicroW / 1000.0
                << " mW against " << truth << " mW";
            std::printf(
                "grab %4d rpm seed %llu: cycle %7.2f/%7.2f  power %8.2f/%8.2f mW (%+.2f %%)\n", rpm,
                (unsigned long long)seed, measuredCycle, modelCycle,
                result.indicatedPowerMicroW / 1000.0, truth,
                100.0 * (result.indicatedPowerMicroW / 1000.0 - truth) / truth);
            worstCycleSamples = std::max(worstCycleSamples, cycleError);
            worstPowerShare = std::max(worstPowerShare, powerShare);
        }
    }
    RecordProperty("worst_cycle_error_samples", NumberText(worstCycleSamples));
    RecordProperty("worst_power_error_percent", NumberText(100.0 * worstPowerShare));
    std::printf("worst cycle error %.2f samples, worst indicated power error %.2f %%\n",
                worstCycleSamples, 100.0 * worstPowerShare);
}

TEST(SimulatedAccuracy, DynaTorqueMatchesTheModelsAcceleratingTorque) {
    double worstShare = 0.0;
    for (int rpm = 400; rpm <= 900; rpm += 100) {
        for (std::uint64_t seed = 1; seed <= 3; ++seed) {
            EngineParameters parameters;
            parameters.rpm = rpm;
            parameters.seed = seed;
            const EngineModel model(parameters);
            const auto [record, result] = CaptureAndAnalyse(parameters, analysis::CaptureKind::Dyna);
            ASSERT_EQ(result.status, "") << rpm << " rpm, seed " << seed;
            ASSERT_FALSE(result.smoothedTorqueSeries.empty()) << rpm << " rpm, seed " << seed;
            // Mean of I dw/dt over the span of the smoothed points.
            const double t1 = result.smoothedTorqueSeries.front().x / 1000.0;
            const double t2 = result.smoothedTorqueSeries.back().x / 1000.0;
            const auto& motion = model.Dyna();
            const double truth =
                model.MomentOfInertiaGm2() * (motion.Omega(t2) - motion.Omega(t1)) / (t2 - t1);
            const double share = std::abs(result.averageTorque - truth) / truth;
            std::printf(
                "dyna %d rpm seed %llu: %zu speed points, torque %.3f/%.3f mNm (%+.1f %%)\n", rpm,
                (unsigned long long)seed, result.rpmPoints.size(), result.averageTorque, truth,
                100.0 * (result.averageTorque - truth) / truth);
            EXPECT_LE(share, 0.25) << rpm << " rpm, seed " << seed;
            worstShare = std::max(worstShare, share);
        }
    }
    RecordProperty("worst_torque_error_percent", NumberText(100.0 * worstShare));
    std::printf("worst dyna torque error %.1f %%\n", 100.0 * worstShare);
}

TEST(SimulatedFaults, EachFaultShowsAsTheOperatorWouldSeeIt) {
    struct Case {
        const char* name;
        EngineFaults faults;
        analysis::CaptureKind kind;
        const char* status;
        bool hot;
    };
    const Case cases[] = {
        {"healthy grab", {}, analysis::CaptureKind::Grab, "", false},
        {"healthy dyna", {}, analysis::CaptureKind::Dyna, "", false},
        {"missed hole, grab", {.missedHole = true}, analysis::CaptureKind::Grab, "Bad red spikes", false},
        {"missed hole, dyna", {.missedHole = true}, analysis::CaptureKind::Dyna, "Bad red spikes", false},
        {"stopped, grab", {.stopped = true}, analysis::CaptureKind::Grab, "Only one cycle", false},
        {"stopped, dyna", {.stopped = true}, analysis::CaptureKind::Dyna, "Only one cycle", false},
        {"too hot", {.tooHot = true}, analysis::CaptureKind::Grab, "", true},
    };
    for (const auto& c : cases) {
        for (std::uint64_t seed = 1; seed <= 4; ++seed) {
            EngineParameters parameters;
            parameters.faults = c.faults;
            parameters.seed = seed;
            const auto [record, result] = CaptureAndAnalyse(parameters, c.kind);
            EXPECT_EQ(result.status, c.status) << c.name << ", seed " << seed;
            EXPECT_EQ(record.HiTemp > 370.0, c.hot) << c.name << ": " << record.HiTemp << " K";
        }
    }
}

}  // namespace
}  // namespace corvane::daq
