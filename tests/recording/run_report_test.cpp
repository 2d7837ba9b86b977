// The report of a recording against figures worked out by hand from a small
// synthetic recording folder: a minute of cycles with a warm-up, two steady
// stretches at two speeds, marks, a gap and the way the run ended.

#include "recording/run_report.h"

#include <gtest/gtest.h>

#include <cmath>

#include "recording/manifest.h"
#include "recording/recording_texts.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

// 60 cycles, cycle i at i seconds: 60 rpm before 30 s, 90 rpm after; power
// i mW; the hot end 300 + i K warming up until 20 s, then 320 K; 290 K cold,
// 4 W heater. Steady 10..24 (the window from 20 s cleared the flag: 20..24
// are left out) and 40..59 (cut off by the end: kept whole).
std::vector<CycleRow> Cycles() {
    std::vector<CycleRow> cycles;
    for (int i = 0; i < 60; ++i) {
        CycleRow c;
        c.timeS = i;
        c.rpm = i < 30 ? 60 : 90;
        c.indicatedPowerMilliW = i;
        c.workMilliJ = i * 60.0 / c.rpm;
        c.loTempK = 290;
        c.hiTempK = i < 20 ? 300.0 + i : 320.0;
        c.heaterPowerW = 4;
        c.steady = (i >= 10 && i < 25) || i >= 40;
        cycles.push_back(c);
    }
    return cycles;
}

std::string Folder(const testing::TempDir& dir, const std::vector<Event>& events,
                   const std::vector<CycleRow>& rows = Cycles()) {
    Manifest manifest;
    manifest.startUtc = "2026-12-08T19:30:00.250Z";
    manifest.board = "simulated";
    manifest.simulated = true;
    manifest.program = "Corvane Data Logger 1.0";
    manifest.disks = {{"100", "100", ""}, {"", "", ""}, {"50", "", ""}};
    testing::WriteText(dir.File(kManifestFile), ManifestText(manifest));
    // 61.5 s of scans, five channels of two bytes.
    testing::WriteText(dir.File(kSamplesFile), std::string(61500 * 5 * 2, '\0'));
    std::string cycles(kCyclesHeader);
    for (const CycleRow& c : rows) cycles += CycleLine(c);
    testing::WriteText(dir.File(kCyclesFile), cycles);
    std::string lines(kEventsHeader);
    for (const Event& e : events) lines += EventLine(e);
    testing::WriteText(dir.File(kEventsFile), lines);
    return dir.path().string();
}

const std::vector<Event> kEvents = {{0, "start"},
                                    {12.5, "heater up"},
                                    {30, "gap: 1500 scans lost (1.500 s)"},
                                    {35, "load, 2 mNm"},
                                    {61.5, "stop"}};

std::string Fact(const RunReport& report, const std::string& label) {
    for (const auto& line : report.facts)
        if (line.label == label) return line.value;
    for (const auto& line : report.warmUp)
        if (line.label == label) return line.value;
    return "(none)";
}

