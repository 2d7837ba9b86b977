// Recording the simulated board's run through its stream, sped up: every
// scan there, cycles against the run's truth, an overrun and an unplugged
// board in events.csv.

#include <gtest/gtest.h>

#include <thread>

#include "daq/board_stream.h"
#include "analysis/capture_plan.h"
#include "daq/engine_run.h"
#include "daq/simulated_board.h"
#include "recording/recorder.h"
#include "recording/recording_reader.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

const daq::StreamFormat kRecording{analysis::kRecordingPlan.lowChannel, analysis::kRecordingPlan.highChannel,
                                   analysis::kRecordingPlan.rate};

daq::EngineParameters SpedUp(double speedUp) {
    daq::EngineParameters parameters;
    parameters.run.speedUp = speedUp;
    return parameters;
}

RecordingEnd RecordBoard(daq::SimulatedBoard& board, const std::string& folder, double seconds) {
    daq::BoardStreamOptions buffer;  // its real time, however fast the board
    buffer.speedUp = board.Parameters().run.speedUp;
    const auto stream = daq::OpenBoardStream(board, kRecording, buffer);
    Manifest manifest;
    manifest.format = kRecording;
    manifest.board = "simulated";
    RecordingWriter writer(folder, manifest);
    RecorderOptions options;
    options.scanLimit = static_cast<std::uint64_t>(seconds * kRecording.rate);
    return Record(*stream, writer, options);
}

TEST(SimulatedRun, EveryScanAndEveryCycleAgreesWithTheTruth) {
    testing::TempDir dir;
    const daq::EngineParameters parameters = SpedUp(60);
    daq::SimulatedBoard board(parameters);
    const double seconds = 120;
    const RecordingEnd end = RecordBoard(board, dir.File("run"), seconds);
    ASSERT_FALSE(end.failed) << end.message;
    const RecordingContents read = ReadRecording(dir.File("run"));
    EXPECT_EQ(read.scans, 120'000u);
    EXPECT_EQ(end.status.lostScans, 0u);

    const auto truth = daq::RunTruthOf(parameters, seconds);
    double revolutions = 0;
    for (const auto& row : truth) revolutions += row.rpm / 60 * daq::kRunStepS;
    // One revolution may be cut at either end.
    EXPECT_NEAR(static_cast<double>(read.cycles.size()), revolutions, 2 + 1e-9);
    for (const CycleRow& cycle : read.cycles) {
        const auto& at = truth[static_cast<std::size_t>(cycle.timeS)];
        const double power = at.workMilliJ * at.rpm / 60;
        EXPECT_NEAR(cycle.rpm, at.rpm, 0.005 * at.rpm) << cycle.timeS;
        EXPECT_NEAR(cycle.indicatedPowerMilliW, power, 0.01 * power) << cycle.timeS;
    }
}

TEST(SimulatedRun, AnOverrunIsAGapOfItsLength) {
    testing::TempDir dir;
    daq::EngineParameters parameters = SpedUp(20);
    parameters.run.overrunAtS = 5;
    parameters.run.overrunS = 0.5;
    daq::SimulatedBoard board(parameters);
    const RecordingEnd end = RecordBoard(board, dir.File("run"), 40);
    ASSERT_FALSE(end.failed) << end.message;
    const RecordingContents read = ReadRecording(dir.File("run"));
    EXPECT_EQ(read.scans, 40'000u);
    // The overrun as the board reports it (catching up after its stall may
    // overrun the buffer once more: that is a gap of its own).
    ASSERT_GE(read.events.size(), 3u);
    EXPECT_EQ(SecondsText(read.events[1].timeS) + " " + read.events[1].text,
              "5.000 gap: 500 scans lost (0.500 s)");
    // Every lost scan is in the file as one, and only those.
    const SampleFile samples(dir.File("run"), kRecording);
    const auto counts = samples.Read(0, read.scans);
    std::uint64_t marked = 0;
    for (std::size_t scan = 0; scan < read.scans; ++scan)
        marked += IsLostScan(std::span(counts).subspan(5 * scan, 5)) ? 1 : 0;
    EXPECT_EQ(marked, end.status.lostScans);
    EXPECT_EQ(end.status.gaps + 2, read.events.size());
}

TEST(SimulatedRun, AnUnpluggedBoardEndsTheRunKeepingWhatCame) {
    testing::TempDir dir;
    daq::SimulatedBoard board(SpedUp(10));
    std::thread unplug([&board] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        daq::EngineParameters out = board.Parameters();
        out.faults.unplugged = true;
        board.SetParameters(out);
    });
    const RecordingEnd end = RecordBoard(board, dir.File("run"), 600);
    unplug.join();
    EXPECT_TRUE(end.failed);
    const RecordingContents read = ReadRecording(dir.File("run"));
    EXPECT_GE(read.scans, 1000u);
    EXPECT_LT(read.scans, 600'000u);
    ASSERT_GE(read.events.size(), 3u);
    EXPECT_EQ(read.events[read.events.size() - 2].text, "failed: " + end.message);
    EXPECT_GE(read.cycles.size(), 8u);
}

}  // namespace
}  // namespace corvane::recording
