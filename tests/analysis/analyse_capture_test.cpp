#include "analysis/analyse_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <set>
#include <string>

#include "analysis/crank_cycle.h"
#include "analysis/flywheel_holes.h"
#include "analysis/results_table.h"
#include "analysis/synthetic_engine.h"
#include "text/format.h"

namespace corvane::analysis {
namespace {

using testing::AcceleratingDyna;
using testing::SteadyGrab;

AnalysisInputs Inputs(int* eventRuns = nullptr) {
    AnalysisInputs inputs;
    inputs.disks = {{"200", "100", ""}, {"", "", ""}};
    inputs.format = text::PointComma();
    if (eventRuns) inputs.processEvents = [eventRuns] { ++*eventRuns; };
    return inputs;
}

std::size_t IndexOf(const std::vector<std::string>& log, const std::string& line) {
    return static_cast<std::size_t>(std::find(log.begin(), log.end(), line) - log.begin());
}

TEST(EngineMonitorTexts, TemperaturesLabel) {
    EXPECT_EQ(TemperaturesLabel(295.25, 1234.56, text::PointComma()), "295.3 K - 1,234.6 K");
    EXPECT_EQ(TemperaturesLabel(-0.04, 370.0, text::NumberFormat{",", "."}), "0,0 K - 370,0 K");
}

TEST(CylinderVolume, WorkedFigures) {
    EXPECT_EQ(VolumeAmplitude(), 1836.6477146187074);
    EXPECT_NEAR(CylinderVolumeAt(0), 71428.18716, 5e-6);
    EXPECT_NEAR(CylinderVolumeAt(90), 69591.53944, 5e-6);
    EXPECT_NEAR(CylinderVolumeAt(180), 67754.89173, 5e-6);
    EXPECT_EQ(CylinderVolumeAt(360), CylinderVolumeAt(0));
    for (double angle = -720; angle <= 720; angle += 0.37) {
        EXPECT_NEAR(CylinderVolumeDouble(angle), CylinderVolumeAt(angle), 1e-10) << angle;
    }
}

TEST(CrankAngles, InterpolatedBetweenHoleCentresToTheNearestDouble) {
    // Hole centres 7 samples apart: sample 109 lies 2 samples past the hole at
    // 22.5 degrees, 22.5 + 45 / 7 = 28.92857142857142857..., whose nearest
    // double is 28.928571428571427 (dividing and adding in doubles gives ...431).
    auto record = std::make_unique<CaptureRecord>();
    record->FlyHoles.assign(18, FlyHole{});
    for (int h = 1; h <= 17; ++h) record->FlyHoles[static_cast<std::size_t>(h)].Mid = 93 + 7 * h;
    record->FlyHoleCount = 17;
    AnalysisRun run;
    run.FirstWide = 1;
    run.SecondWide = 17;
    run.CycleStart = 100;
    run.CycleEnd = 212;
    run.CyclePeriod = 0.112;
    std::vector<std::string> log;
    AssignCrankAngles(*record, run, &log);
    EXPECT_EQ(record->Angle[107], 22.5);
    EXPECT_EQ(record->Angle[109], 28.928571428571427);
    EXPECT_EQ(record->Angle[212], 360);
    EXPECT_EQ(record->FlyHoles[17].HoleAngle, 360);
    ASSERT_EQ(log.size(), 114u);
    EXPECT_EQ(log[0], "Angles: ");
    EXPECT_EQ(log[1 + 9], "29");
    EXPECT_EQ(run.Rpm, 60 / 0.112);
}

TEST(AnalyseCapture, SteadyGrabGivesSpeedAnglesAndIndicatedPower) {
    auto record = SteadyGrab(500);
    record->LoTemp = 295.25;
    record->HiTemp = 1234.56;
    record->ResistorPower = 0.0005;
    int events = 0;
    const AnalysisResult r = AnalyseCapture(*record, Inputs(&events));

    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.status, "");
    EXPECT_EQ(events, 1);
    const std::array<std::array<std::string, 2>, 3> monitor{
        {{"Lo Tmp", "295.3 K"}, {"Hi Tmp", "1,234.6 K"}, {"Res Pwr", "0 W"}}};
    EXPECT_TRUE(std::equal(monitor.begin(), monitor.end(), r.table.begin()));
    EXPECT_EQ(r.table[3][0], "Press");
    EXPECT_EQ(r.table[4][0], "RPM");
    EXPECT_EQ(r.table[5][0], "Ind Pwr");
    EXPECT_EQ(r.table[6], (std::array<std::string, 2>{"Power", ""}));
    EXPECT_EQ(r.table[7], (std::array<std::string, 2>{"Torque", ""}));

