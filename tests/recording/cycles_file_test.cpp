// What the recording folder holds of the judgement and the user's marks:
// each cycle's `steady` flag as the recorder gave it, recordings from before
// the column, and marks with any text.

#include <gtest/gtest.h>

#include "engine_trace.h"
#include "recording/recorder.h"
#include "recording/recording_error.h"
#include "recording/recording_reader.h"
#include "recording/recording_writer.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

constexpr long kRate = 1000;
const daq::StreamFormat kFiveChannels{0, 4, kRate};

Manifest TestManifest() {
    return Manifest{"2026-12-08T19:30:00.000Z", kFiveChannels, "simulated", true, "test",
                    analysis::DiskTable(5), 0};
}

TEST(CyclesFile, EachCycleCarriesTheSteadyFlagTheRecorderJudged) {
    const testing::TempDir dir;
    const daq::EngineModel engine{daq::EngineParameters{}};
    testing::ScriptedStream stream(
        kFiveChannels, testing::ChunksOf(testing::EngineScans(engine, kRate, 0, 8 * kRate), 5, 0, 250));
    RecordingWriter writer(dir.File("run"), TestManifest());
    RecorderOptions options;
    options.steady.windowSeconds = 1.0;  // windows 0..2 whole by 3 s
    std::vector<bool> told;
    options.cycle = [&](const CycleRow& row) { told.push_back(row.steady); };
    ASSERT_FALSE(Record(stream, writer, options).failed);

    const RecordingContents back = ReadRecording(dir.File("run"));
    ASSERT_EQ(back.cycles.size(), told.size());
    ASSERT_GT(back.cycles.size(), 60u);
    for (std::size_t i = 0; i < back.cycles.size(); ++i) {
        const double t = back.cycles[i].timeS;
        EXPECT_EQ(back.cycles[i].steady, told[i]) << t;
        EXPECT_EQ(back.cycles[i].steady, t >= 3.0) << t;
    }
}

TEST(CyclesFile, ARecordingFromBeforeTheSteadyColumnStillOpensAndABadFlagIsNamed) {
    const testing::TempDir dir;
    const std::string run = dir.File("run");
    { RecordingWriter writer(run, TestManifest()); }
    const std::string old = "time_s,rpm,work_mj,indicated_power_mw,lo_temp_k,hi_temp_k,heater_power_w\n"
                            "0.1000,500.000,4.00000,33.3333,295.000,360.000,4.0000\n";
    testing::WriteText(run + "/cycles.csv", old);
    const RecordingContents contents = ReadRecording(run);
    ASSERT_EQ(contents.cycles.size(), 1u);
    EXPECT_FALSE(contents.cycles[0].steady);

    testing::WriteText(run + "/cycles.csv",
                       std::string(kCyclesHeader) +
                           "0.1000,500.000,4.00000,33.3333,295.000,360.000,4.0000,1\n"
                           "0.2200,500.000,4.00000,33.3333,295.000,360.000,4.0000,yes\n");
    try {
        ReadRecording(run);
        ADD_FAILURE() << "a steady flag that is neither 0 nor 1 was read";
    } catch (const RecordingError& error) {
        EXPECT_NE(std::string(error.what()).find("cycles.csv: line 3"), std::string::npos);
    }
}

TEST(CyclesFile, MarksRoundTripThroughEventsCsv) {
    const testing::TempDir dir;
    const std::vector<Event> marks = {{12.5, "heater on"},
                                      {600.25, "load 2, brake \"B\" on"},
                                      {1800.0, "line\nbreak"},
                                      {1801.0, ""}};
    {
        RecordingWriter writer(dir.File("run"), TestManifest());
        for (const Event& mark : marks) writer.AddEvent(mark);
        writer.Sync();
    }
    const RecordingContents back = ReadRecording(dir.File("run"));
    ASSERT_EQ(back.events.size(), marks.size());
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(back.events[i].timeS, marks[i].timeS);
        // A line end would cut events.csv in two: it is kept as a space.
        EXPECT_EQ(back.events[i].text, i == 2 ? "line break" : marks[i].text);
    }
}

}  // namespace
}  // namespace corvane::recording
