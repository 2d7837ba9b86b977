#include "performance/performance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <random>

#include "analysis/crank_cycle.h"
#include "analysis/synthetic_engine.h"
#include "performance/details_csv.h"

namespace corvane::performance {
namespace {

using analysis::CaptureRecord;
using analysis::testing::RampedTach;

constexpr double kPi = std::numbers::pi;
const analysis::DiskTable kQuarterDisk{{"200", "100", ""}};  // 0.25 g m^2

PerformanceResult Evaluate(const CaptureRecord& record,
                           const analysis::DiskTable& disks = kQuarterDisk) {
    return AnalysePerformance(record, disks, text::PointComma());
}

// A steady engine at `rpm`, `startRevs` into a revolution at sample 0, whose
// pressure swings by `kpa` around 1 V with its peak `leadDeg` before the
// largest volume. Optionally one flywheel hole (numbered from the capture's
// start, 16 per revolution) is not seen.
struct SteadyEngine {
    double rpm = 500;
    double startRevs = 0.3;
    double kpa = 10;
    double leadDeg = 10;
    int samples = 1000;
    std::function<bool(long hole)> missed = [](long) { return false; };

    double Revs(int k) const { return startRevs + k * rpm / 60 / 1000; }
    // Loop integral of p dV for p = kpa cos(angle + lead), V = mean + A cos(angle).
    double WorkMilliJ() const {
        return kpa * analysis::VolumeAmplitude() * kPi * std::sin(leadDeg * kPi / 180) / 1000;
    }
    std::unique_ptr<CaptureRecord> Record() const {
        auto revs = [this](int k) { return Revs(k); };
        std::vector<double> tach = RampedTach(samples, revs);
        std::vector<double> pressure;
        for (int k = 1; k <= samples; ++k) {
            if (missed(std::lround(Revs(k) * 16))) tach[static_cast<std::size_t>(k - 1)] = 4.0;
            pressure.push_back(1.0 + 0.4 * kpa * std::cos(2 * kPi * Revs(k) + leadDeg * kPi / 180));
        }
        auto record = analysis::testing::GrabRecord(tach, pressure);
        record->LoTemp = 300;
        record->HiTemp = 400;
        record->ResistorPower = 4;
        return record;
    }
};

TEST(GrabPerformance, EveryCycleGivesTheLoopsWorkWithoutASampleOffset) {
    const SteadyEngine engine;
    const PerformanceResult r = Evaluate(*engine.Record());
    ASSERT_EQ(r.status, Status::Evaluated);
    ASSERT_EQ(r.cycles.size(), 7u);
    // A thin loop: pairing each pressure with the angle one sample (3 degrees)
    // away would be 30 % out.
    for (const CycleFigures& c : r.cycles) {
        EXPECT_NEAR(c.rpm, 500, 1e-6) << c.number;
        EXPECT_NEAR(c.durationS, 0.12, 1e-9) << c.number;
        EXPECT_NEAR(c.workMilliJ / engine.WorkMilliJ(), 1, 0.003) << c.number;
        EXPECT_NEAR(c.indicatedPowerMilliW, c.workMilliJ / 0.12, 1e-9) << c.number;
    }
    const CycleSummary& s = *r.summary;
    EXPECT_EQ(s.cycles, 7);
    EXPECT_NEAR(s.meanRpm, 500, 1e-6);
    EXPECT_NEAR(s.meanIndicatedPowerMilliW / (engine.WorkMilliJ() * 500 / 60), 1, 0.003);
    ASSERT_TRUE(s.indicatedPowerSdMilliW && s.covPercent);
    EXPECT_LT(*s.covPercent, 0.3);
    // Efficiency of the mean indicated power from 4 W between 300 K and 400 K.
    EXPECT_NEAR(*r.efficiency.indicatedEfficiencyPercent, s.meanIndicatedPowerMilliW / 40, 1e-9);
    EXPECT_NEAR(*r.efficiency.carnotPercent, 25, 1e-9);

    // The averaged loop: each whole degree at its volume, the pressure swinging
    // by 10 kPa about the capture's mean with its peak 10 degrees early.
    ASSERT_EQ(r.averagedLoop.size(), 360u);
    for (const LoopPoint& p : r.averagedLoop) {
        EXPECT_NEAR(p.volumeMm3, analysis::CylinderVolumeAt(p.angleDeg), 1e-10);
        const LoopPoint& opposite =
            r.averagedLoop[static_cast<std::size_t>((p.angleDeg + 180) % 360)];
        EXPECT_NEAR(p.pressureKpa - opposite.pressureKpa,
                    2 * 10 * std::cos((p.angleDeg + 10) * kPi / 180), 0.05)
            << p.angleDeg;
    }
}

TEST(GrabPerformance, OnlyWholeRevolutionsBetweenWideHolesAreCycles) {
    const struct {
        double startRevs;
        double rpm;
        int cycles;
        double firstStartMs;  // the first wide hole after the capture began
    } cases[] = {
        {0.3, 500, 7, 84},                          // cut revolutions at both ends
        {0.95, 500, 8, 6},                          // the first wide hole just after the start
        {0.5, 300, 4, 100},                         // slower: fewer revolutions
        {0.01, 400, 5, 148.5}, {0.5, 100, 1, 300},  // one cycle: no spread
    };
    for (const auto& c : cases) {
        SteadyEngine engine;
        engine.startRevs = c.startRevs;
        engine.rpm = c.rpm;
        const PerformanceResult r = Evaluate(*engine.Record());
        ASSERT_EQ(r.status, Status::Evaluated) << c.startRevs;
        ASSERT_EQ(r.summary->cycles, c.cycles) << c.startRevs;
        EXPECT_NEAR(r.cycles.front().startMs, c.firstStartMs, 1e-6) << c.startRevs;
        EXPECT_EQ(r.summary->indicatedPowerSdMilliW.has_value(), c.cycles > 1) << c.startRevs;
        EXPECT_EQ(r.summary->covPercent.has_value(), c.cycles > 1) << c.startRevs;
        for (std::size_t i = 1; i < r.cycles.size(); ++i) {
            EXPECT_NEAR(r.cycles[i].startMs - r.cycles[i - 1].startMs, 60000 / c.rpm, 1e-6);
        }
    }
}

TEST(GrabPerformance, ARevolutionWithAMissedHoleIsLeftOut) {
    SteadyEngine engine;
    engine.missed = [](long hole) { return hole == 16 * 4 + 5; };  // in the fourth revolution
    const PerformanceResult r = Evaluate(*engine.Record());
    ASSERT_EQ(r.status, Status::Evaluated);
    EXPECT_EQ(r.skippedRevolutions, 1);
    ASSERT_EQ(r.cycles.size(), 6u);
    EXPECT_NEAR(r.cycles[3].startMs - r.cycles[2].startMs, 240, 1e-6);  // the gap
    for (const CycleFigures& c : r.cycles)
        EXPECT_NEAR(c.workMilliJ / engine.WorkMilliJ(), 1, 0.003);

    engine.missed = [](long hole) { return hole % 16 == 5; };  // the sensor never sees hole 5
    const PerformanceResult none = Evaluate(*engine.Record());
    EXPECT_EQ(none.status, Status::HolesMissed);
    EXPECT_EQ(none.skippedRevolutions, 7);
    EXPECT_TRUE(none.cycles.empty());
    EXPECT_FALSE(none.summary);
}

TEST(GrabPerformance, ZeroHeaterPowerLeavesTheEfficiencyEmpty) {
    auto record = SteadyEngine().Record();
    record->ResistorPower = 0;
    const PerformanceResult r = Evaluate(*record);
    EXPECT_EQ(r.status, Status::Evaluated);
    EXPECT_TRUE(r.summary);
    EXPECT_FALSE(r.efficiency.heaterPowerW);
    EXPECT_FALSE(r.efficiency.indicatedEfficiencyPercent);
    EXPECT_FALSE(r.efficiency.percentOfCarnot);
    EXPECT_NEAR(*r.efficiency.carnotPercent, 25, 1e-9);
    const std::string line = DetailsLine("a.csv", false, &r);
    EXPECT_NE(line.find(",,,25.00,,,,"), std::string::npos) << line;  // heater, efficiency empty
}

// A dyna of a flywheel speeding up evenly from rpm0 to rpm1 over 4 s.
std::unique_ptr<CaptureRecord> EvenDyna(double rpm0, double rpm1, double period) {
    const int samples = static_cast<int>(std::lround(4.0 / period));
    const auto revs = [=](int k) {
        const double t = k * period;
        return 0.3 + (rpm0 * t + (rpm1 - rpm0) * t * t / 8) / 60;
    };
    return analysis::testing::DynaRecord(RampedTach(samples, revs), period);
}

TEST(Performance, CapturesThatCannotBeEvaluatedSayWhy) {
    const auto steady = [](double level, int samples) {
        return analysis::testing::GrabRecord(std::vector<double>(samples, level), {});
    };
    std::vector<std::pair<std::unique_ptr<CaptureRecord>, Status>> cases;
    cases.emplace_back(steady(4.0, 1000), Status::NotTurning);  // stopped between holes
    cases.emplace_back(steady(0.5, 1000), Status::NotTurning);  // stopped in a hole
    SteadyEngine slow;
    slow.rpm = 50;  // not one revolution in a second
    cases.emplace_back(slow.Record(), Status::NoCompleteRevolution);
    auto empty = SteadyEngine().Record();
    empty->SampleCount = 0;
    cases.emplace_back(std::move(empty), Status::NoSamples);
    auto overfull = SteadyEngine().Record();
    overfull->SampleCount = 4098;
    cases.emplace_back(std::move(overfull), Status::TooManySamples);
    for (const double period : {0.0, -0.001, std::numeric_limits<double>::quiet_NaN()}) {
        auto record = SteadyEngine().Record();
        record->SamplePeriod = period;
        cases.emplace_back(std::move(record), Status::BadSamplePeriod);
    }
    cases.emplace_back(analysis::testing::DynaRecord(std::vector<double>(4000, 4.0)),
                       Status::NotTurning);
    cases.emplace_back(EvenDyna(30, 30, 0.001), Status::TooFewRevolutions);  // one revolution
    for (const auto& [record, status] : cases) {
        const PerformanceResult r = Evaluate(*record);
        EXPECT_EQ(r.status, status) << StatusText(status);
        EXPECT_FALSE(StatusText(r.status).empty());
        EXPECT_TRUE(r.cycles.empty() && r.averagedLoop.empty() && r.dynaPoints.empty());
        EXPECT_FALSE(r.summary || r.dyna);
    }
}

TEST(DynaPerformance, EvenAccelerationGivesItsTorqueAndThePowerCurve) {
    // 200 -> 500 rpm in 4 s: 300 rpm / 4 s = 7.854 rad/s^2; x 0.25 g m^2 = 1.9635 mNm.
    const double torque = 0.25 * 300.0 / 60 * 2 * kPi / 4;
    for (const double period : {0.001, 0.00125}) {  // live, and an imported file's 1.25 ms
        auto record = EvenDyna(200, 500, period);
        record->LoTemp = 295;
        record->HiTemp = 354;
        record->ResistorPower = 3.6;
        const PerformanceResult r = Evaluate(*record);
        ASSERT_EQ(r.status, Status::Evaluated) << period;
        ASSERT_GT(r.dynaPoints.size(), 100u);
        for (const DynaPoint& p : r.dynaPoints) {
            const double rpm = 200 + 300 * (p.timeMs / 4000);
            EXPECT_NEAR(p.torqueMilliNm / torque, 1, 0.005) << period << " at " << p.timeMs;
            EXPECT_NEAR(p.rpm, rpm, 0.2) << period << " at " << p.timeMs;
            EXPECT_NEAR(p.powerMilliW, p.torqueMilliNm * p.angularSpeed, 1e-9);
        }
        const DynaSummary& d = *r.dyna;
        EXPECT_EQ(d.momentOfInertiaGm2, 0.25);
        EXPECT_EQ(d.maxPowerMilliW, r.dynaPoints.back().powerMilliW);  // fastest at the end
        EXPECT_EQ(d.rpmAtMaxPower, r.dynaPoints.back().rpm);
        EXPECT_EQ(d.torqueAtMaxPowerMilliNm, r.dynaPoints.back().torqueMilliNm);
        EXPECT_GT(d.meanRpm, 250);
        EXPECT_LT(d.meanRpm, 450);
        EXPECT_NEAR(*r.efficiency.carnotPercent, 100 * (1 - 295.0 / 354), 1e-9);
        EXPECT_EQ(*r.efficiency.heaterPowerW, 3.6);
        EXPECT_FALSE(r.efficiency.indicatedEfficiencyPercent);
    }
}

TEST(DynaPerformance, NoMomentOfInertiaNoTorque) {
    for (const analysis::DiskTable& disks : {analysis::DiskTable{}, analysis::DiskTable(5),
                                             analysis::DiskTable{{"-200", "100", ""}}}) {
        const PerformanceResult r = Evaluate(*EvenDyna(200, 500, 0.001), disks);
        EXPECT_EQ(r.status, Status::NoMomentOfInertia);
        EXPECT_TRUE(r.dynaPoints.empty());
        EXPECT_FALSE(r.dyna);
    }
}

// Whatever a record holds, the evaluation gives a status and finite figures.
TEST(Performance, AnyRecordGivesFiniteFiguresOrAStatus) {
    std::mt19937 random(11);
    for (int run = 0; run < 300; ++run) {
        auto record = std::make_unique<CaptureRecord>();
        record->IsDyna = run % 2 == 1;
        record->SampleCount = std::uniform_int_distribution<int>(-2, 4100)(random);
        const double periods[] = {0.001, 0.00125, 1e-300, 0.0,
                                  std::numeric_limits<double>::infinity()};
        record->SamplePeriod = periods[run % 5];
        // Runs of tachometer levels long enough to make holes, and noise.
        std::uint16_t level = 2900;
        for (auto& count : record->RawSamples) {
            if (std::uniform_int_distribution<int>(0, 6)(random) == 0)
                level = level == 2900 ? 2100 : 2900;
            count = static_cast<std::uint16_t>(
                level + std::uniform_int_distribution<int>(-300, 300)(random));
        }
        record->ResistorPower = std::uniform_real_distribution<double>(-1, 5)(random);
        record->LoTemp = 295;
        record->HiTemp = run % 3 ? 350 : 0;
        const PerformanceResult r = Evaluate(*record);
        const std::string line = DetailsLine("f.csv", record->IsDyna, &r);
        EXPECT_EQ(line.find("NAN"), std::string::npos) << line;
        EXPECT_EQ(line.find("INF"), std::string::npos) << line;
        for (const CycleFigures& c : r.cycles) EXPECT_TRUE(std::isfinite(c.workMilliJ + c.rpm));
        for (const DynaPoint& p : r.dynaPoints) EXPECT_TRUE(std::isfinite(p.powerMilliW + p.rpm));
        for (const LoopPoint& p : r.averagedLoop) EXPECT_TRUE(std::isfinite(p.pressureKpa));
    }
}

}  // namespace
}  // namespace corvane::performance
