// Friction from a coast-down, the energy chain it gives a grab, and the
// pointwise power curve's file.

#include "performance/friction_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "performance/dyna_curve.h"
#include "performance/energy_text.h"
#include "performance/pointwise_curve.h"

namespace corvane::performance {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kInertiaGm2 = 0.135;

// A flywheel slowing from omega0 against a + b w alone (a in mN m, b in mN m
// per rad/s): w(t) = (w0 + a/b) e^(-t/tau) - a/b with tau = I / b. The hole
// times are the exact crossings of each sixteenth of a turn.
PerformanceResult ExponentialCoastDown(double a, double b, double omega0, double seconds) {
    const double tau = kInertiaGm2 / b, floor = a / b;
    const auto turned = [&](double t) {
        return (omega0 + floor) * tau * (1 - std::exp(-t / tau)) - floor * t;
    };
    std::vector<double> times, angles;
    for (int j = 0;; ++j) {
        const double angle = 2 * kPi * j / 16;
        double lo = times.empty() ? 0.0 : times.back(), hi = seconds;
        if (turned(hi) < angle) break;
        for (int k = 0; k < 80; ++k) {
            const double mid = (lo + hi) / 2;
            (turned(mid) < angle ? lo : hi) = mid;
        }
        times.push_back((lo + hi) / 2);
        angles.push_back(angle);
    }
    PerformanceResult r;
    r.isDyna = true;
    r.status = Status::Evaluated;
    r.dynaPoints = DynaPoints({times, angles}, kInertiaGm2);
    return r;
}

TEST(FrictionFit, ExponentialCoastDownGivesItsFriction) {
    const struct {
        double aMilliNm, bPerKrpm, startRpm;
    } cases[] = {{1.0, 2.0, 600}, {0.3, 4.0, 900}, {2.0, 0.5, 450}, {0.0, 3.0, 700}};
    for (const auto& c : cases) {
        const double bPerRadS = c.bPerKrpm / (1000 * 2 * kPi / 60);
        const PerformanceResult r =
            ExponentialCoastDown(c.aMilliNm, bPerRadS, c.startRpm * 2 * kPi / 60, 3.0);
        const FrictionFitResult f = FitFriction(r);
        ASSERT_EQ(f.status, FrictionFitStatus::Fitted) << c.aMilliNm;
        EXPECT_NEAR(f.fit->model.aMilliNm, c.aMilliNm, 0.01 * (c.aMilliNm + 0.1)) << c.aMilliNm;
        EXPECT_NEAR(f.fit->model.bMilliNmPerKrpm, c.bPerKrpm, 0.01 * c.bPerKrpm) << c.aMilliNm;
        EXPECT_GT(f.fit->rpmFrom, f.fit->rpmTo);  // slowing: the first point is the fastest
        EXPECT_NEAR(f.fit->rpmFrom, c.startRpm, 0.1 * c.startRpm);
        EXPECT_EQ(f.fit->points, static_cast<int>(r.dynaPoints.size()));
    }
}

// Only an evaluated dyna whose flywheel loses speed over a range of speeds is a coast-down.
TEST(FrictionFit, WhatIsNotACoastDownIsRefused) {
    const PerformanceResult slowing = ExponentialCoastDown(1.0, 0.02, 60, 2.0);
    PerformanceResult grab = slowing, failed = slowing, speedingUp = slowing, steady = slowing,
                      few = slowing;
    grab.isDyna = false;
    failed.status = Status::TooFewRevolutions;
    for (DynaPoint& p : speedingUp.dynaPoints) p.torqueMilliNm = -p.torqueMilliNm;
    for (DynaPoint& p : steady.dynaPoints) p.rpm = 500;
    few.dynaPoints.resize(7);
    PerformanceResult eight = slowing, level = slowing, narrow = slowing, oneRpm = slowing,
                      gentle = slowing, stillPoint = slowing;
    eight.dynaPoints.resize(8);
    for (DynaPoint& p : level.dynaPoints) p.torqueMilliNm = 0;
    // Speeds half an rpm apart, or exactly one; torques of a few uN m, each
    // known to 1 mN m; a point at rest with no scatter among the others.
    for (std::size_t i = 0; i < slowing.dynaPoints.size(); ++i) {
        narrow.dynaPoints[i].rpm = 500 + 0.5 * static_cast<double>(i % 2);
        oneRpm.dynaPoints[i].rpm = 500 + static_cast<double>(i % 2);
        oneRpm.dynaPoints[i].torqueSdMilliNm = 1.0;
        gentle.dynaPoints[i].torqueMilliNm *= 0.001;
        gentle.dynaPoints[i].torqueSdMilliNm = 1.0;
    }
    stillPoint.dynaPoints[3].torqueMilliNm = 0;
    stillPoint.dynaPoints[3].torqueSdMilliNm = 0;
    const struct {
        const PerformanceResult* result;
        FrictionFitStatus status;
    } cases[] = {
        {&slowing, FrictionFitStatus::Fitted},      {&grab, FrictionFitStatus::NotADyna},
        {&failed, FrictionFitStatus::NotEvaluated}, {&speedingUp, FrictionFitStatus::NotSlowing},
        {&steady, FrictionFitStatus::NoSpeedRange}, {&few, FrictionFitStatus::NoSpeedRange},
        {&eight, FrictionFitStatus::Fitted},        {&level, FrictionFitStatus::NotSlowing},
        {&narrow, FrictionFitStatus::NoSpeedRange}, {&oneRpm, FrictionFitStatus::Fitted},
        {&gentle, FrictionFitStatus::Fitted},       {&stillPoint, FrictionFitStatus::Fitted}};
    for (const auto& c : cases) {
        const FrictionFitResult f = FitFriction(*c.result);
        EXPECT_EQ(f.status, c.status) << FrictionFitStatusText(c.status);
        EXPECT_EQ(f.fit.has_value(), c.status == FrictionFitStatus::Fitted);
    }
}

// Eight points of equal scatter (1 mN m) at 100 .. 800 rpm about the line
// a + b n / 1000 = 1.2 + 2.5 n / 1000, off it by +-0.1 in a pattern that
// leaves the line itself as it is. By hand, with x = n / 1000: sum x = 3.6,
// sum x^2 = 2.04, so n sum x^2 - (sum x)^2 = 3.36; the residuals' variance
// 8 x 0.01 / 6; eight overlapping points count as three independent ones.
TEST(FrictionFit, UncertaintiesOfALineWorkedByHand) {
    constexpr double kPattern[] = {1, -1, -1, 1, 1, -1, -1, 1};
    PerformanceResult r;
    r.isDyna = true;
    r.status = Status::Evaluated;
    for (int i = 0; i < 8; ++i) {
        DynaPoint p;
        p.rpm = 800 - 100 * i;  // slowing
        p.torqueMilliNm = -(1.2 + 2.5 * p.rpm / 1000) + 0.1 * kPattern[i];
        p.torqueSdMilliNm = 1.0;
        r.dynaPoints.push_back(p);
    }
    const FrictionFitResult f = FitFriction(r);
    ASSERT_EQ(f.status, FrictionFitStatus::Fitted);
    const FrictionModel& m = f.fit->model;
    EXPECT_NEAR(m.aMilliNm, 1.2, 1e-12);
    EXPECT_NEAR(m.bMilliNmPerKrpm, 2.5, 1e-12);
    const double perPoint = 8 * 0.01 / 6 * 8 / 3;
    EXPECT_NEAR(m.aUMilliNm, std::hypot(std::sqrt(perPoint * 2.04 / 3.36), 0.003 * 1.2), 1e-12);
    EXPECT_NEAR(m.bUMilliNmPerKrpm, std::hypot(std::sqrt(perPoint * 8 / 3.36), 0.003 * 2.5), 1e-12);
    EXPECT_EQ(f.fit->rpmFrom, 800);
    EXPECT_EQ(f.fit->rpmTo, 100);
}

// A long run at 600 rpm: every point's window holds 2 x 40 + 1 holes, so 810
// points count as ten independent ones.
TEST(FrictionFit, OverlappingWindowsCountOnceEach) {
    PerformanceResult r;
    r.isDyna = true;
    r.status = Status::Evaluated;
    for (int i = 0; i < 810; ++i) {
        DynaPoint p;
        p.rpm = i % 2 == 0 ? 603 : 600;  // windows of 40 holes each side at both
        p.torqueMilliNm = -(1.0 + 2.0 * p.rpm / 1000) + (i % 4 < 2 ? 0.01 : -0.01);
        p.torqueSdMilliNm = 1.0;
        r.dynaPoints.push_back(p);
    }
    const FrictionFitResult f = FitFriction(r);
    ASSERT_EQ(f.status, FrictionFitStatus::Fitted);
    // The statistical part is the residuals' as if 81 points were one.
    const FrictionModel& m = f.fit->model;
    const double xx = [&] {
        double sum = 0;
        for (const DynaPoint& p : r.dynaPoints) sum += p.rpm * p.rpm / 1e6;
        return sum;
    }();
    double x = 0, residuals = 0;
    for (const DynaPoint& p : r.dynaPoints) {
        x += p.rpm / 1000;
        const double residual = -p.torqueMilliNm - m.TorqueMilliNm(p.rpm);
        residuals += residual * residual;
    }
    const double spread = 810 * xx - x * x;
    const double statistical = std::sqrt(residuals / 808 * 81 * xx / spread);
    EXPECT_NEAR(m.aUMilliNm, std::hypot(statistical, 0.003 * m.aMilliNm), 1e-9 * m.aUMilliNm);
}

// 600 rpm is 20 pi rad/s: 2 mN m there take 40 pi mW.
TEST(EnergyChain, FrictionPowerShaftPowerAndEfficiencies) {
    const FrictionModel friction{1.0, 2.5};  // 1 + 2.5 x 0.6 = 2.5 mN m at 600 rpm
    const EnergyChain chain = EnergyChainOf(friction, 600, 400, 4.0);
    EXPECT_NEAR(chain.frictionTorqueMilliNm, 2.5, 1e-12);
    EXPECT_NEAR(chain.frictionPowerMilliW, 50 * kPi, 1e-9);
    EXPECT_NEAR(chain.shaftPowerMilliW, 400 - 50 * kPi, 1e-9);
    EXPECT_NEAR(*chain.mechanicalEfficiencyPercent, 100 * (400 - 50 * kPi) / 400, 1e-9);
    EXPECT_NEAR(*chain.shaftEfficiencyPercent, (400 - 50 * kPi) / 4000 * 100, 1e-9);
    const EnergyChain unheated = EnergyChainOf(friction, 600, 0, std::nullopt);
    EXPECT_FALSE(unheated.mechanicalEfficiencyPercent || unheated.shaftEfficiencyPercent);
    // Any positive indicated and heater power gives the efficiencies; none does not.
    const EnergyChain small = EnergyChainOf(friction, 600, 0.5, 0.5);
    EXPECT_TRUE(small.mechanicalEfficiencyPercent && small.shaftEfficiencyPercent);
    EXPECT_FALSE(EnergyChainOf(friction, 600, 400, 0.0).shaftEfficiencyPercent);
    EXPECT_NEAR(unheated.shaftPowerMilliW, -50 * kPi, 1e-9);

    // In words, in the user's number format.
    const text::NumberFormat comma{",", "."};
    EXPECT_EQ(EnergyChainSummary(chain, comma),
              "Heater 4,00 W \u2192 indicated 400,00 mW \u2192 shaft 242,92 mW + friction 157,08 mW");
    EXPECT_EQ(EnergyChainSummary(unheated, comma).rfind("Indicated 0,00 mW \u2192 shaft -157,08", 0),
              0u);
    const auto lines = EnergyChainLines(chain, comma);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].value, "2,50 mNm");
    EXPECT_EQ(lines[3].label, "Mechanical efficiency");
    EXPECT_EQ(lines[3].value, "60,73 %");
    EXPECT_EQ(lines[4].value, "6,07 %");
    EXPECT_EQ(EnergyChainLines(unheated, comma).size(), 3u);
}

