// Export then import gives the capture back, and the same analysis results.

#include <gtest/gtest.h>

#include <memory>

#include "analysis/analyse_capture.h"
#include "files/capture_import.h"
#include "files/capture_writer.h"
#include "synthetic_capture.h"
#include "temp_dir.h"
#include "text/number_format.h"

namespace corvane::files {
namespace {

using analysis::CaptureRecord;
using analysis::DiskTable;

analysis::AnalysisResult Analyse(CaptureRecord& record, const DiskTable& disks) {
    analysis::AnalysisInputs inputs;
    inputs.disks = disks;
    inputs.format = text::PointComma();
    return analysis::AnalyseCapture(record, inputs);
}

// What the window's preparation does without a board: the default period only.
void PrepareWithoutBoard(CaptureKind kind, CaptureRecord& working) {
    working.SamplePeriod = kind == CaptureKind::Dyna ? 0.00125 : 0.001;
}

TEST(RoundTrip, GrabComesBackWithTheSameResults) {
    testing::TempDir dir;
    auto live = testing::MakeGrab({.startRpm = 360, .endRpm = 360, .loTemp = 1234.56}, 1000);
    const DiskTable disks(5);
    const auto liveResult = Analyse(*live, disks);
    ASSERT_EQ(liveResult.status, "") << "the synthetic grab must analyse completely";
    ASSERT_NE(liveResult.table[5][1], "");

    WriteCaptureFile(dir.File("grab.CSV"), *live, disks);
    auto imported = std::make_unique<CaptureRecord>();
    DiskTable importedDisks(5, {"x", "y", "z"});
    ImportCaptureFile(dir.File("grab.CSV"), *imported, importedDisks, PrepareWithoutBoard);

    EXPECT_EQ(imported->SampleCount, 2000);
    EXPECT_TRUE(std::equal(live->RawSamples.begin(), live->RawSamples.begin() + 2000,
                           imported->RawSamples.begin()));
    EXPECT_DOUBLE_EQ(imported->LoTemp, 1234.6) << "one decimal, no grouping comma to split it";
    EXPECT_DOUBLE_EQ(imported->HiTemp, 352.8);
    EXPECT_DOUBLE_EQ(imported->ResistorPower, 3.6);
    EXPECT_EQ(imported->SamplePeriod, 0.001);
    EXPECT_EQ(importedDisks, DiskTable(5, {"x", "y", "z"}));

    const auto importedResult = Analyse(*imported, disks);
    for (int row = 3; row < 8; ++row) {
        EXPECT_EQ(importedResult.table[row][1], liveResult.table[row][1]) << "row " << row;
    }
    EXPECT_EQ(importedResult.table[0][1], "1,234.6 K");
}

TEST(RoundTrip, LiveDynaGivesTheSamePowerAndTorque) {
    testing::TempDir dir;
    auto live = testing::MakeDyna({.startRpm = 200, .endRpm = 400}, 4000);
    const DiskTable disks = {{"250", "100", "0.3125"},
                             {"120", "50", "0.0375"},
                             {"", "", ""},
                             {"", "", ""},
                             {"", "", ""}};
    const auto liveResult = Analyse(*live, disks);
    ASSERT_EQ(liveResult.status, "");
    ASSERT_NE(liveResult.table[6][1], "0 mw");

    WriteCaptureFile(dir.File("dyna.CSV"), *live, disks);
    auto imported = std::make_unique<CaptureRecord>();
    DiskTable importedDisks(5);
    ImportCaptureFile(dir.File("dyna.CSV"), *imported, importedDisks, PrepareWithoutBoard);

    EXPECT_EQ(imported->SampleCount, 4000);
    EXPECT_EQ(imported->SamplePeriod, 0.001) << "taken from the time column";
    EXPECT_TRUE(std::equal(live->RawSamples.begin(), live->RawSamples.begin() + 4000,
                           imported->RawSamples.begin()));
    const DiskTable expectedDisks = {
        {"250", " 100", ""}, {" 120", " 50", ""}, {" ", " ", ""}, {" ", " ", ""}, {" ", " ", ""}};
    EXPECT_EQ(importedDisks, expectedDisks);

    const auto importedResult = Analyse(*imported, importedDisks);
    EXPECT_EQ(importedResult.table[6][1], liveResult.table[6][1]);
    EXPECT_EQ(importedResult.table[7][1], liveResult.table[7][1]);
}

TEST(RoundTrip, ReexportOfAnImportIsIdentical) {
    testing::TempDir dir;
    auto live = testing::MakeDyna({.startRpm = 250, .endRpm = 300}, 300);
    live->SamplePeriod = 0.00125;
    const DiskTable disks = {
        {"250", "100", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}};
    WriteCaptureFile(dir.File("a.CSV"), *live, disks);
    auto imported = std::make_unique<CaptureRecord>();
    DiskTable importedDisks(5);
    ImportCaptureFile(dir.File("a.CSV"), *imported, importedDisks, PrepareWithoutBoard);
    EXPECT_EQ(imported->SamplePeriod, 0.00125);
    // The disk texts gain their leading blank once; the samples and times stay.
    const std::string again = CaptureFileText(*imported, disks);
    EXPECT_EQ(again, testing::ReadText(dir.File("a.CSV")));
}

}  // namespace
}  // namespace corvane::files
