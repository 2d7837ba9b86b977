// The stretches the user chose, kept in the recording folder: they read back
// as written, a folder without the file (an older recording) opens as before,
// a file that is not right is refused naming the file and the line, and the
// report counts a stretch kept in the folder and given again once.

#include "recording/chosen_stretches.h"

#include <gtest/gtest.h>

#include "recording/recording_error.h"
#include "recording/recording_reader.h"
#include "recording/run_report.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

// A recording folder of 20 cycles, cycle i at i seconds, 60 rpm, power i mW.
std::string Folder(const testing::TempDir& dir) {
    Manifest manifest;
    manifest.startUtc = "2026-12-08T19:30:00.250Z";
    testing::WriteText(dir.File(kManifestFile), ManifestText(manifest));
    testing::WriteText(dir.File(kSamplesFile), std::string(20000 * 5 * 2, '\0'));
    std::string cycles(kCyclesHeader);
    for (int i = 0; i < 20; ++i) {
        CycleRow c;
        c.timeS = i;
        c.rpm = 60;
        c.indicatedPowerMilliW = i;
        cycles += CycleLine(c);
    }
    testing::WriteText(dir.File(kCyclesFile), cycles);
    testing::WriteText(dir.File(kEventsFile), std::string(kEventsHeader));
    return dir.path().string();
}

TEST(ChosenStretches, ReadBackAsWrittenAndNoneWithoutTheFile) {
    const testing::TempDir dir;
    const std::string run = Folder(dir);
    EXPECT_TRUE(ReadRecording(run).chosen.empty());  // an older recording
    for (const std::vector<ChosenStretch>& kept :
         {std::vector<ChosenStretch>{{2, 5.5}, {0.001, 1234.567}, {10, 12}},
          std::vector<ChosenStretch>{}}) {
        WriteChosenStretches(run, kept);
        EXPECT_EQ(ReadRecording(run).chosen, kept);
    }
    WriteChosenStretches(run, {ChosenBetween(3.0004, 7.9996)});
    EXPECT_EQ(testing::ReadText(dir.File(kChosenStretchesFile)), "start_s,end_s\n3.000,8.000\n");
    // Its cycles are those that start within it.
    EXPECT_EQ(CyclesOf(ReadRecording(run).cycles, ReadRecording(run).chosen.at(0)),
              (Stretch{3, 5}));
}

TEST(ChosenStretches, TakesAFileEditedByHand) {
    const std::vector<ChosenStretch> expected{{0, 2}, {3.5, 4}};
    for (const char* text : {"start_s,end_s\r\n0,2\r\n3.5,4\r\n", "start_s,end_s\n0,2\n\n3.5,4",
                             "start_s,end_s\n0.000,2\n3.5,4.0\n"})
        EXPECT_EQ(ParseChosenStretches(text, "f.csv"), expected) << text;
}

TEST(ChosenStretches, AFileNotRightIsRefusedNamingFileAndLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const std::string stretch = " is not a stretch (start_s,end_s in seconds, start before end)";
    for (const Case& c : {Case{"", "line 1 is not the header start_s,end_s"},
                          Case{"start,end\n1,2\n", "line 1 is not the header start_s,end_s"},
                          Case{"start_s,end_s\n1,2\nx,3\n", "line 3"},
                          Case{"start_s,end_s\n5,2\n", "line 2"},
                          Case{"start_s,end_s\n2,2\n", "line 2"},
                          Case{"start_s,end_s\n-1,2\n", "line 2"},
                          Case{"start_s,end_s\n1\n", "line 2"},
                          Case{"start_s,end_s\n1,2,3\n", "line 2"},
                          Case{"start_s,end_s\nnan,2\n", "line 2"},
                          Case{"start_s,end_s\n1, 2\n", "line 2"},
                          Case{"start_s,end_s\n\n1,inf\n", "line 3"}}) {
        const testing::TempDir dir;
        const std::string run = Folder(dir);
        testing::WriteText(dir.File(kChosenStretchesFile), c.text);
        std::string expected = dir.File(kChosenStretchesFile) + ": " + c.message;
        if (std::string(c.message).find("header") == std::string::npos) expected += stretch;
        try {
            ReadRecording(run);
            ADD_FAILURE() << c.text << " was taken";
        } catch (const RecordingError& error) {
            EXPECT_EQ(error.what(), expected);
        }
    }
}

TEST(ChosenStretches, TheReportCountsAStretchKeptAndGivenAgainOnce) {
    const testing::TempDir dir;
    const std::string run = Folder(dir);
    WriteChosenStretches(run, {{2, 5}, {10, 12}});
    // Cycles 2..4 again (as the Recorder passes its own), and cycle 15 given only here.
    const RunReport r = MakeRunReport(ReadRecording(run), "r", {}, {{2, 3}, {15, 1}});
    ASSERT_EQ(r.points.size(), 3u);
    EXPECT_EQ(r.points[0].cycles, 3u);
    EXPECT_DOUBLE_EQ(r.points[0].startS, 2);
    EXPECT_EQ(r.points[1].cycles, 2u);
    EXPECT_DOUBLE_EQ(r.points[1].startS, 10);
    EXPECT_EQ(r.points[2].cycles, 1u);
    EXPECT_DOUBLE_EQ(r.points[2].startS, 15);
    for (const OperatingPoint& p : r.points) EXPECT_TRUE(p.chosen);
}

}  // namespace
}  // namespace corvane::recording