    EXPECT_EQ(r.series1.size(), 1000u);
    EXPECT_EQ(r.series2.size(), 1000u);
    EXPECT_EQ(r.series2.back().x, 999);
    EXPECT_EQ(r.series5.back(), (Point{999, 0}));

    // One revolution is 120 samples; hole centres are quantised to a sample.
    EXPECT_NEAR(r.rpm, 500, 10);
    EXPECT_EQ(r.table[4][1], text::FormatOneDecimal(r.rpm, text::PointComma()));
    EXPECT_EQ(r.rpmPoints.size(), 7u);  // 8 wide holes in one second

    // The angle lines run from the first wide hole (0) to the second (360).
    const std::size_t angles = IndexOf(r.log, "Angles: ");
    ASSERT_LT(angles, r.log.size());
    const std::size_t samples = r.log.size() - angles - 1;
    EXPECT_EQ(r.series3.size(), samples - 1);
    EXPECT_EQ(r.log[angles + 1], "0");
    EXPECT_EQ(r.log.back(), "360");
    EXPECT_EQ(r.series3.front().x, CylinderVolumeAt(0));

    // The picture's count agrees with the exact area of the drawn polygon, less
    // its outline; and the loop is close to the ellipse of the synthetic engine:
    // pi * volume amplitude * pressure amplitude (2 kPa) * sin(phase between them).
    double shoelace = 0;
    for (std::size_t i = 0; i < r.series3.size(); ++i) {
        const Point& a = r.series3[i];
        const Point& b = r.series3[(i + 1) % r.series3.size()];
        shoelace += a.x * b.y - b.x * a.y;
    }
    const double polygon = std::fabs(shoelace) / 2 * r.rpm / 60;
    EXPECT_NEAR(r.indicatedPowerMicroW, polygon, polygon * 0.015);
    const double ellipse = std::numbers::pi * VolumeAmplitude() * 2 * std::cos(0.6) * 500 / 60;
    EXPECT_NEAR(r.indicatedPowerMicroW, ellipse, ellipse * 0.1);
    EXPECT_EQ(r.table[5][1],
              text::FormatOneDecimal(r.indicatedPowerMicroW / 1000, text::PointComma()) + " mW");
    ASSERT_TRUE(r.pvPicture);
    EXPECT_FALSE(r.pvPicture->at(499, 0));
    EXPECT_GT(r.whiteCount, 10000);
    EXPECT_FALSE(r.powerTorqueComputed);
}

TEST(AnalyseCapture, ConstantPressureGivesNoIndicatedPower) {
    auto record = SteadyGrab(500);
    for (int i = 0; i < record->SampleCount; i += 2) record->RawSamples[i] = 2100;
    const AnalysisResult r = AnalyseCapture(*record, Inputs());
    EXPECT_EQ(r.status, "");
    EXPECT_EQ(r.table[3][1], "0 kPa");
    EXPECT_EQ(r.table[5][1], "0.0 mW");
    ASSERT_TRUE(r.pvPicture);
    EXPECT_EQ(std::count(r.pvPicture->white.begin(), r.pvPicture->white.end(), 1), 500 * 500);
}

TEST(AnalyseCapture, PressureSwingOfWholeCountsKeepsItsExactTie) {
    // 256 counts are 1.25 V, exactly 3.125 kPa: the swing is a true tie and
    // shows 3.13 whatever the mean of the capture is.
    auto record = SteadyGrab(500);
    for (int i = 0; i < record->SampleCount; i += 2) record->RawSamples[i] = 1800;
    record->RawSamples[0] = 1800 + 256;
    const AnalysisResult r = AnalyseCapture(*record, Inputs());
    EXPECT_EQ(r.table[3][1], "3.13 kPa");
    EXPECT_EQ(r.series1[0] - r.series1[1], 3.125);
}

TEST(AnalyseCapture, AcceleratingDynaGivesTorqueOfTheFlywheel) {
    auto record = AcceleratingDyna(200, 500);
    int events = 0;
    AnalysisInputs inputs = Inputs(&events);
    const AnalysisResult r = AnalyseCapture(*record, inputs);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.status, "");
    EXPECT_EQ(events, 2);  // the monitor rows and the start of the dynamometer
    EXPECT_TRUE(r.series1.empty());
    EXPECT_EQ(r.table[3][1], "0 kPa");
    EXPECT_EQ(r.series2.front().x, 1);
    EXPECT_EQ(r.series2.back().x, 4000);
    EXPECT_FALSE(r.pvPicture);
    EXPECT_EQ(r.table[4][1], "");

