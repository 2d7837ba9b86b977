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
    const struct {
        const PerformanceResult* result;
        FrictionFitStatus status;
    } cases[] = {{&slowing, FrictionFitStatus::Fitted},
                 {&grab, FrictionFitStatus::NotADyna},
                 {&failed, FrictionFitStatus::NotEvaluated},
                 {&speedingUp, FrictionFitStatus::NotSlowing},
                 {&steady, FrictionFitStatus::NoSpeedRange},
                 {&few, FrictionFitStatus::NoSpeedRange}};
    for (const auto& c : cases) {
        const FrictionFitResult f = FitFriction(*c.result);
        EXPECT_EQ(f.status, c.status) << FrictionFitStatusText(c.status);
        EXPECT_EQ(f.fit.has_value(), c.status == FrictionFitStatus::Fitted);
    }
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
