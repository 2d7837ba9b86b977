// Cycles evaluated from a stream: against the simulated engine's truth, the
// same however the scans are cut into chunks, the same as the evaluation of a
// grab, and never across a gap.

#include "recording/cycle_tracker.h"

#include <gtest/gtest.h>

#include <cmath>

#include "daq/engine_truth.h"
#include "engine_trace.h"
#include "performance/performance.h"
#include "text/number_format.h"

namespace corvane::recording {
namespace {

constexpr long kRate = 1000;
const daq::StreamFormat kFiveChannels{0, 4, kRate};

daq::EngineModel Engine(double rpm) {
    daq::EngineParameters parameters;
    parameters.rpm = rpm;
    return daq::EngineModel(parameters);
}

std::vector<CycleRow> Track(const std::vector<std::uint16_t>& counts, std::size_t chunk,
                            std::uint64_t first = 0) {
    CycleTracker tracker(kFiveChannels);
    std::vector<CycleRow> cycles;
    for (const auto& c : testing::ChunksOf(counts, 5, first, chunk)) {
        tracker.Add(c.firstScan, c.counts, cycles);
    }
    return cycles;
}

TEST(CycleTracker, AgreesWithTheEngineAtEverySpeedAndChunkSize) {
    struct Case {
        double rpm;
        std::size_t chunk;
    };
    for (const Case c : {Case{300, 1}, Case{500, 7}, Case{500, 100}, Case{800, 1000}, Case{1200, 333}}) {
        SCOPED_TRACE(::testing::Message() << c.rpm << " rpm, chunks of " << c.chunk);
        const daq::EngineModel model = Engine(c.rpm);
        const daq::GrabTruth truth = daq::GrabTruthOf(model);
        const double seconds = 20;
        const auto cycles = Track(testing::EngineScans(model, kRate, 0, seconds * kRate), c.chunk);
        const double revolutions = seconds * truth.rpm / 60;
        EXPECT_LE(std::abs(static_cast<double>(cycles.size()) - revolutions), 2.0);
        for (const CycleRow& row : cycles) {
            EXPECT_NEAR(row.rpm, truth.rpm, 0.005 * truth.rpm) << row.timeS;
            EXPECT_NEAR(row.indicatedPowerMilliW, truth.indicatedPowerMilliW,
                        0.01 * truth.indicatedPowerMilliW) << row.timeS;
            // Half a count of the converter: 0.25 K, 0.05 W at the heater.
            EXPECT_NEAR(*row.loTempK, model.LowTemperatureK(), 0.25);
            EXPECT_NEAR(*row.hiTempK, model.HighTemperatureK(), 0.25);
            EXPECT_NEAR(*row.heaterPowerW, model.HeaterPowerW(), 0.05);
        }
        // One revolution apart, in time order.
        for (std::size_t i = 1; i < cycles.size(); ++i) {
            EXPECT_NEAR(cycles[i].timeS - cycles[i - 1].timeS, 60 / truth.rpm, 0.002);
        }
    }
}

TEST(CycleTracker, ChunksDoNotChangeAFigure) {
    const auto counts = testing::EngineScans(Engine(600), kRate, 123, 5 * kRate);
    const auto whole = Track(counts, counts.size(), 123);
    ASSERT_GE(whole.size(), 45u);
    for (std::size_t chunk : {1u, 2u, 61u, 999u}) {
        const auto cut = Track(counts, chunk, 123);
        ASSERT_EQ(cut.size(), whole.size());
        for (std::size_t i = 0; i < cut.size(); ++i) {
            EXPECT_EQ(cut[i].timeS, whole[i].timeS);
            EXPECT_EQ(cut[i].workMilliJ, whole[i].workMilliJ);
        }
    }
}

// The stream's cycles are the grab's cycles: the same holes, wide holes,
// crank angles and p dV, within what the spline's ends change.
TEST(CycleTracker, GivesTheCyclesOfAGrabOfTheSameSecond) {
    const auto counts = testing::EngineScans(Engine(500), kRate, 0, kRate);
    analysis::CaptureRecord record;
    record.SampleCount = 2 * kRate;
    record.SamplePeriod = 1.0 / kRate;
    for (std::size_t scan = 0; scan < kRate; ++scan) {
        record.RawSamples[2 * scan] = counts[5 * scan];
        record.RawSamples[2 * scan + 1] = counts[5 * scan + 1];
    }
    const auto grab = performance::AnalysePerformance(record, {}, text::PointComma());
    const auto stream = Track(counts, 100);
    ASSERT_EQ(grab.status, performance::Status::Evaluated);
    ASSERT_EQ(stream.size(), grab.cycles.size());
    for (std::size_t i = 0; i < stream.size(); ++i) {
        // The grab's sample k lies at k ms, the stream's scan n at n ms: one apart.
        EXPECT_NEAR(stream[i].timeS, grab.cycles[i].startMs / 1000 - 0.001, 1e-9);
        EXPECT_NEAR(stream[i].rpm, grab.cycles[i].rpm, 1e-9 * grab.cycles[i].rpm);
        EXPECT_NEAR(stream[i].workMilliJ, grab.cycles[i].workMilliJ,
                    0.002 * std::abs(grab.cycles[i].workMilliJ));
    }
}

TEST(CycleTracker, NoCycleSpansAGap) {
    const daq::EngineModel model = Engine(500);
    CycleTracker tracker(kFiveChannels);
    std::vector<CycleRow> cycles;
    tracker.Add(0, testing::EngineScans(model, kRate, 0, 3000), cycles);
    const std::size_t before = cycles.size();
    tracker.Gap();
    // The scans after the gap start 250 ms later: implied by their numbers too.
    tracker.Add(3250, testing::EngineScans(model, kRate, 3250, 3000), cycles);
    const double period = 60 / daq::GrabTruthOf(model).rpm;
    for (const CycleRow& row : cycles) {
        const bool across = row.timeS < 3.0 && row.timeS + period > 3.0;
        EXPECT_FALSE(across) << row.timeS;
        EXPECT_NEAR(row.rpm, 500, 3);
    }
    EXPECT_GE(before, 23u);
    EXPECT_GE(cycles.size() - before, 22u);
    // Numbers that jump say the same as a gap.
    CycleTracker jumped(kFiveChannels);
    std::vector<CycleRow> jumpedCycles;
    jumped.Add(0, testing::EngineScans(model, kRate, 0, 3000), jumpedCycles);
    jumped.Add(3250, testing::EngineScans(model, kRate, 3250, 3000), jumpedCycles);
    EXPECT_EQ(jumpedCycles.size(), cycles.size());
}

TEST(CycleTracker, TwoChannelsGiveNoMonitorValuesAndOneChannelIsRefused) {
    const auto five = testing::EngineScans(Engine(500), kRate, 0, 2000);
    std::vector<std::uint16_t> two;
    for (std::size_t i = 0; i < five.size(); i += 5) two.insert(two.end(), {five[i], five[i + 1]});
    CycleTracker tracker({0, 1, kRate});
    std::vector<CycleRow> cycles;
    tracker.Add(0, two, cycles);
    ASSERT_GE(cycles.size(), 14u);
    EXPECT_FALSE(cycles[0].loTempK || cycles[0].hiTempK || cycles[0].heaterPowerW);
    EXPECT_THROW(CycleTracker({1, 4, kRate}), std::invalid_argument);
}

TEST(CycleTracker, AStoppedEngineIsLetGoAndARestartCounted) {
    const daq::EngineModel model = Engine(500);
    auto counts = testing::EngineScans(model, kRate, 0, 2000);
    // Two minutes stopped inside a hole (the tachometer low), then turning again.
    const auto inHole = text::VoltsToCount(0.2);
    for (int n = 0; n < 120 * kRate; ++n) counts.insert(counts.end(), {2048, inHole, 2048, 2048, 2048});
    const auto again = testing::EngineScans(model, kRate, 0, 3000);
    counts.insert(counts.end(), again.begin(), again.end());
    const auto cycles = Track(counts, 1000);
    for (const CycleRow& row : cycles) EXPECT_NEAR(row.rpm, 500, 3) << row.timeS;
    EXPECT_GE(cycles.size(), 14u + 22u);
}

}  // namespace
}  // namespace corvane::recording