    // 300 rpm gained in 4 s: alpha = 7.854 rad/s^2, torque = 0.25 g*m^2 * alpha.
    const double torque = 0.00025 * 300.0 / 60 * 2 * std::numbers::pi / 4 * 1000;
    EXPECT_NEAR(r.averageTorque, torque, torque * 0.1);
    EXPECT_GT(r.averagePower, 0);
    EXPECT_FALSE(r.dynaAdvice);
    EXPECT_TRUE(r.powerTorqueComputed);
    EXPECT_EQ(r.table[7][1], text::FormatTorque(r.averageTorque, text::PointComma()) + " mNm");
    EXPECT_TRUE(std::is_sorted(r.rpmPoints.begin(), r.rpmPoints.end(),
                               [](const Point& a, const Point& b) { return a.y < b.y; }));
}

TEST(AnalyseCapture, DynaAtAnotherRateKeepsTrueMilliseconds) {
    auto fast = AcceleratingDyna(200, 500);
    auto slow = AcceleratingDyna(200, 500);
    slow->SamplePeriod = 0.00125;
    const AnalysisResult a = AnalyseCapture(*fast, Inputs());
    const AnalysisResult b = AnalyseCapture(*slow, Inputs());
    ASSERT_EQ(a.rpmPoints.size(), b.rpmPoints.size());
    ASSERT_FALSE(a.rpmPoints.empty());
    for (std::size_t i = 0; i < a.rpmPoints.size(); ++i) {
        EXPECT_DOUBLE_EQ(b.rpmPoints[i].x, a.rpmPoints[i].x * 1.25);
        EXPECT_DOUBLE_EQ(b.rpmPoints[i].y, a.rpmPoints[i].y / 1.25);
    }
    // Slower time base: speed / 1.25 reached in time * 1.25, torque * 0.64.
    EXPECT_NEAR(b.averageTorque, a.averageTorque * 0.64, a.averageTorque * 0.01);
}

TEST(AnalyseCapture, DynaTraceLiesOnWholeMilliseconds) {
    // Sample k at k x period x 1000 ms: 9 x 0.001 x 1000 is 9, not 9.000000000000002.
    for (const double period : {0.001, 0.00125}) {
        auto record = AcceleratingDyna(200, 500);
        record->SamplePeriod = period;
        const AnalysisResult r = AnalyseCapture(*record, Inputs());
        ASSERT_EQ(r.series2.size(), 4000u);
        for (std::size_t i = 0; i < r.series2.size(); ++i) {
            ASSERT_EQ(r.series2[i].x, static_cast<double>(i + 1) * (period == 0.001 ? 1 : 1.25))
                << period << " " << i;
        }
    }
}