TEST(RunReport, FactsMarksAndGapsOfTheRun) {
    const testing::TempDir dir;
    const RunReport r = MakeRunReport(ReadRecording(Folder(dir, kEvents)), "run-1", {10, 1, 1, 1});
    EXPECT_EQ(r.title, "run-1");
    EXPECT_TRUE(r.simulated);
    EXPECT_NEAR(r.lengthMinutes, 61.5 / 60, 1e-12);
    EXPECT_EQ(Fact(r, "Start (UTC)"), "2026-12-08T19:30:00.250Z");
    EXPECT_EQ(Fact(r, "Length"), "0:01:01 (61.5 s)");
    EXPECT_EQ(Fact(r, "Board"), "simulated (SIMULATED engine)");
    EXPECT_EQ(Fact(r, "Scans"), "61500 at 1000 scans/s, channels 0\u20134");
    EXPECT_EQ(Fact(r, "Cycles"), "60");
    EXPECT_EQ(Fact(r, "Gaps"), "1 (1500 scans, 1.500 s lost)");
    EXPECT_EQ(Fact(r, "Ended"), "closed with Stop");
    ASSERT_EQ(r.marks.size(), 2u);
    EXPECT_EQ(r.marks[0].text, "heater up");
    EXPECT_DOUBLE_EQ(r.marks[0].timeS, 12.5);
    EXPECT_EQ(r.marks[1].text, "load, 2 mNm");
    ASSERT_EQ(r.gaps.size(), 1u);
    EXPECT_DOUBLE_EQ(r.gaps[0].timeS, 30);
    // The warm-up: steady from cycle 10, and what changed until then.
    EXPECT_EQ(Fact(r, "Steady from"), "0:00:10 (0.17 min)");
    EXPECT_EQ(Fact(r, "High temperature"), "300.0 K \u2192 310.0 K");
    EXPECT_EQ(Fact(r, "Indicated power"), "0.00 mW \u2192 10.00 mW");
    EXPECT_EQ(Fact(r, "Speed"), "60.0 rpm \u2192 60.0 rpm");
    // The criteria in force, and the disk table stored with the recording.
    std::vector<std::string> settings;
    for (const auto& line : r.settings) settings.push_back(line.label + ": " + line.value);
    EXPECT_EQ(settings, (std::vector<std::string>{
                            "Steady when: 3 windows of 10 s in a row drift less than",
                            "Speed drift: 1.00 rpm/min", "High temperature drift: 1.00 K/min",
                            "Power drift: 1.00 %/min of the mean",
                            "Flywheel disks: 100 g, 100 mm; 50 g, \u2014 mm"}));
}

TEST(RunReport, ARunNeverSteadyOrWithoutCyclesSaysSo) {
    std::vector<CycleRow> unsteady = Cycles();
    for (CycleRow& c : unsteady) c.steady = false;
    const testing::TempDir dir;
    const RunReport r = MakeRunReport(ReadRecording(Folder(dir, kEvents, unsteady)), "r", {});
    EXPECT_EQ(Fact(r, "Steady from"), "never steady");
    EXPECT_EQ(Fact(r, "Speed"), "60.0 rpm \u2192 90.0 rpm (to the end)");
    EXPECT_TRUE(r.points.empty());
    EXPECT_TRUE(r.powerCurve.empty());
    const testing::TempDir empty;
    const RunReport none = MakeRunReport(ReadRecording(Folder(empty, kEvents, {})), "r", {});
    EXPECT_EQ(Fact(none, "Warm-up"), "no cycle recorded");
    EXPECT_EQ(Fact(none, "Cycles"), "0");
}

TEST(RunReport, HowTheRunEndedIsSaid) {
    const struct {
        std::vector<Event> events;
        std::string ended;
    } cases[] = {
        {{{0, "start"}}, "cut short: no stop in events.csv (read up to its last whole line)"},
        {{{0, "start"}, {9, "failed: the board is gone"}, {9, "stop"}}, "failed: the board is gone"},
        {{{0, "start"}, {9, "stop"}}, "closed with Stop"},
        {{{0, "start"}, {9, "failed: the board is gone"}}, "failed: the board is gone"},
        {{{0, "start"}, {9, "stopped: Disk full"}}, "stopped: Disk full"},
    };
    for (const auto& c : cases) {
        const testing::TempDir dir;
        const RunReport r = MakeRunReport(ReadRecording(Folder(dir, c.events)), "r", {});
        EXPECT_EQ(Fact(r, "Ended"), c.ended);
        EXPECT_TRUE(r.marks.empty());
        EXPECT_EQ(Fact(r, "Gaps"), "0");
    }
}

