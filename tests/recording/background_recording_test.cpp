// A recording on its own thread: every cycle reaches the window once and in
// order, a mark lands in events.csv, and a stop ends a stream that would
// never end by itself.

#include "recording/background_recording.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

#include "engine_trace.h"
#include "recording/recording_reader.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

constexpr long kRate = 1000;
const daq::StreamFormat kFiveChannels{0, 4, kRate};

Manifest TestManifest() {
    return Manifest{"2026-12-08T19:30:00.000Z", kFiveChannels, "simulated", true, "test",
                    analysis::DiskTable(5), 0};
}

// The engine's scans a tenth of a second at a time, then nothing until stopped.
class EndlessStream : public daq::ScanStream {
public:
    explicit EndlessStream(std::vector<std::uint16_t> counts)
        : chunks_(testing::ChunksOf(counts, 5, 0, 100)) {}
    daq::StreamFormat Format() const override { return kFiveChannels; }
    daq::StreamChunk Read() override {
        std::unique_lock lock(mutex_);
        if (!chunks_.empty() && !stopped_) {
            auto chunk = std::move(chunks_.front());
            chunks_.pop_front();
            return chunk;
        }
        stopping_.wait(lock, [this] { return stopped_; });
        return {};
    }
    void Stop() override {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        stopping_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable stopping_;
    std::deque<daq::StreamChunk> chunks_;
    bool stopped_ = false;
};

TEST(BackgroundRecording, EveryCycleReachesTheWindowAndAStopClosesTheFolder) {
    const testing::TempDir dir;
    const daq::EngineModel engine{daq::EngineParameters{}};
    auto stream = std::make_unique<EndlessStream>(testing::EngineScans(engine, kRate, 0, 6 * kRate));
    std::vector<CycleRow> seen;
    {
        BackgroundRecording recording(std::move(stream), dir.File("run"), TestManifest(), {});
        recording.Mark("heater on");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (seen.size() < 45 && std::chrono::steady_clock::now() < deadline) {
            for (const CycleRow& row : recording.TakeCycles()) seen.push_back(row);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_FALSE(recording.End());  // the stream has not ended by itself
        recording.Stop();
        while (!recording.End()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_FALSE(recording.End()->failed);
        for (const CycleRow& row : recording.TakeCycles()) seen.push_back(row);
        EXPECT_EQ(recording.Status().cycles, seen.size());
    }
    const RecordingContents back = ReadRecording(dir.File("run"));
    ASSERT_EQ(back.cycles.size(), seen.size());
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(back.cycles[i].timeS, seen[i].timeS);
    ASSERT_GE(back.events.size(), 3u);
    EXPECT_EQ(back.events[0].text, "start");
    EXPECT_EQ(back.events[1].text, "heater on");
    EXPECT_EQ(back.events.back().text, "stop");
    EXPECT_EQ(back.scans, 6u * kRate);
}

TEST(BackgroundRecording, GoingAwayStopsAStreamThatWouldNeverEndAndClosesTheFolder) {
    const testing::TempDir dir;
    const daq::EngineModel engine{daq::EngineParameters{}};
    {
        BackgroundRecording recording(
            std::make_unique<EndlessStream>(testing::EngineScans(engine, kRate, 0, kRate)),
            dir.File("run"), TestManifest(), {});
    }
    const RecordingContents back = ReadRecording(dir.File("run"));
    ASSERT_FALSE(back.events.empty());
    EXPECT_EQ(back.events.back().text, "stop");
}

}  // namespace
}  // namespace corvane::recording
