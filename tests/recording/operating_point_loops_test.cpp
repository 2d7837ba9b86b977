// The averaged loop of an operating point from the recording's samples: the
// seconds spread over its stretch evaluated as grabs, their loops joined
// cycle for cycle; a second with lost scans is left out, the rest still give
// the loop.

#include "recording/operating_point_loops.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine_trace.h"
#include "recording/grab_export.h"
#include "recording/recorder.h"
#include "recording/recording_error.h"
#include "recording/recording_writer.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

constexpr long kRate = 1000;
const daq::StreamFormat kFiveChannels{0, 4, kRate};

daq::EngineModel Engine(double rpm, double heaterW) {
    daq::EngineParameters parameters;
    parameters.rpm = rpm;
    parameters.heaterPowerW = heaterW;
    return daq::EngineModel(parameters);
}

using Piece = std::pair<std::uint64_t, std::uint64_t>;  // first scan, count

// The pieces of a run recorded, each from the engine given for it; scans
// between the pieces are lost.
std::string RecordPieces(const testing::TempDir& dir,
                         const std::vector<std::pair<daq::EngineModel, Piece>>& pieces) {
    std::deque<daq::StreamChunk> chunks;
    for (const auto& [engine, piece] : pieces)
        for (auto& c : testing::ChunksOf(testing::EngineScans(engine, kRate, piece.first,
                                                              piece.second),
                                         5, piece.first, 250))
            chunks.push_back(std::move(c));
    testing::ScriptedStream stream(kFiveChannels, std::move(chunks));
    RecordingWriter writer(
        dir.File("run"),
        Manifest{"2026-12-08T19:30:00.000Z", kFiveChannels, "script", false, "test", {}, 0});
    Record(stream, writer, {});
    return dir.File("run");
}

// The seconds from `starts`, each analysed as a capture of its own, joined by their cycles.
PointLoop ExpectedLoop(const std::string& run, const std::vector<double>& starts,
                       const performance::BenchSettings& bench) {
    PointLoop expected;
    std::vector<double> sum(performance::kDegreesPerCycle, 0.0);
    for (const double at : starts) {
        const auto result =
            performance::AnalysePerformance(GrabAt(run, at), {}, text::PointComma(), bench);
        const auto cycles = static_cast<double>(result.cycles.size());
        EXPECT_GT(cycles, 0) << at;
        for (std::size_t d = 0; d < sum.size(); ++d)
            sum[d] += result.averagedLoop.at(d).pressureKpa * cycles;
        expected.cycles += static_cast<int>(result.cycles.size());
        if (expected.loop.empty()) expected.loop = result.averagedLoop;
    }
    for (std::size_t d = 0; d < expected.loop.size(); ++d)
        expected.loop[d].pressureKpa = sum[d] / expected.cycles;
    expected.seconds = static_cast<int>(starts.size());
    return expected;
}

void ExpectSameLoop(const PointLoop& got, const PointLoop& expected, const std::string& what) {
    EXPECT_EQ(got.cycles, expected.cycles) << what;
    EXPECT_EQ(got.seconds, expected.seconds) << what;
    ASSERT_EQ(got.loop.size(), expected.loop.size()) << what;
    for (std::size_t d = 0; d < got.loop.size(); ++d) {
        EXPECT_EQ(got.loop[d].angleDeg, expected.loop[d].angleDeg) << what;
        EXPECT_DOUBLE_EQ(got.loop[d].volumeMm3, expected.loop[d].volumeMm3) << what << " " << d;
        EXPECT_NEAR(got.loop[d].pressureKpa, expected.loop[d].pressureKpa, 1e-9) << what << " " << d;
    }
}

TEST(LoopSeconds, SpreadsWholeSecondsEvenlyOverTheStretch) {
    struct Case {
        double startS, lengthS;
        int most;
        std::vector<double> starts;
    };
    for (const Case& c : {Case{0, 0.99, 20, {}}, Case{0, NAN, 20, {}}, Case{5, 10, 0, {}},
                          Case{10, 1, 20, {10}}, Case{10, 1.5, 20, {10.25}},
                          Case{0, 10, 1, {4.5}},
                          Case{0, 6, 6, {0, 1, 2, 3, 4, 5}}, Case{0, 2.5, 20, {0, 1.5}},
                          Case{0, 100, 3, {0, 49.5, 99}}}) {
        const auto starts = LoopSeconds(c.startS, c.lengthS, c.most);
        ASSERT_EQ(starts.size(), c.starts.size()) << c.startS << " " << c.lengthS;
        for (std::size_t i = 0; i < starts.size(); ++i)
            EXPECT_DOUBLE_EQ(starts[i], c.starts[i]) << c.lengthS << " " << i;
    }
}

