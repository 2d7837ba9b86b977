// The pipeline from a stream to the folder: gaps and failures recorded with
// their times, the limit kept to the scan, a full disk ends the run with what
// was written still readable.

#include "recording/recorder.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "child_process.h"
#include "engine_trace.h"
#include "recording/recording_reader.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

constexpr long kRate = 1000;
const daq::StreamFormat kFiveChannels{0, 4, kRate};

Manifest ManifestOf(const daq::StreamFormat& format) {
    Manifest manifest;
    manifest.startUtc = UtcNow();
    manifest.format = format;
    manifest.board = "script";
    return manifest;
}

daq::EngineModel Engine() { return daq::EngineModel(daq::EngineParameters{}); }

daq::StreamChunk Chunk(daq::StreamChunk::Kind kind, std::uint64_t first, std::uint64_t lost = 0,
                       std::string message = {}) {
    return {kind, first, lost, {}, std::move(message)};
}

TEST(Recorder, RecordsGapsAndAFailureWithTheirTimes) {
    testing::TempDir dir;
    const auto model = Engine();
    auto chunks = testing::ChunksOf(testing::EngineScans(model, kRate, 0, 3000), 5, 0, 100);
    chunks.push_back(Chunk(daq::StreamChunk::Kind::Gap, 3000, 250));
    // The next scans say by their number that 50 more were lost.
    for (auto& c : testing::ChunksOf(testing::EngineScans(model, kRate, 3300, 2000), 5, 3300, 100))
        chunks.push_back(std::move(c));
    chunks.push_back(Chunk(daq::StreamChunk::Kind::Failed, 5300, 0, "board lost: USB unplugged"));
    testing::ScriptedStream stream(kFiveChannels, std::move(chunks));
    RecordingWriter writer(dir.File("run"), ManifestOf(kFiveChannels));
    std::vector<CycleRow> told;
    RecorderOptions options;
    options.cycle = [&told](const CycleRow& row) { told.push_back(row); };
    const RecordingEnd end = Record(stream, writer, options);

    EXPECT_TRUE(end.failed);
    EXPECT_EQ(end.message, "board lost: USB unplugged");
    EXPECT_EQ(end.status.lostScans, 300u);
    EXPECT_EQ(end.status.gaps, 2u);
    const RecordingContents read = ReadRecording(dir.File("run"));
    EXPECT_EQ(read.scans, 5300u);
    EXPECT_EQ(read.manifest.scans, 5300u);
    std::vector<std::string> texts;
    for (const Event& e : read.events) texts.push_back(SecondsText(e.timeS) + " " + e.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"0.000 start", "3.000 gap: 250 scans lost (0.250 s)",
                                               "3.250 gap: 50 scans lost (0.050 s)",
                                               "5.300 failed: board lost: USB unplugged",
                                               "5.300 stop"}));
    const SampleFile samples(dir.File("run"), kFiveChannels);
    EXPECT_TRUE(IsLostScan(samples.Read(3000, 1)));
    EXPECT_TRUE(IsLostScan(samples.Read(3299, 1)));
    EXPECT_EQ(samples.Read(3300, 1), testing::EngineScans(model, kRate, 3300, 1));
    ASSERT_EQ(read.cycles.size(), told.size());
    EXPECT_GE(told.size(), 23u + 15u);
    EXPECT_EQ(read.cycles.back().timeS, std::round(told.back().timeS * 1e4) / 1e4);
}

TEST(Recorder, StopsAtTheLimitToTheScan) {
    testing::TempDir dir;
    testing::ScriptedStream stream(
        kFiveChannels, testing::ChunksOf(testing::EngineScans(Engine(), kRate, 0, 3000), 5, 0, 333));
    RecordingWriter writer(dir.File("run"), ManifestOf(kFiveChannels));
    RecorderOptions options;
    options.scanLimit = 2500;
    const RecordingEnd end = Record(stream, writer, options);
    EXPECT_FALSE(end.failed);
    EXPECT_EQ(ReadRecording(dir.File("run")).scans, 2500u);
    EXPECT_EQ(ReadRecording(dir.File("run")).events.back().timeS, 2.5);
    EXPECT_EQ(stream.Read().kind, daq::StreamChunk::Kind::End);  // told to stop
}

// A long run onto a disk that fills: the run ends as failed, saying so, and
// the folder still opens with whole scans.
int RecordUntilFull(const std::string& folder) {
    std::deque<daq::StreamChunk> chunks;
    const auto second = testing::EngineScans(Engine(), kRate, 0, kRate);
    for (std::uint64_t s = 0; s < 600; ++s) {
        chunks.push_back({daq::StreamChunk::Kind::Scans, s * kRate, 0, second, {}});
    }
    testing::ScriptedStream stream(kFiveChannels, std::move(chunks));
    RecordingWriter writer(folder, ManifestOf(kFiveChannels));
    const RecordingEnd end = Record(stream, writer, {});
    if (!end.failed || end.message.find("Disk full") == std::string::npos) return 10;
    const RecordingContents read = ReadRecording(folder);
    return read.scans > 1000 && read.scans < 600 * kRate ? 0 : 11;
}

TEST(Recorder, AFullDiskEndsTheRunAndKeepsWhatWasWritten) {
    testing::TempDir dir;
    // A file size limit fills the disk anywhere.
    const auto limited = testing::RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{2'000'000, 2'000'000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return RecordUntilFull(dir.File("limited"));
    });
    EXPECT_EQ(limited.exitCode, 0);
}

TEST(Recorder, AFullTmpfsEndsTheRunAndKeepsWhatWasWritten) {
    testing::TempDir dir;
    const std::string disk = dir.File("disk");
    std::filesystem::create_directory(disk);
    if (::mount("corvane-test", disk.c_str(), "tmpfs", 0, "size=1m") != 0) {
        GTEST_SKIP() << "no tmpfs can be mounted here (" << std::strerror(errno)
                     << "): the file size limit test stands in for it";
    }
    const int outcome = RecordUntilFull(disk + "/run");
    ::umount(disk.c_str());
    EXPECT_EQ(outcome, 0);
}

}  // namespace
}  // namespace corvane::recording