TEST(AnalyseCapture, SpeedOfTheFirstRevolutionIsTheCycleRpm) {
    // 360 / p degrees per second times 60 / 360 is 60 / p: the first speed
    // point and the RPM of the analysed cycle are the same revolution.
    for (const double rpm : {430.0, 470.0, 500.0, 530.0, 560.0, 610.0}) {
        auto record = SteadyGrab(rpm);
        const AnalysisResult r = AnalyseCapture(*record, Inputs());
        ASSERT_EQ(r.status, "") << rpm;
        ASSERT_FALSE(r.rpmPoints.empty()) << rpm;
        EXPECT_EQ(r.rpmPoints.front().y, r.rpm) << rpm;
    }
}

TEST(AnalyseCapture, SpeedPointsAccumulateAcrossRuns) {
    auto record = SteadyGrab(500);
    AnalysisInputs inputs = Inputs();
    inputs.rpmPoints = {{-5, 1}, {-4, 2}};
    const AnalysisResult r = AnalyseCapture(*record, inputs);
    ASSERT_EQ(r.rpmPoints.size(), 9u);
    EXPECT_EQ(r.rpmPoints[1], (Point{-4, 2}));
}

TEST(AnalyseCapture, SpeedPointsStayInTimeOrder) {
    // A second grab's points interleave with the first's.
    auto first = SteadyGrab(500);
    const AnalysisResult a = AnalyseCapture(*first, Inputs());
    auto second = SteadyGrab(450);
    AnalysisInputs inputs = Inputs();
    inputs.rpmPoints = a.rpmPoints;
    const AnalysisResult b = AnalyseCapture(*second, inputs);
    ASSERT_GT(b.rpmPoints.size(), a.rpmPoints.size());
    EXPECT_TRUE(std::is_sorted(b.rpmPoints.begin(), b.rpmPoints.end(),
                               [](const Point& p, const Point& q) { return p.x < q.x; }));

    // Rerunning a dyna on its own speed points pairs every point with its twin,
    // so every other interval has no duration and gives zero power and torque.
    auto dyna = AcceleratingDyna(200, 500);
    const AnalysisResult once = AnalyseCapture(*dyna, Inputs());
    inputs = Inputs();
    inputs.rpmPoints = once.rpmPoints;
    const AnalysisResult twice = AnalyseCapture(*dyna, inputs);
    ASSERT_EQ(twice.rpmPoints.size(), 2 * once.rpmPoints.size());
    for (std::size_t i = 0; i < once.rpmPoints.size(); ++i) {
        EXPECT_EQ(twice.rpmPoints[2 * i], once.rpmPoints[i]);
        EXPECT_EQ(twice.rpmPoints[2 * i + 1], once.rpmPoints[i]);
    }
    ASSERT_FALSE(twice.powerSeries.empty());
    EXPECT_EQ(twice.powerSeries[0].y, 0.0);
    EXPECT_EQ(twice.torqueSeries[0].y, 0.0);
}

// The graph of a long run of grabs: each analysis merges its own points in
// once, exactly where inserting them one at a time after every point of the
// same time or earlier put them, whatever their times.
TEST(SpeedPoints, MergedOnceWhereOneAtATimeInsertionPutThem) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> time(0, 12);  // few times: many ties
    for (int trial = 0; trial < 500; ++trial) {
        std::vector<Point> graph, added;
        for (int i = trial % 9; i > 0; --i) graph.push_back({double(time(random)), double(i)});
        for (int i = trial % 5; i > 0; --i) added.push_back({double(time(random)), 100.0 + i});
        const auto byTime = [](const Point& a, const Point& b) { return a.x < b.x; };
        std::stable_sort(graph.begin(), graph.end(), byTime);
        std::stable_sort(added.begin(), added.end(), byTime);
        std::vector<Point> oneAtATime = graph;
        for (const Point& p : added) {
            oneAtATime.insert(std::upper_bound(oneAtATime.begin(), oneAtATime.end(), p, byTime), p);
        }
        MergeSpeedPoints(graph, added);
        ASSERT_EQ(graph, oneAtATime) << "trial " << trial;
    }
}

