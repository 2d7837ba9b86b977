// The energy chain's uncertainties, worked by hand for two cycles.

#include "performance/energy_uncertainty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace corvane::performance {
namespace {

constexpr double kPi = std::numbers::pi;

// Cycles at 590 and 610 rpm giving 390 and 410 mW; the friction 1 + 2.5 n / 1000
// mN m with u(a) = 0.1, u(b) = 0.2: 2.5 mN m and 50 pi mW at the mean 600 rpm
// (20 pi rad/s), where the fit's share of the torque is hypot(0.1, 0.6 x 0.2).
PerformanceResult TwoCycles() {
    PerformanceResult r;
    r.status = Status::Evaluated;
    r.cycles = {{1, 0, 0.1, 590, 39, 390, {}}, {2, 100, 0.1, 610, 41, 410, {}}};
    r.summary = CycleSummary{2, 600, 40, 400, {}, {}};
    r.energy = EnergyChainOf({1.0, 2.5, 0.1, 0.2}, 600, 400, 4.0);
    return r;
}

double Expanded(std::initializer_list<double> standard) {
    double squares = 0;
    for (double s : standard) squares += s * s;
    return 2 * std::sqrt(squares);
}

TEST(EnergyUncertainty, WorkedByHand) {
    const PerformanceResult r = TwoCycles();
    UncertaintyBudget budget;
    budget.inertiaPercent = 1.0;
    budget.heaterPowerPercent = 2.0;
    PerformanceUncertainty u;
    u.indicatedPowerMilliW =
        UncertainFigure{400, 0, {{Source::CycleSpread, 10}, {Source::PressureScale, 4}}};
    AssessEnergy(r, budget, u);

    const double fit = std::sqrt(0.1 * 0.1 + 0.12 * 0.12);
    // Two cycles: sd / sqrt(2) is half their difference.
    const double torqueSpread = (2.525 - 2.475) / 2;
    const double frictionSpread = (2.525 * 610 - 2.475 * 590) * kPi / 30 / 2;  // 4 pi / 3
    const double shaftSpread = (20 - 2 * frictionSpread) / 2;
    // Mechanical efficiency 100 (1 - Pf / Pi): d = 100 (Pf dPi / Pi^2 - dPf / Pi).
    const double mechanicalSpread = 100 * (50 * kPi * 20 / 160000 - 2 * frictionSpread / 400) / 2;
    const struct {
        const char* name;
        const std::optional<UncertainFigure>& figure;
        double value, expanded;
    } cases[] = {
        {"friction torque", u.frictionTorqueMilliNm, 2.5, Expanded({torqueSpread, fit, 0.025})},
        {"friction power", u.frictionPowerMilliW, 50 * kPi,
         Expanded({frictionSpread, 20 * kPi * fit, 0.5 * kPi})},
        {"shaft power", u.shaftPowerMilliW, 400 - 50 * kPi,
         Expanded({shaftSpread, 4, 20 * kPi * fit, 0.5 * kPi})},
        {"mechanical efficiency", u.mechanicalEfficiencyPercent, 100 - 12.5 * kPi,
         Expanded({mechanicalSpread, 100 * 50 * kPi / 160000 * 4, 5 * kPi * fit, kPi / 8})},
        {"shaft efficiency", u.shaftEfficiencyPercent, (400 - 50 * kPi) / 40,
         Expanded(
             {shaftSpread / 40, 0.1, 0.5 * kPi * fit, kPi / 80, 0.02 * (400 - 50 * kPi) / 40})},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.figure.has_value()) << c.name;
        EXPECT_NEAR(c.figure->value, c.value, 1e-9) << c.name;
        EXPECT_NEAR(c.figure->expanded, c.expanded, 1e-9 * c.expanded) << c.name;
    }
    EXPECT_EQ(u.shaftPowerMilliW->contributions.front().source, Source::CycleSpread);
    EXPECT_EQ(u.frictionPowerMilliW->contributions[1].source, Source::FrictionFit);
    EXPECT_EQ(u.frictionPowerMilliW->contributions[2].source, Source::MomentOfInertia);
}

// No chain, no indicated power or no heater: the figures that cannot be given are not.
TEST(EnergyUncertainty, OnlyWhatTheChainHolds) {
    PerformanceResult unheated = TwoCycles(), withoutFriction = TwoCycles();
    unheated.energy = EnergyChainOf({1.0, 2.5, 0.1, 0.2}, 600, 400, std::nullopt);
    withoutFriction.energy.reset();
    const UncertainFigure indicated{400, 0, {{Source::PressureScale, 4}}};
    PerformanceUncertainty u, none, blind;
    u.indicatedPowerMilliW = none.indicatedPowerMilliW = indicated;
    AssessEnergy(unheated, {}, u);
    EXPECT_TRUE(u.shaftPowerMilliW && u.mechanicalEfficiencyPercent);
    EXPECT_FALSE(u.shaftEfficiencyPercent);
    AssessEnergy(withoutFriction, {}, none);
    EXPECT_FALSE(none.frictionPowerMilliW || none.shaftPowerMilliW);
    AssessEnergy(TwoCycles(), {}, blind);  // no indicated power assessed
    EXPECT_FALSE(blind.frictionPowerMilliW || blind.shaftPowerMilliW);

    // However small a positive indicated power, its efficiency has the cycles' spread.
    PerformanceResult faint = TwoCycles();
    faint.cycles[0].indicatedPowerMilliW = 0.4;
    faint.cycles[1].indicatedPowerMilliW = 0.6;
    faint.energy = EnergyChainOf({0.001, 0, 0, 0}, 600, 0.5, std::nullopt);
    PerformanceUncertainty small;
    small.indicatedPowerMilliW = UncertainFigure{0.5, 0, {}};
    AssessEnergy(faint, {}, small);
    ASSERT_TRUE(small.mechanicalEfficiencyPercent);
    EXPECT_EQ(small.mechanicalEfficiencyPercent->contributions.front().source,
              Source::CycleSpread);
}

}  // namespace
}  // namespace corvane::performance