TEST(RunReport, OperatingPointsAndThePowerCurveOfSteadyAndChosenStretches) {
    const testing::TempDir dir;
    // The user chose cycles 30..34; a stretch beyond the cycles is no point.
    const RunReport r = MakeRunReport(ReadRecording(Folder(dir, kEvents)), "r", {10, 1, 1, 1},
                                      {{30, 5}, {100, 5}});
    ASSERT_EQ(r.points.size(), 3u);
    // Cycles 10..19: power 10..19 mW, sd of ten consecutive numbers sqrt(110/12).
    EXPECT_FALSE(r.points[0].chosen);
    EXPECT_EQ(r.points[0].cycles, 10u);
    EXPECT_DOUBLE_EQ(r.points[0].startS, 10);
    EXPECT_NEAR(r.points[0].lengthS, 10, 1e-12);
    // In time order: the chosen cycles 30..34 (power 30..34, sd sqrt(2.5)) come between.
    EXPECT_TRUE(r.points[1].chosen);
    EXPECT_EQ(r.points[1].cycles, 5u);
    // Cycles 40..59 at 90 rpm: power 40..59 mW, sd sqrt(35); the last cycle ends 2/3 s after 59.
    EXPECT_EQ(r.points[2].cycles, 20u);
    EXPECT_NEAR(r.points[2].lengthS, 19 + 2.0 / 3, 1e-12);
    ASSERT_EQ(r.powerCurve.size(), 3u);
    EXPECT_NEAR(r.powerCurve[0].rpm, 60, 1e-12);
    EXPECT_NEAR(r.powerCurve[0].powerMilliW, 14.5, 1e-12);
    EXPECT_NEAR(r.powerCurve[0].powerSdMilliW, std::sqrt(110.0 / 12), 1e-12);
    EXPECT_NEAR(r.powerCurve[1].powerMilliW, 32, 1e-12);
    EXPECT_NEAR(r.powerCurve[1].powerSdMilliW, std::sqrt(2.5), 1e-12);
    EXPECT_NEAR(r.powerCurve[2].rpm, 90, 1e-12);
    EXPECT_NEAR(r.powerCurve[2].powerMilliW, 49.5, 1e-12);
    EXPECT_NEAR(r.powerCurve[2].powerSdMilliW, std::sqrt(35.0), 1e-12);
    // Only the steady stretches are shaded.
    ASSERT_EQ(r.steadyMinutes.size(), 2u);
    EXPECT_NEAR(r.steadyMinutes[0].first, 10.0 / 60, 1e-12);
    EXPECT_NEAR(r.steadyMinutes[0].second, 20.0 / 60, 1e-12);
    EXPECT_NEAR(r.steadyMinutes[1].second, (59 + 2.0 / 3) / 60, 1e-12);
}

TEST(RunReport, TrendsKeepEveryCycleWithTheRollingMean) {
    const testing::TempDir dir;
    const RunReport r = MakeRunReport(ReadRecording(Folder(dir, kEvents)), "r", {});
    const RunTrends& t = r.trends;
    for (const RunTrend* trend : {&t.rpm, &t.powerMilliW, &t.powerRollingMean, &t.loTempK,
                                  &t.hiTempK, &t.heaterPowerW, &t.indicatedEfficiencyPercent,
                                  &t.carnotPercent})
        EXPECT_EQ(trend->values.size(), 60u);
    ASSERT_EQ(t.indicatedEfficiencyPercent.values.size(), 60u);
    EXPECT_DOUBLE_EQ(t.rpm.minutes[30], 0.5);
    EXPECT_DOUBLE_EQ(t.rpm.values[30], 90);
    // Mean of the cycles so far, then of the last 50: (0..4)/5 = 2, (10..59)/50 = 34.5.
    EXPECT_NEAR(t.powerRollingMean.values[4], 2, 1e-12);
    EXPECT_NEAR(t.powerRollingMean.values[49], 24.5, 1e-12);
    EXPECT_NEAR(t.powerRollingMean.values[59], 34.5, 1e-12);
    // Cycle 10: 10 mW of 4 W is 0.25 %; 1 - 290/310 is 6.4516 %.
    EXPECT_NEAR(t.indicatedEfficiencyPercent.values[10], 0.25, 1e-9);
    EXPECT_NEAR(t.carnotPercent.values[10], 100.0 * 20 / 310, 1e-9);
}

TEST(RunReport, ClockTextOfTimes) {
    const std::pair<double, const char*> cases[] = {
        {0, "0:00:00"}, {59.9, "0:00:59"}, {61.5, "0:01:01"}, {3600, "1:00:00"},
        {7322, "2:02:02"}, {-5, "0:00:00"}, {NAN, "0:00:00"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(ClockText(seconds), text) << seconds;
}

}  // namespace
}  // namespace corvane::recording
