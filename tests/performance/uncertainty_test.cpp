// The uncertainty budget worked by hand for a grab whose averaged loop is
// p = a cos(theta) + b sin(theta) on V = Vm + A cos(theta): its work is pi A b,
// and a crank phase error phi moves it by pi A a sin(phi); and for a dyna
// curve whose torque scatter is known.

#include "performance/uncertainty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analysis/crank_cycle.h"
#include "performance/performance.h"

namespace corvane::performance {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kA = 20.0, kB = 5.0;  // kPa
constexpr double kDuration = 0.12;     // s per cycle
constexpr double kPeriod = 1e-4;       // s per sample

double LoopWork() { return kPi * analysis::VolumeAmplitude() * kB / 1000; }  // mJ

PerformanceResult HandGrab() {
    PerformanceResult r;
    r.status = Status::Evaluated;
    const double w = LoopWork();
    for (double spread : {-0.1, 0.1, -0.3, 0.3}) {
        CycleFigures c;
        c.durationS = kDuration;
        c.rpm = 500;
        c.workMilliJ = w + spread;
        c.indicatedPowerMilliW = c.workMilliJ / kDuration;
        r.cycles.push_back(c);
    }
    r.summary = CycleSummary{4, 500, w, w / kDuration, {}, {}};
    for (int d = 0; d < 360; ++d) {
        const double theta = d * kPi / 180;
        r.averagedLoop.push_back({d, analysis::CylinderVolumeDouble(d),
                                  kA * std::cos(theta) + kB * std::sin(theta)});
    }
    r.efficiency = {4.0, 100 * (w / kDuration / 1000) / 4.0, 25.0, 0.0};
    r.efficiency.percentOfCarnot = 100 * *r.efficiency.indicatedEfficiencyPercent / 25.0;
    return r;
}

double Share(const UncertainFigure& f, Source source) {
    for (const Contribution& c : f.contributions) {
        if (c.source == source) return c.standard;
    }
    return -1;  // no such contribution
}

TEST(UncertaintyBudget, GrabWorkedByHand) {
    analysis::CaptureRecord record;
    record.SamplePeriod = kPeriod;
    record.LoTemp = 300;
    record.HiTemp = 400;
    const UncertaintyBudget budget{1.0, 0.5, 1.0, 0.5, 1.0, 2.0, 1.0};
    const PerformanceResult result = HandGrab();
    const PerformanceUncertainty u = AssessUncertainty(record, result, budget);
    ASSERT_TRUE(u.workMilliJ && u.indicatedPowerMilliW && u.rpm && u.carnotPercent &&
                u.indicatedEfficiencyPercent && u.percentOfCarnot);

    const double w = LoopWork(), amplitude = analysis::VolumeAmplitude();
    const double samples = kDuration / kPeriod;
    // Each sample rounded within one count (1/204.8 V at 0.4 V/kPa): sd q/sqrt(12)
    // on a volume step A sin(theta) x (360/N) degrees, summed over N samples.
    const double step = 1 / 204.8 / 0.4 / std::sqrt(12.0) * amplitude * (360 / samples) *
                        (kPi / 180) * std::sqrt(samples / 2) / 1000 / 2;
    const struct {
        Source source;
        double expected;  // mJ
    } work[] = {
        {Source::CycleSpread, std::sqrt(0.2 / 3) / 2},
        {Source::PressureScale, 0.01 * w},
        {Source::PressureZero, 0.0},
        {Source::ConverterStep, step},
        {Source::CrankPhase, kPi * amplitude * kA * (kPi / 180) / 1000},
        {Source::Geometry, 0.005 * w},
    };
    double squares = 0;
    for (const auto& c : work) {
        EXPECT_NEAR(Share(*u.workMilliJ, c.source), c.expected, 1e-4 * c.expected + 1e-9)
            << SourceText(c.source);
        squares += c.expected * c.expected;
    }
    EXPECT_EQ(u.workMilliJ->contributions.size(), std::size(work));
    EXPECT_NEAR(u.workMilliJ->expanded, 2 * std::sqrt(squares), 1e-4 * u.workMilliJ->expanded);
    EXPECT_NEAR(u.indicatedPowerMilliW->expanded, u.workMilliJ->expanded / kDuration, 1e-3);
    EXPECT_EQ(u.rpm->expanded, 0.0);  // every cycle at 500 rpm

    // Carnot 1 - 300/400: 100/400 %/K from the low, 100 x 300/400^2 from the high.
    EXPECT_NEAR(u.carnotPercent->expanded, 2 * std::hypot(0.25, 0.1875), 1e-12);
    const double efficiency = *result.efficiency.indicatedEfficiencyPercent;
    const double relativePower = u.indicatedPowerMilliW->expanded / result.summary->meanIndicatedPowerMilliW;
    EXPECT_NEAR(u.indicatedEfficiencyPercent->expanded,
                efficiency * std::hypot(relativePower, 2 * 0.02), 1e-9);
    EXPECT_NEAR(u.percentOfCarnot->expanded,
                *result.efficiency.percentOfCarnot *
                    std::hypot(u.indicatedEfficiencyPercent->expanded / efficiency,
                               u.carnotPercent->expanded / 25.0),
                1e-9);

    // Two cycles already have a spread: sd 0.1414 / sqrt(2).
    PerformanceResult two = HandGrab();
    two.cycles.resize(2);
    two.summary->cycles = 2;
    EXPECT_NEAR(Share(*AssessUncertainty(record, two, budget).workMilliJ, Source::CycleSpread), 0.1,
                1e-9);
}

// Torque rising steadily with a square wave of +-0.1 mNm, 32 points a half
// period: the trend cancels, each point-to-neighbours difference is 0.2.
TEST(UncertaintyBudget, DynaFromInertiaAndCurveScatter) {
    PerformanceResult r;
    r.isDyna = true;
    r.status = Status::Evaluated;
    for (int i = 0; i < 200; ++i) {
        DynaPoint p;
        p.rpm = 600;
        p.torqueMilliNm = 5 + 0.01 * i + ((i / 32) % 2 == 0 ? 0.1 : -0.1);
        p.powerMilliW = p.torqueMilliNm * 600 * 2 * kPi / 60;
        r.dynaPoints.push_back(p);
    }
    r.dyna = DynaSummary{0.1, 600, r.dynaPoints[191].powerMilliW, 600,
                         r.dynaPoints[191].torqueMilliNm, 0};
    const PerformanceUncertainty u = AssessUncertainty({}, r, UncertaintyBudget{});
    ASSERT_TRUE(u.torqueAtMaxPowerMilliNm && u.maxPowerMilliW);
    const double scatter = 0.2 / std::sqrt(1.5), torque = r.dyna->torqueAtMaxPowerMilliNm;
    EXPECT_NEAR(Share(*u.torqueAtMaxPowerMilliNm, Source::CurveScatter), scatter, 1e-9);
    EXPECT_NEAR(Share(*u.torqueAtMaxPowerMilliNm, Source::MomentOfInertia), 0.01 * torque, 1e-12);
    EXPECT_NEAR(u.maxPowerMilliW->expanded,
                2 * std::hypot(scatter, 0.01 * torque) * 600 * 2 * kPi / 60, 1e-9);
    EXPECT_FALSE(u.workMilliJ || u.rpm);

    r.status = Status::TooFewRevolutions;
    EXPECT_FALSE(AssessUncertainty({}, r, UncertaintyBudget{}).maxPowerMilliW);
}

}  // namespace
}  // namespace corvane::performance
