#include "analysis/flywheel_holes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace corvane::analysis {
namespace {

struct HoleCase {
    const char* name;
    std::vector<double> tach;  // Tach[1..n]
    std::vector<std::string> lines;
    int holeCount;
};

TEST(DetectHoles, FindsCompletedHolesAndTheirCentres) {
    const HoleCase cases[] = {
        {"two holes", {3, 3, 1, 1, 1, 3, 3, 1, 1, 3}, {"1, 3, 6, 3, 3", "2, 8, 10, 8, 2"}, 2},
        {"starts inside a hole", {1, 1, 3, 3, 1, 3}, {"1, 5, 6, 4, 1"}, 1},
        {"ends inside a hole", {3, 1, 3, 3, 1, 1}, {"1, 2, 3, 1, 1"}, 1},
        {"exactly 2 V is neither side", {3, 2.0, 1, 3, 2.0, 3}, {}, 0},
        {"a single sample", {1}, {}, 0},
    };
    for (const HoleCase& c : cases) {
        auto record = std::make_unique<CaptureRecord>();
        for (std::size_t i = 0; i < c.tach.size(); ++i) record->Tach[i + 1] = c.tach[i];
        std::vector<std::string> log;
        std::vector<Point> marks;
        DetectHoles(*record, static_cast<int>(c.tach.size()), &log, marks);
        EXPECT_EQ(log, c.lines) << c.name;
        EXPECT_EQ(record->FlyHoleCount, c.holeCount) << c.name;
        ASSERT_EQ(marks.size(), c.lines.size()) << c.name;
        for (std::size_t h = 0; h < marks.size(); ++h) {
            EXPECT_EQ(marks[h], (Point{double(record->FlyHoles[h + 1].Mid), 3.0})) << c.name;
        }
    }
}

TEST(DetectHoles, TableGrowsBeyondAThousandHoles) {
    auto record = std::make_unique<CaptureRecord>();
    for (int k = 1; k <= 4000; ++k) record->Tach[k] = (k % 3 == 0) ? 1.0 : 3.0;
    std::vector<std::string> log;
    std::vector<Point> marks;
    DetectHoles(*record, 4000, &log, marks);
    EXPECT_EQ(record->FlyHoleCount, 1333);
    EXPECT_EQ(record->FlyHoles[1333].Down, 3999);
}

// A record whose holes have the given widths, each hole 10 samples after the last.
std::unique_ptr<CaptureRecord> HolesWithWidths(const std::vector<int>& widths) {
    auto record = std::make_unique<CaptureRecord>();
    record->FlyHoles.assign(widths.size() + 1, FlyHole{});
    for (std::size_t i = 0; i < widths.size(); ++i) {
        FlyHole& h = record->FlyHoles[i + 1];
        h.Down = static_cast<int>(10 * i + 2);
        h.Up = h.Down + widths[i];
        h.Width = widths[i];
        h.Mid = widths[i] ? (h.Down + h.Up) / 2 - 1 : 0;
    }
    record->FlyHoleCount = static_cast<int>(widths.size());
    return record;
}

std::vector<int> Widths(int count, std::initializer_list<std::pair<int, int>> wide) {
    std::vector<int> w(static_cast<std::size_t>(count), 2);
    for (const auto& [hole, width] : wide) w[static_cast<std::size_t>(hole - 1)] = width;
    return w;
}

TEST(FindWideHoles, SearchesWindowsOfSeventeenHoles) {
    const struct {
        const char* name;
        std::vector<int> widths;
        std::vector<int> wide;
        std::vector<std::string> lines;
    } cases[] = {
        {"two revolutions",
         Widths(33, {{5, 4}, {21, 4}}),
         {5, 21},
         {"FOR: 1 TO 17", "Wide at: 5 (43)", "FOR: 6 TO 22", "Wide at: 21 (203)"}},
        {"first of equal widths wins",
         Widths(17, {{3, 4}, {7, 4}}),
         {3},
         {"FOR: 1 TO 17", "Wide at: 3 (23)"}},
        {"sixteen holes fit no window", Widths(16, {{3, 4}}), {}, {}},
        {"no hole with a width", std::vector<int>(20, 0), {}, {"FOR: 1 TO 17"}},
    };
    for (const auto& c : cases) {
        auto record = HolesWithWidths(c.widths);
        AnalysisRun run;
        std::vector<std::string> log;
        FindWideHoles(*record, run, &log);
        EXPECT_EQ(std::vector<int>(run.WideHoles.begin() + 1, run.WideHoles.end()), c.wide)
            << c.name;
        EXPECT_EQ(run.WideCount, static_cast<int>(c.wide.size())) << c.name;
        EXPECT_EQ(log, c.lines) << c.name;
    }
}

TEST(FindWideHoles, CycleRunsFromFirstToSecondWideMid) {
    auto record = HolesWithWidths(Widths(50, {{5, 4}, {21, 5}, {37, 4}}));
    AnalysisRun run;
    std::vector<std::string> log;
    FindWideHoles(*record, run, &log);
    EXPECT_EQ(run.WideCount, 3);
    EXPECT_EQ(run.FirstWide, 5);
    EXPECT_EQ(run.SecondWide, 21);
    EXPECT_EQ(run.CycleStart, record->FlyHoles[5].Mid);
    EXPECT_EQ(run.CycleEnd, record->FlyHoles[21].Mid);

    const auto spikes = WideHoleSpikes(*record, run, 999);
    ASSERT_EQ(spikes.size(), 11u);
    EXPECT_EQ(spikes.front(), (Point{0, 0}));
    EXPECT_EQ(spikes[1], (Point{42, 0}));
    EXPECT_EQ(spikes[2], (Point{43, 3}));
    EXPECT_EQ(spikes[3], (Point{44, 0}));
    EXPECT_EQ(spikes.back(), (Point{999, 0}));
}

TEST(WideHoleSpacing, LogsEveryPairNotSixteenApart) {
    AnalysisRun run;
    run.WideHoles = {0, 5, 20, 36, 51};
    run.WideCount = 4;
    std::vector<std::string> log;
    EXPECT_FALSE(WideHoleSpacingOk(run, &log));
    EXPECT_EQ(log, (std::vector<std::string>{"Time = 2, Wide #: 4, Small #: 0",
                                             "Time = 4, Wide #: 4, Small #: 0"}));
    run.WideHoles = {0, 5, 21, 37};
    run.WideCount = 3;
    log.clear();
    EXPECT_TRUE(WideHoleSpacingOk(run, &log));
    EXPECT_TRUE(log.empty());
}

TEST(SpeedPoints, OnePerRevolutionAtTrueMilliseconds) {
    auto record = HolesWithWidths(Widths(40, {}));
    record->FlyHoles[3].Mid = 100;
    record->FlyHoles[19].Mid = 221;
    record->FlyHoles[35].Mid = 341;
    AnalysisRun run;
    run.WideHoles = {0, 3, 19, 35};
    run.WideCount = 3;
    std::vector<Point> points{{1, 1}};  // earlier grabs stay in front
    AppendSpeedPoints(*record, run, 0.001, points);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1].x, 160);  // (100 + 221) div 2
    EXPECT_NEAR(points[1].y, 60 / 0.121, 1e-9);
    EXPECT_EQ(points[2].x, 281);
    EXPECT_NEAR(points[2].y, 500, 1e-9);

    points.clear();
    AppendSpeedPoints(*record, run, 0.00125, points);
    EXPECT_EQ(points[0].x, 200);  // 160 samples of 1.25 ms
    EXPECT_NEAR(points[1].y, 400, 1e-9);
}

}  // namespace
}  // namespace corvane::analysis