// Headless runs build no text-window lines; every other result is the same,
// and so is the log of a run that builds it, whichever way the speed graph's
// points are handed over.
TEST(AnalyseCapture, WithoutTheLogEverythingElseIsTheSame) {
    auto missed = SteadyGrab(500);
    for (int k = 300; k < 310; ++k) missed->RawSamples[static_cast<std::size_t>(2 * k - 1)] = 4000;
    auto shortGrab = SteadyGrab(500);
    shortGrab->SampleCount = 2 * 110;
    std::unique_ptr<CaptureRecord> captures[] = {SteadyGrab(500), AcceleratingDyna(200, 500),
                                                 std::move(missed), std::move(shortGrab)};
    for (auto& capture : captures) {
        AnalysisInputs inputs = Inputs();
        inputs.rpmPoints = {{-5, 1}, {40, 2}};
        const AnalysisResult full = AnalyseCapture(*capture, inputs);
        inputs.buildLog = false;
        const AnalysisResult quiet = AnalyseCapture(*capture, inputs);
        inputs.buildLog = true;
        const AnalysisResult moved = AnalyseCapture(*capture, std::move(inputs));
        ASSERT_GT(full.log.size(), 2u);
        EXPECT_TRUE(quiet.log.empty());
        EXPECT_EQ(moved.log, full.log);
        for (const AnalysisResult* other : {&quiet, &moved}) {
            EXPECT_EQ(other->status, full.status);
            EXPECT_EQ(other->table, full.table);
            EXPECT_EQ(other->series1, full.series1);
            EXPECT_EQ(other->series2, full.series2);
            EXPECT_EQ(other->series3, full.series3);
            EXPECT_EQ(other->series4, full.series4);
            EXPECT_EQ(other->series5, full.series5);
            EXPECT_EQ(other->rpmPoints, full.rpmPoints);
            EXPECT_EQ(other->powerSeries, full.powerSeries);
            EXPECT_EQ(other->smoothedTorqueSeries, full.smoothedTorqueSeries);
            EXPECT_EQ(other->whiteCount, full.whiteCount);
        }
    }
}

TEST(AnalyseCapture, StopsEarlyWithAStatus) {
    // A missed hole: one narrow hole of the second revolution filled in.
    auto missed = SteadyGrab(500);
    {
        const AnalysisResult clean = AnalyseCapture(*missed, Inputs());
        const FlyHole hole = missed->FlyHoles[20];
        for (int k = hole.Down; k < hole.Up; ++k) {
            missed->RawSamples[static_cast<std::size_t>(2 * k - 1)] = VoltsToCount(4.0);
        }
        ASSERT_EQ(clean.status, "");
    }
    const AnalysisResult bad = AnalyseCapture(*missed, Inputs());
    EXPECT_EQ(bad.status, "Bad red spikes");
    EXPECT_LT(IndexOf(bad.log, "Time = 2, Wide #: 8, Small #: 0"), bad.log.size());
    EXPECT_EQ(IndexOf(bad.log, "Angles: "), bad.log.size());
    EXPECT_EQ(bad.table[4][1], "");
    EXPECT_FALSE(bad.table[3][1].empty());

    // Under 17 holes: no search window, no wide hole.
    auto shortGrab = SteadyGrab(500);
    shortGrab->SampleCount = 2 * 110;
    const AnalysisResult one = AnalyseCapture(*shortGrab, Inputs());
    EXPECT_EQ(one.status, "Only one cycle");
    EXPECT_EQ(one.series5, (std::vector<Point>{{0, 0}, {109, 0}}));
    EXPECT_EQ(one.log[1 + static_cast<std::size_t>(shortGrab->FlyHoleCount)], " ");
    EXPECT_EQ(one.log.size(), 2u + static_cast<std::size_t>(shortGrab->FlyHoleCount));

    // A zero time base gives a cycle of no duration.
    auto still = SteadyGrab(500);
    still->SamplePeriod = 0;
    EXPECT_EQ(AnalyseCapture(*still, Inputs()).status, "Bad RPM");
}

