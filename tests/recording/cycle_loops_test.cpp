// The loops of the last cycles: the ring keeps the newest N in order, a loop
// is thinned evenly, and the pipeline hands over every cycle's own loop,
// numbered as its row, across chunks and a gap.

#include "recording/cycle_loops.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <thread>

#include "engine_trace.h"
#include "performance/cycle_loop.h"
#include "recording/background_recording.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

constexpr long kRate = 1000;
const daq::StreamFormat kFiveChannels{0, 4, kRate};

std::vector<std::uint64_t> Numbers(const std::vector<CycleLoop>& loops) {
    std::vector<std::uint64_t> numbers;
    for (const CycleLoop& loop : loops) numbers.push_back(loop.cycle);
    return numbers;
}

std::vector<std::uint64_t> Consecutive(std::uint64_t from, std::uint64_t to) {
    std::vector<std::uint64_t> numbers(to - from);
    std::iota(numbers.begin(), numbers.end(), from);
    return numbers;
}

TEST(LoopRing, KeepsTheNewestLoopsInOrder) {
    struct Case {
        std::size_t capacity;
        std::uint64_t added;
    };
    for (const Case c :
         {Case{1, 0}, Case{1, 3}, Case{3, 2}, Case{3, 3}, Case{3, 7}, Case{10, 25}}) {
        LoopRing ring(c.capacity);
        for (std::uint64_t n = 0; n < c.added; ++n)
            ring.Add({n, 0.5 * static_cast<double>(n), {}, {}});
        const std::uint64_t held = std::min<std::uint64_t>(c.added, c.capacity);
        EXPECT_EQ(Numbers(ring.Loops()), Consecutive(c.added - held, c.added))
            << c.capacity << " " << c.added;
        EXPECT_EQ(ring.Added(), c.added);
    }
    EXPECT_THROW(LoopRing(0), std::invalid_argument);
}

TEST(ThinnedLoop, KeepsEveryPointUpToTheLimitElseEvenlySpreadOnes) {
    std::vector<double> volume(1000), pressure(1000);
    std::iota(volume.begin(), volume.end(), 0.0);
    std::iota(pressure.begin(), pressure.end(), 5000.0);
    const CycleLoop all = ThinnedLoop(std::span(volume).first(150), std::span(pressure).first(150));
    EXPECT_EQ(all.volume, std::vector<double>(volume.begin(), volume.begin() + 150));
    EXPECT_EQ(all.pressureKpa, std::vector<double>(pressure.begin(), pressure.begin() + 150));
    const CycleLoop thinned = ThinnedLoop(volume, pressure, 200);
    ASSERT_EQ(thinned.volume.size(), 200u);
    for (std::size_t i = 0; i < 200; ++i) {
        ASSERT_EQ(thinned.volume[i], static_cast<double>(5 * i));
        ASSERT_EQ(thinned.pressureKpa[i], 5000.0 + static_cast<double>(5 * i));
    }
    EXPECT_EQ(ThinnedLoop(std::span(volume).first(7), pressure, 3).volume,
              (std::vector<double>{0, 2, 4}));
    EXPECT_THROW(ThinnedLoop(volume, pressure, 0), std::invalid_argument);
}

Manifest ManifestOf() {
    return Manifest{"2026-12-08T19:30:00.000Z",
                    kFiveChannels,
                    "script",
                    false,
                    "test",
                    analysis::DiskTable(5),
                    0};
}

// 4 s of the engine, 0.3 s lost, 3 s more, in chunks that cut through cycles.
std::deque<daq::StreamChunk> ChunksWithAGap() {
    const daq::EngineModel engine{daq::EngineParameters{}};
    auto chunks = testing::ChunksOf(testing::EngineScans(engine, kRate, 0, 4000), 5, 0, 37);
    for (auto& c : testing::ChunksOf(testing::EngineScans(engine, kRate, 4300, 3000), 5, 4300, 37))
        chunks.push_back(std::move(c));
    return chunks;
}

TEST(CycleLoops, EveryCycleHandsOverItsOwnLoopNumberedAsItsRow) {
    const testing::TempDir dir;
    testing::ScriptedStream stream(kFiveChannels, ChunksWithAGap());
    RecordingWriter writer(dir.File("run"), ManifestOf());
    std::vector<CycleRow> rows;
    std::vector<CycleLoop> loops;
    RecorderOptions options;
    options.cycle = [&rows](const CycleRow& row) { rows.push_back(row); };
    options.loop = [&loops](const CycleLoop& loop) { loops.push_back(loop); };
    Record(stream, writer, options);

    ASSERT_GE(rows.size(), 55u);
    ASSERT_EQ(Numbers(loops), Consecutive(0, rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(loops[i].timeS, rows[i].timeS);
        ASSERT_EQ(loops[i].volume.size(), loops[i].pressureKpa.size());
        EXPECT_GT(loops[i].volume.size(), 50u);
        EXPECT_LE(loops[i].volume.size(), kLoopPointsDrawn);
        // The loop drawn encloses the work its row reports.
        EXPECT_NEAR(performance::LoopWorkMicroJ(loops[i].volume, loops[i].pressureKpa) / 1000,
                    rows[i].workMilliJ, 0.02 * std::abs(rows[i].workMilliJ))
            << i;
    }
}

TEST(CycleLoops, ABackgroundRecordingKeepsTheLastOnesAskedFor) {
    const testing::TempDir dir;
    auto stream = std::make_unique<testing::ScriptedStream>(kFiveChannels, ChunksWithAGap());
    BackgroundRecording recording(std::move(stream), dir.File("run"), ManifestOf(), {}, 4);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!recording.End() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(recording.End());
    const std::vector<CycleRow> rows = recording.TakeCycles();
    const std::vector<CycleLoop> loops = recording.RecentLoops();
    ASSERT_GE(rows.size(), 55u);
    EXPECT_EQ(recording.LoopsEvaluated(), rows.size());
    ASSERT_EQ(Numbers(loops), Consecutive(rows.size() - 4, rows.size()));
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(loops[i].timeS, rows[rows.size() - 4 + i].timeS);
}

}  // namespace
}  // namespace corvane::recording
