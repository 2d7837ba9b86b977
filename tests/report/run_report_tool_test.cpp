// corvane-report RUN_FOLDER end to end: the report of a recording, beside the
// folder or into -o, read back with pdftotext; the averaged loops of the
// stretches chosen in the folder; a recording that cannot be read and a
// capture without -o.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine_trace.h"
#include "recording/chosen_stretches.h"
#include "recording/manifest.h"
#include "recording/recorder.h"
#include "recording/recording_texts.h"
#include "recording/recording_writer.h"
#include "temp_dir.h"

namespace corvane::report {
namespace {

using testing::RunIn;
using testing::ToolRun;

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

ToolRun Report(const testing::TempDir& dir, const std::string& arguments) {
    return RunIn(dir, "env -u DISPLAY -u WAYLAND_DISPLAY " + Quoted(CORVANE_REPORT_TOOL),
                 arguments);
}

std::string PdfText(const testing::TempDir& dir, const std::string& pdf) {
    const ToolRun run = RunIn(dir, Quoted(PDFTOTEXT), "-layout " + Quoted(pdf) + " text.txt");
    EXPECT_EQ(run.status, 0) << run.err;
    return testing::ReadText(dir.File("text.txt"));
}

// Three minutes at 500 rpm: steady from 60 s to the end, heater 4 W, a mark.
void WriteRecording(const testing::TempDir& dir, const std::string& name) {
    std::filesystem::create_directories(dir.File(name));
    const auto file = [&](const char* f) { return dir.File(name + "/" + f); };
    recording::Manifest manifest;
    manifest.startUtc = "2026-12-08T19:30:00.000Z";
    manifest.board = "simulated";
    manifest.simulated = true;
    testing::WriteText(file(recording::kManifestFile), recording::ManifestText(manifest));
    testing::WriteText(file(recording::kSamplesFile), std::string(180000 * 5 * 2, '\0'));
    std::string cycles(recording::kCyclesHeader);
    for (int i = 0; i < 1500; ++i) {
        recording::CycleRow c{i * 0.12, 500.0 + (i % 2 ? 1 : -1), 30.0, 250.0 + (i % 2 ? 2 : -2),
                              295.0, 360.0, 4.0, i >= 500};
        cycles += recording::CycleLine(c);
    }
    testing::WriteText(file(recording::kCyclesFile), cycles);
    testing::WriteText(file(recording::kEventsFile),
                       std::string(recording::kEventsHeader) + "0.000,start\n90.000,load 2\n" +
                           "180.000,stop\n");
}

TEST(RunReportTool, AReportOfTheWholeRunBesideTheFolderOrIntoOutput) {
    const testing::TempDir dir;
    WriteRecording(dir, "run-1");
    const ToolRun beside = Report(dir, "run-1/");
    ASSERT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(beside.err, "");
    const std::string text = PdfText(dir, "run-1.pdf");
    for (const char* said : {"Recording run-1", "SIMULATED engine", "0:03:00 (180.0 s)",
                             "closed with Stop", "Steady from", "0:01:00", "load 2",
                             "Operating points", "500.0 \u00b1 1.0", "250.00 \u00b1 2.00",
                             "Power curve of the operating points", "page 2 of"})
        EXPECT_NE(text.find(said), std::string::npos) << said << "\n" << text;
    // The recording itself is left as the recorder wrote it.
    EXPECT_FALSE(std::filesystem::exists(dir.File("run-1/run-1.pdf")));

    const ToolRun into = Report(dir, "-o reports run-1");
    ASSERT_EQ(into.status, 0) << into.err;
    EXPECT_NE(PdfText(dir, "reports/run-1.pdf").find("Recording run-1"), std::string::npos);
}

// Eight seconds of the simulated engine's scans, its cycles evaluated as they came.
void RecordEngine(const testing::TempDir& dir, const std::string& name) {
    const daq::StreamFormat format{0, 4, 1000};
    const daq::EngineModel engine{daq::EngineParameters{}};
    testing::ScriptedStream stream(
        format, testing::ChunksOf(testing::EngineScans(engine, 1000, 0, 8000), 5, 0, 250));
    recording::RecordingWriter writer(
        dir.File(name),
        recording::Manifest{"2026-12-08T19:30:00.000Z", format, "simulated", true, "test", {}, 0});
    recording::Record(stream, writer, {});
}

TEST(RunReportTool, TheAveragedLoopOfEachOperatingPointFromTheSamples) {
    const testing::TempDir dir;
    RecordEngine(dir, "run-2");
    // Two stretches chosen in the Recorder window, kept in the folder.
    recording::WriteChosenStretches(dir.File("run-2"), {{1.0, 3.5}, {4.5, 7.9}});
    const ToolRun run = Report(dir, "run-2");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = PdfText(dir, "run-2.pdf");
    for (const char* said :
         {"Averaged loop of each operating point", "Point 1 (chosen): 500", "Point 2 (chosen): 500",
          "averaged over", "cycles in 2 s", "cycles in 3 s", "Volume (cu mm)",
          "Pressure from the mean (kPa)"})
        EXPECT_NE(text.find(said), std::string::npos) << said << "\n" << text;

    // Without samples that turn, a point has no loop and the report says none.
    WriteRecording(dir, "still");
    recording::WriteChosenStretches(dir.File("still"), {{10, 20}});
    ASSERT_EQ(Report(dir, "still").status, 0);
    EXPECT_EQ(PdfText(dir, "still.pdf").find("Averaged loop"), std::string::npos);
}

TEST(RunReportTool, FailuresAndUsage) {
    const testing::TempDir dir;
    WriteRecording(dir, "good");
    WriteRecording(dir, "broken");
    testing::WriteText(dir.File("broken/cycles.csv"), "not the header\n");
    const ToolRun run = Report(dir, "broken good");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("broken/cycles.csv: line 1 is not the header"), std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("broken.pdf")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("good.pdf")));  // the others are still written

    WriteRecording(dir, "edited");
    testing::WriteText(dir.File("edited/chosen_stretches.csv"), "start_s,end_s\n60,30\n");
    const ToolRun edited = Report(dir, "edited");
    EXPECT_EQ(edited.status, 1);
    EXPECT_NE(edited.err.find("edited/chosen_stretches.csv: line 2 is not a stretch"),
              std::string::npos)
        << edited.err;

    testing::WriteText(dir.File("grab.CSV"), "");
    const ToolRun capture = Report(dir, "good grab.CSV");  // a capture's report needs -o
    EXPECT_EQ(capture.status, 2);
    EXPECT_NE(capture.err.find("--output is required for capture files"), std::string::npos);
    EXPECT_NE(capture.err.find("RUN_FOLDER"), std::string::npos);  // the usage names both ways
}

}  // namespace
}  // namespace corvane::report