TEST(AnalyseCapture, EmptyCaptureStopsAfterTheMonitorRows) {
    CaptureRecord record;
    record.LoTemp = 300;
    int events = 0;
    const AnalysisResult r = AnalyseCapture(record, Inputs(&events));
    EXPECT_EQ(r.status, "No samples");
    EXPECT_FALSE(r.error);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(r.table[0][1], "300.0 K");
    EXPECT_EQ(r.table[3], (std::array<std::string, 2>{"Pressure", ""}));
    EXPECT_TRUE(r.log.empty());
}

TEST(AnalyseCapture, BeyondTheCaptureLimitsEndsWithARangeError) {
    auto dyna = AcceleratingDyna(200, 500);
    dyna->SampleCount = 4001;
    const AnalysisResult r = AnalyseCapture(*dyna, Inputs());
    EXPECT_EQ(r.error, "Range check error");
    EXPECT_EQ(r.series2.size(), 4001u);  // the point is added before the trace overflows
    EXPECT_EQ(r.table[2][0], "Res Pwr");
    EXPECT_EQ(r.table[3][1], "");

    auto grab = SteadyGrab(500);
    grab->SampleCount = 4098;
    EXPECT_EQ(AnalyseCapture(*grab, Inputs()).error, "Range check error");
    grab->SampleCount = -1;
    EXPECT_EQ(AnalyseCapture(*grab, Inputs()).error, "Range check error");
}

TEST(AnalyseCapture, RandomCapturesWithinTheLimitsEndNormally) {
    // Random hole patterns (often more than a thousand holes) and random
    // pressure: no range error, no crash, a known status.
    const std::set<std::string> statuses{"", "Only one cycle", "Bad red spikes"};
    std::mt19937 random(7);
    for (int run = 0; run < 40; ++run) {
        const bool dyna = run % 2 == 1;
        auto record = std::make_unique<CaptureRecord>();
        record->IsDyna = dyna;
        record->SamplePeriod = run % 4 < 2 ? 0.001 : 0.00125;
        record->SampleCount = std::uniform_int_distribution<int>(1, dyna ? 4000 : 4097)(random);
        std::uniform_int_distribution<int> stretch(1, 9);
        std::uniform_int_distribution<int> count(0, 4095);
        bool low = false;
        int left = stretch(random);
        for (int i = 0; i < record->SampleCount; ++i) {
            const bool tach = dyna || i % 2 == 1;
            if (tach && --left == 0) {
                low = !low;
                left = stretch(random);
            }
            record->RawSamples[static_cast<std::size_t>(i)] =
                static_cast<std::uint16_t>(tach ? (low ? 2100 : 2900) : count(random));
        }
        const AnalysisResult r = AnalyseCapture(*record, Inputs());
        EXPECT_FALSE(r.error) << run;
        EXPECT_TRUE(statuses.count(r.status)) << run << ": " << r.status;
    }

    auto grab = SteadyGrab(500);
    for (int i = 0; i < grab->SampleCount; i += 2) {
        grab->RawSamples[static_cast<std::size_t>(i)] =
            static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 4095)(random));
    }
    const AnalysisResult r = AnalyseCapture(*grab, Inputs());
    EXPECT_EQ(r.status, "");
    EXPECT_GT(r.indicatedPowerMicroW, 0);
}

TEST(AnalyseCapture, OddGrabHasOneMorePressureSample) {
    auto record = SteadyGrab(500);
    record->SampleCount = 1999;
    const AnalysisResult r = AnalyseCapture(*record, Inputs());
    EXPECT_EQ(r.series1.size(), 1000u);
    EXPECT_EQ(r.series2.size(), 999u);
}

}  // namespace
}  // namespace corvane::analysis
