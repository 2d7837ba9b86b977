#include "analysis/dynamometer.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::analysis {
namespace {

const DiskTable kQuarterDisk{{"200", "100", ""}};  // 0.25 g*m^2

TEST(PowerTorqueStep, WorkedInterval) {
    // 600 -> 660 rpm over 100 ms with 0.25 g*m^2.
    const TorquePower step = PowerTorqueStep(1100, 1000, 660, 600, 0.25);
    EXPECT_NEAR(step.torque * 1000, 15.708, 0.0005);  // mN*m
    EXPECT_NEAR(step.power * 1000, 1036.3, 0.05);     // mW
    const TorquePower still = PowerTorqueStep(1000, 1000, 660, 600, 0.25);
    EXPECT_EQ(still.torque, 0);
    EXPECT_EQ(still.power, 0);
}

std::vector<Point> Ramp(int count) {
    std::vector<Point> raw;
    for (int i = 0; i < count; ++i) raw.push_back({10.0 * i, static_cast<double>(i * i)});
    return raw;
}

TEST(Smoothed, TwelvePointsFromSixBeforeToFiveAfter) {
    EXPECT_TRUE(Smoothed(Ramp(12)).empty());
    const auto one = Smoothed(Ramp(13));
    ASSERT_EQ(one.size(), 1u);
    double sum = 0;
    for (int i = 0; i <= 11; ++i) sum += i * i;
    EXPECT_EQ(one[0], (Point{60, sum / 12}));  // raw point 12 never enters
    EXPECT_EQ(Smoothed(Ramp(20)).size(), 8u);  // points 6 .. 13
}

// Speed points rising by 60 rpm every 100 ms: every raw interval is the worked one.
std::vector<Point> SteadyAcceleration(int count) {
    std::vector<Point> points;
    for (int i = 0; i < count; ++i) points.push_back({100.0 * i, 600.0 + 60 * i});
    return points;
}

AnalysisResult Compute(std::vector<Point> points, const DiskTable& disks,
                       std::optional<TimeRange> range = std::nullopt) {
    AnalysisInputs inputs;
    inputs.disks = disks;
    inputs.format = text::PointComma();
    inputs.speedRange = range;
    AnalysisResult result;
    result.table[6] = {"Power", ""};
    result.table[7] = {"Torque", ""};
    result.rpmPoints = std::move(points);
    ComputePowerTorque(inputs, result);
    return result;
}

TEST(ComputePowerTorque, RawPointsAtIntervalMiddlesAndAverages) {
    const auto result = Compute(SteadyAcceleration(15), kQuarterDisk);
    ASSERT_EQ(result.powerSeries.size(), 14u);
    ASSERT_EQ(result.torqueSeries.size(), 14u);
    EXPECT_EQ(result.powerSeries[0].x, 50);
    EXPECT_NEAR(result.torqueSeries[0].y, 15.708, 0.0005);
    EXPECT_NEAR(result.powerSeries[0].y, 1036.3, 0.05);
    ASSERT_EQ(result.smoothedTorqueSeries.size(), 2u);
    EXPECT_EQ(result.smoothedTorqueSeries[0].x, result.torqueSeries[6].x);
    EXPECT_NEAR(result.averageTorque, 15.708, 0.0005);
    EXPECT_EQ(result.table[7][1], "15.71 mNm");
    EXPECT_EQ(result.table[6][0], "Power");
    EXPECT_FALSE(result.dynaAdvice);
    EXPECT_TRUE(result.powerTorqueComputed);
}

TEST(ComputePowerTorque, UsesOnlyPointsInsideTheRangeInclusive) {
    const auto result = Compute(SteadyAcceleration(40), kQuarterDisk, TimeRange{500, 2400});
    // Points 5..24 are inside: 19 intervals from 550 ms to 2350 ms.
    ASSERT_EQ(result.powerSeries.size(), 19u);
    EXPECT_EQ(result.powerSeries.front().x, 550);
    EXPECT_EQ(result.powerSeries.back().x, 2350);
}

TEST(ComputePowerTorque, NothingWhenAtMostOnePointIsInRange) {
    // The last range lies between two points: none inside, so nothing is reported.
    for (const TimeRange range :
         {TimeRange{5000, 6000}, TimeRange{300, 300}, TimeRange{310, 390}}) {
        const auto result = Compute(SteadyAcceleration(20), kQuarterDisk, range);
        EXPECT_TRUE(result.powerSeries.empty());
        EXPECT_EQ(result.table[6][1], "");
        EXPECT_EQ(result.table[7][1], "");
        EXPECT_FALSE(result.dynaAdvice);
    }
    EXPECT_TRUE(Compute({}, kQuarterDisk).powerSeries.empty());
}

TEST(ComputePowerTorque, AdviceOnlyWhenBothAveragesShowZero) {
    const struct {
        const char* name;
        std::vector<Point> points;
        DiskTable disks;
        bool advice;
        const char* power;
        const char* torque;
    } cases[] = {
        {"no inertia", SteadyAcceleration(20), {}, true, "0 mw", "0.00 mNm"},
        {"twelve raw points", SteadyAcceleration(13), kQuarterDisk, true, "0 mw", "0.00 mNm"},
        {"thirteen raw points", SteadyAcceleration(14), kQuarterDisk, false, "1,579.14 mw",
         "15.71 mNm"},
    };
    for (const auto& c : cases) {
        const auto result = Compute(c.points, c.disks);
        EXPECT_EQ(result.dynaAdvice, c.advice) << c.name;
        EXPECT_EQ(result.table[6][1], c.power) << c.name;
        EXPECT_EQ(result.table[7][1], c.torque) << c.name;
    }
    // A slowing engine: power shows 0, torque its negative value, no advice.
    std::vector<Point> slowing = SteadyAcceleration(20);
    for (auto& p : slowing) p.y = 2000 - p.y;
    const auto result = Compute(slowing, kQuarterDisk);
    EXPECT_EQ(result.table[6][1], "0 mw");
    EXPECT_EQ(result.table[7][1], "-15.71 mNm");
    EXPECT_FALSE(result.dynaAdvice);
}

TEST(ComputePowerTorque, AdviceAlsoWithADecimalComma) {
    AnalysisInputs inputs;
    inputs.format = text::NumberFormat{",", "."};
    AnalysisResult result;
    result.rpmPoints = SteadyAcceleration(20);
    ComputePowerTorque(inputs, result);
    EXPECT_EQ(result.table[7][1], "0,00 mNm");
    EXPECT_TRUE(result.dynaAdvice);
}

}  // namespace
}  // namespace corvane::analysis