TEST(AveragedLoopOf, IsTheLoopOfItsSecondsAnalysedAsCapturesJoinedByTheirCycles) {
    const testing::TempDir dir;
    // Two operating points: a fast engine on little heat, then a slow one on more.
    const std::string run =
        RecordPieces(dir, {{Engine(500, 4), {0, 3000}}, {Engine(300, 7), {3000, 3000}}});
    const RecordingContents contents = ReadRecording(run);
    performance::BenchSettings bench;
    bench.phaseOffsetDeg = 7.0;  // the volumes follow the bench's phase
    struct Case {
        double startS, lengthS;
        int most;
        std::vector<double> seconds;
    };
    for (const Case& c : {Case{1.0, 1.0, 20, {1.0}}, Case{3.2, 1.0, 20, {3.2}},
                          Case{0.0, 6.0, 6, {0, 1, 2, 3, 4, 5}}, Case{0.5, 4.0, 3, {0.5, 2, 3.5}}}) {
        const std::string what = std::to_string(c.startS) + "+" + std::to_string(c.lengthS);
        const PointLoop got = AveragedLoopOf(run, contents, c.startS, c.lengthS, bench, c.most);
        ExpectSameLoop(got, ExpectedLoop(run, c.seconds, bench), what);
        EXPECT_EQ(got.secondsLeftOut, 0) << what;
    }
}

TEST(AveragedLoopOf, LeavesOutTheSecondsWithLostScansAndKeepsTheRest) {
    const testing::TempDir dir;
    // Scans 4000..4299 lost.
    const std::string run =
        RecordPieces(dir, {{Engine(500, 4), {0, 4000}}, {Engine(500, 4), {4300, 3000}}});
    const RecordingContents contents = ReadRecording(run);
    const PointLoop across = AveragedLoopOf(run, contents, 2.0, 5.0, {}, 5);
    ExpectSameLoop(across, ExpectedLoop(run, {2, 3, 5, 6}, {}), "across the gap");
    EXPECT_EQ(across.secondsLeftOut, 1);

    // Past the end of the samples (7.3 s): only the second from 6.0 is whole.
    const PointLoop end = AveragedLoopOf(run, contents, 6.0, 3.0, {}, 3);
    ExpectSameLoop(end, ExpectedLoop(run, {6}, {}), "past the end");
    EXPECT_EQ(end.secondsLeftOut, 2);

    const PointLoop within = AveragedLoopOf(run, contents, 3.5, 1.0, {}, 5);
    EXPECT_EQ(within.secondsLeftOut, 1);
    EXPECT_EQ(within.seconds, 0);
    EXPECT_EQ(within.cycles, 0);
    EXPECT_TRUE(within.loop.empty());
}

TEST(OperatingPointLoops, GivesEachPointItsOwnLoop) {
    const testing::TempDir dir;
    const std::string run =
        RecordPieces(dir, {{Engine(500, 4), {0, 3000}}, {Engine(300, 7), {3000, 3000}}});
    const RecordingContents contents = ReadRecording(run);
    OperatingPoint fast, slow, tooShort;
    fast.startS = 0.2, fast.lengthS = 2.6;
    slow.startS = 3.1, slow.lengthS = 2.8;
    tooShort.startS = 1.0, tooShort.lengthS = 0.5;
    const auto loops = OperatingPointLoops(run, contents, {fast, slow, tooShort}, {});
    ASSERT_EQ(loops.size(), 3u);
    ExpectSameLoop(loops[0], ExpectedLoop(run, LoopSeconds(0.2, 2.6, kLoopSecondsPerPoint), {}), "fast");
    ExpectSameLoop(loops[1], ExpectedLoop(run, LoopSeconds(3.1, 2.8, kLoopSecondsPerPoint), {}), "slow");
    EXPECT_TRUE(loops[2].loop.empty());
    EXPECT_EQ(loops[2].seconds, 0);
}

TEST(OperatingPointLoops, NoneWhenTheSecondsCannotBeGrabs) {
    const testing::TempDir dir;
    const daq::StreamFormat withoutPressure{1, 4, kRate};
    {
        RecordingWriter writer(dir.File("run"), Manifest{"2026-12-08T19:30:00.000Z", withoutPressure,
                                                         "script", false, "test", {}, 0});
        writer.AddScans(std::vector<std::uint16_t>(static_cast<std::size_t>(3 * kRate * 4), 2048));
        writer.Sync();
    }
    OperatingPoint point;
    point.lengthS = 2;
    EXPECT_TRUE(
        OperatingPointLoops(dir.File("run"), ReadRecording(dir.File("run")), {point}, {}).empty());
    EXPECT_THROW(AveragedLoopOf(dir.File("run"), ReadRecording(dir.File("run")), 0, 2, {}),
                 RecordingError);
}

}  // namespace
}  // namespace corvane::recording
