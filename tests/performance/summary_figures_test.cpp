// The summary figures of a grab and a dyna against values worked out by hand,
// and the efficiency figures a result keeps whatever its status.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "analysis/crank_cycle.h"
#include "analysis/flywheel_holes.h"
#include "analysis/synthetic_engine.h"
#include "performance/performance.h"

namespace corvane::performance {
namespace {

using analysis::CaptureRecord;
using analysis::testing::RampedTach;

constexpr double kPi = std::numbers::pi;
const analysis::DiskTable kQuarterDisk{{"200", "100", ""}};  // 0.25 g m^2

PerformanceResult Evaluate(const CaptureRecord& record) {
    return AnalysePerformance(record, kQuarterDisk, text::PointComma());
}

// 240 rpm for 1000 samples of 1 ms from half a revolution: wide holes at
// samples 125, 375, 625 and 875, so three cycles of 0.25 s. The pressure
// swings by 5, 10 and 15 kPa (as `kpaPerRevolution` says) in the first,
// second and third of them, 10 degrees ahead of the volume.
std::unique_ptr<CaptureRecord> ThreeCycleGrab(double kpaPerRevolution, double heaterW = 4) {
    const auto revs = [](int k) { return 0.5 + k / 250.0; };
    std::vector<double> pressure;
    for (int k = 1; k <= 1000; ++k) {
        const int revolution = std::clamp((k + 125) / 250, 1, 3);  // whole, exactly
        const double kpa = kpaPerRevolution * revolution;
        pressure.push_back(0.4 * kpa * std::cos(2 * kPi * revs(k) + 10 * kPi / 180));
    }
    auto record = analysis::testing::GrabRecord(RampedTach(1000, revs), pressure);
    record->LoTemp = 300;
    record->HiTemp = 400;
    record->ResistorPower = heaterW;
    return record;
}

// Work of one cycle with a swing of `kpa`: kpa x A x pi x sin 10 degrees, in mJ.
double WorkMilliJ(double kpa) {
    return kpa * analysis::VolumeAmplitude() * kPi * std::sin(10 * kPi / 180) / 1000;
}

TEST(GrabSummary, ASpreadOfThreeCyclesByHand) {
    const PerformanceResult r = Evaluate(*ThreeCycleGrab(5));
    ASSERT_EQ(r.status, Status::Evaluated);
    ASSERT_EQ(r.cycles.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.cycles[static_cast<std::size_t>(i)].number, i + 1);
    // Powers P, 2P, 3P with P = W(5 kPa) / 0.25 s: mean 2P; squares about the
    // mean 1 + 0 + 1 = 2 P^2 over n - 1 = 2 gives an sd of P (over n it would
    // be 0.816 P); the cov P / 2P is 50 %.
    const double p = WorkMilliJ(5) / 0.25;
    const CycleSummary& s = *r.summary;
    EXPECT_EQ(s.cycles, 3);
    EXPECT_NEAR(s.meanRpm, 240, 1e-6);
    EXPECT_NEAR(s.meanWorkMilliJ / (2 * WorkMilliJ(5)), 1, 0.003);
    EXPECT_NEAR(s.meanIndicatedPowerMilliW / (2 * p), 1, 0.003);
    ASSERT_TRUE(s.indicatedPowerSdMilliW && s.covPercent);
    EXPECT_NEAR(*s.indicatedPowerSdMilliW / p, 1, 0.01);
    EXPECT_NEAR(*s.covPercent, 50, 0.5);
    // 2P mW from 4 W, against a Carnot limit of 25 %.
    EXPECT_NEAR(*r.efficiency.indicatedEfficiencyPercent, 2 * p / 40, 0.003 * 2 * p / 40);
    EXPECT_NEAR(*r.efficiency.percentOfCarnot, 4 * *r.efficiency.indicatedEfficiencyPercent, 1e-9);
}

// A constant pressure (0 V, so its mean is exact) encloses no area: a real
// result of 0 mW, not a failure.
TEST(GrabSummary, ConstantPressureIsZeroPowerNotOutOfRange) {
    const PerformanceResult r = Evaluate(*ThreeCycleGrab(0));
    ASSERT_EQ(r.status, Status::Evaluated) << StatusText(r.status);
    ASSERT_EQ(r.cycles.size(), 3u);
    for (const CycleFigures& c : r.cycles) EXPECT_EQ(c.indicatedPowerMilliW, 0.0) << c.number;
    EXPECT_EQ(r.summary->meanIndicatedPowerMilliW, 0.0);
    EXPECT_EQ(r.summary->indicatedPowerSdMilliW, 0.0);
    EXPECT_FALSE(r.summary->covPercent) << "no cov of a zero mean";
    EXPECT_EQ(r.efficiency.indicatedEfficiencyPercent, 0.0);
    EXPECT_EQ(r.efficiency.percentOfCarnot, 0.0);
}

// A dyna speeding up evenly from 200 rpm at 0.3 revolutions: the wide hole of
// revolution r passes at t(r) = (-200 + sqrt(40000 + 9000 (r - 0.3))) / 75 s.
// The capture ends on the sample that closes the first hole after the wide
// one of revolution 23 (a wide hole is told from the holes on both sides).
std::unique_ptr<CaptureRecord> DynaEndingOnAWideHole() {
    const auto revs = [](int k) {
        const double t = k * 0.001;
        return 0.3 + (200 * t + 37.5 * t * t) / 60;
    };
    std::vector<double> tach = RampedTach(4000, revs);
    int last = 1;
    while (revs(last) < 23 + 1.0 / 16 ||
           tach[static_cast<std::size_t>(last - 1)] < analysis::kTachThreshold)
        ++last;
    tach.resize(static_cast<std::size_t>(last));
    auto record = analysis::testing::DynaRecord(tach);
    record->LoTemp = 300;
    record->HiTemp = 400;
    record->ResistorPower = 4;
    return record;
}

TEST(DynaSummary, WholeRevolutionsAndTheTimeOfMaximumPowerByHand) {
    const PerformanceResult r = Evaluate(*DynaEndingOnAWideHole());
    ASSERT_EQ(r.status, Status::Evaluated);
    const DynaSummary& d = *r.dyna;
    // 22 revolutions between t(1) = 0.202325 s and t(23) = 3.923562 s:
    // 60 x 22 / 3.721237 = 354.7207 rpm (23 over that time would be 370.84;
    // without the last sample's closing edge, 21 to t(22): 350.13).
    EXPECT_NEAR(d.meanRpm, 354.7207, 0.01);
    // The fastest point, and so the most power, is the last one whose fit
    // reaches 12 holes ahead: revolution 22.25, t = 3.831880 s.
    EXPECT_NEAR(d.timeAtMaxPowerMs, 3831.880, 0.05);
    EXPECT_NEAR(r.dynaPoints.back().timeMs, 3831.880, 0.05);
    EXPECT_EQ(d.maxPowerMilliW, r.dynaPoints.back().powerMilliW);
}

// A sample period so small (a denormal) that the figures overflow: nothing is shown but the
// reason, and the heater and Carnot figures, which need no capture, stay.
TEST(OutOfRange, KeepsTheHeaterAndCarnotFigures) {
    std::unique_ptr<CaptureRecord> records[] = {ThreeCycleGrab(5), DynaEndingOnAWideHole()};
    for (auto& record : records) {
        record->SamplePeriod = 1e-310;
        const PerformanceResult r = Evaluate(*record);
        EXPECT_EQ(r.status, Status::OutOfRange) << record->IsDyna;
        EXPECT_EQ(r.isDyna, record->IsDyna);
        EXPECT_TRUE(r.cycles.empty() && r.dynaPoints.empty() && !r.summary && !r.dyna);
        EXPECT_EQ(r.efficiency.heaterPowerW, 4.0) << record->IsDyna;
        ASSERT_TRUE(r.efficiency.carnotPercent) << record->IsDyna;
        EXPECT_NEAR(*r.efficiency.carnotPercent, 25, 1e-9);
        EXPECT_FALSE(r.efficiency.indicatedEfficiencyPercent);
    }
}

}  // namespace
}  // namespace corvane::performance