// Each point's band: the fit's scatter and the inertia's share, doubled;
// the power's is the torque's at the point's speed.
TEST(PointwiseCurve, BandsAndFile) {
    PerformanceResult r;
    r.isDyna = true;
    r.status = Status::Evaluated;
    DynaPoint p;
    p.timeMs = 1234.5;
    p.rpm = 600;
    p.angularSpeed = 20 * kPi;
    p.torqueMilliNm = 4;
    p.powerMilliW = 80 * kPi;
    p.torqueSdMilliNm = 0.03;
    r.dynaPoints = {p};
    UncertaintyBudget budget;
    budget.inertiaPercent = 1.0;  // 0.04 mN m
    const auto curve = PointwiseCurve(r, budget);
    ASSERT_EQ(curve.size(), 1u);
    EXPECT_NEAR(curve[0].torqueUMilliNm, 2 * 0.05, 1e-12);
    EXPECT_NEAR(curve[0].powerUMilliW, 0.1 * 20 * kPi, 1e-12);
    EXPECT_EQ(CurveCsv(curve),
              "time_ms,rpm,torque_mnm,power_mw,torque_u_mnm,power_u_mw\r\n"
              "1234.50,600.0,4.000,251.33,0.100,6.28\r\n");
    r.status = Status::TooFewRevolutions;
    EXPECT_TRUE(PointwiseCurve(r, budget).empty());
    r.status = Status::Evaluated;
    r.isDyna = false;
    EXPECT_TRUE(PointwiseCurve(r, budget).empty());
}

}  // namespace
}  // namespace corvane::performance
