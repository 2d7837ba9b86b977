// Operating points against figures worked out by hand, the stretches they
// come from, and the table's text.

#include "recording/operating_points.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace corvane::recording {
namespace {

CycleRow Cycle(double t, double rpm, double powerMilliW, double hiTempK, bool steady = true) {
    CycleRow row;
    row.timeS = t;
    row.rpm = rpm;
    row.indicatedPowerMilliW = powerMilliW;
    row.workMilliJ = powerMilliW * 60 / rpm;
    row.loTempK = 300.0;
    row.hiTempK = hiTempK;
    row.heaterPowerW = 4.0;
    row.steady = steady;
    return row;
}

// Three cycles: speed 498, 500, 502; power 10, 12, 14 mW at 4 W of heater
// (0.25, 0.30, 0.35 %); 300 K against 375, 400, 425 K (Carnot 20, 25,
// 29.4118 %).
const std::vector<CycleRow> kThree = {Cycle(10.00, 498, 10, 375), Cycle(10.12, 500, 12, 400),
                                      Cycle(10.24, 502, 14, 425)};

TEST(OperatingPoints, MeansAndSpreadsAgreeWithHandWorkedValues) {
    const OperatingPoint p = OperatingPointOf(kThree, {0, 3}, false);
    EXPECT_FALSE(p.chosen);
    EXPECT_DOUBLE_EQ(p.startS, 10.0);
    EXPECT_NEAR(p.lengthS, 0.24 + 60.0 / 502, 1e-12);  // to the end of the last cycle
    EXPECT_EQ(p.cycles, 3u);
    EXPECT_NEAR(p.rpm->mean, 500, 1e-9);
    EXPECT_NEAR(p.rpm->sd, 2, 1e-9);
    EXPECT_NEAR(p.indicatedPowerMilliW->mean, 12, 1e-9);
    EXPECT_NEAR(p.indicatedPowerMilliW->sd, 2, 1e-9);
    EXPECT_NEAR(p.loTempK->mean, 300, 1e-9);
    EXPECT_NEAR(p.loTempK->sd, 0, 1e-9);
    EXPECT_NEAR(p.hiTempK->mean, 400, 1e-9);
    EXPECT_NEAR(p.hiTempK->sd, 25, 1e-9);
    EXPECT_NEAR(p.heaterPowerW->mean, 4, 1e-9);
    EXPECT_NEAR(p.indicatedEfficiencyPercent->mean, 0.30, 1e-9);
    EXPECT_NEAR(p.indicatedEfficiencyPercent->sd, 0.05, 1e-9);
    EXPECT_NEAR(p.carnotPercent->mean, 24.80392, 1e-4);
    EXPECT_NEAR(p.carnotPercent->sd, 4.70892, 1e-4);
}

TEST(OperatingPoints, MissingMonitorValuesLeaveTheirFiguresEmpty) {
    std::vector<CycleRow> cycles = kThree;
    for (CycleRow& c : cycles) c.heaterPowerW.reset();
    cycles[1].hiTempK.reset();
    const OperatingPoint p = OperatingPointOf(cycles, {1, 2}, true);
    EXPECT_TRUE(p.chosen);
    EXPECT_EQ(p.cycles, 2u);
    EXPECT_FALSE(p.heaterPowerW);
    EXPECT_FALSE(p.indicatedEfficiencyPercent);
    EXPECT_NEAR(p.hiTempK->mean, 425, 1e-9);  // the one cycle that has it
    EXPECT_EQ(p.hiTempK->sd, 0);
    EXPECT_EQ(OperatingPointOf(cycles, {3, 2}, true).cycles, 0u);  // nothing there
    // Two cycles already have a spread: 498 and 500 rpm, sd = sqrt(2).
    EXPECT_NEAR(OperatingPointOf(kThree, {0, 2}, false).rpm->sd, std::sqrt(2.0), 1e-9);
}

TEST(OperatingPoints, StretchesAreTheRunsOfSteadyCyclesOrTheTimesChosen) {
    struct Case {
        std::vector<bool> flags;
        std::vector<Stretch> stretches;
    };
    const Case cases[] = {
        {{}, {}},
        {{false, false}, {}},
        {{true}, {{0, 1}}},
        {{false, true, true, false, true}, {{1, 2}, {4, 1}}},
        {{true, true, false, false, true, true, true}, {{0, 2}, {4, 3}}},
    };
    for (const Case& c : cases) EXPECT_EQ(SteadyStretches(c.flags), c.stretches);

    // From the cycles' flags: the window whose end cleared the flag is left out.
    std::vector<CycleRow> run;
    for (int i = 0; i < 12; ++i) run.push_back(Cycle(i * 10.0, 500, 12, 400, i >= 2 && i <= 8));
    EXPECT_EQ(SteadyStretches(run, 30.0), (std::vector<Stretch>{{2, 4}}));  // 60..80 s dropped
    run.back().steady = true;  // a last cycle the run's end cuts off stays
    EXPECT_EQ(SteadyStretches(run, 30.0), (std::vector<Stretch>{{2, 4}, {11, 1}}));

    EXPECT_EQ(StretchBetween(kThree, 10.0, 10.24), (Stretch{0, 2}));
    EXPECT_EQ(StretchBetween(kThree, 10.05, 99), (Stretch{1, 2}));
    EXPECT_EQ(StretchBetween(kThree, 0, 5).count, 0u);
}

// Times chosen between two cycles, or after the last, hold no cycle: the
// point is empty (no start, no figures) rather than one made of a neighbour.
TEST(OperatingPoints, TimesChosenWithoutACycleGiveAnEmptyPoint) {
    for (const auto& [fromS, toS] : {std::pair{10.01, 10.11}, std::pair{11.0, 12.0}}) {
        const Stretch stretch = StretchBetween(kThree, fromS, toS);
        EXPECT_EQ(stretch.count, 0u) << fromS;
        const OperatingPoint p = OperatingPointOf(kThree, stretch, true);
        EXPECT_TRUE(p.chosen);
        EXPECT_EQ(p.cycles, 0u) << fromS;
        EXPECT_EQ(p.startS, 0.0) << fromS;
        EXPECT_FALSE(p.rpm) << fromS;
    }
}

TEST(OperatingPoints, TheTableCopiesAsTabsAndSavesAsCsv) {
    const std::vector<OperatingPoint> points = {OperatingPointOf(kThree, {0, 3}, false)};
    const std::string header =
        "kind,start_s,length_s,cycles,rpm_mean,rpm_sd,indicated_power_mw_mean,"
        "indicated_power_mw_sd,lo_temp_k_mean,lo_temp_k_sd,hi_temp_k_mean,hi_temp_k_sd,"
        "heater_power_w_mean,heater_power_w_sd,indicated_efficiency_percent_mean,"
        "indicated_efficiency_percent_sd,carnot_percent_mean,carnot_percent_sd\n";
    const std::string line =
        "steady,10.000,0.360,3,500.00,2.00,12.000,2.000,300.00,0.00,400.00,25.00,4.000,0.000,"
        "0.3000,0.0500,24.804,4.709\n";
    EXPECT_EQ(OperatingPointTable(points, ','), header + line);
    std::string tabs = header + line;
    std::replace(tabs.begin(), tabs.end(), ',', '\t');
    EXPECT_EQ(OperatingPointTable(points, '\t'), tabs);
}

}  // namespace
}  // namespace corvane::recording
