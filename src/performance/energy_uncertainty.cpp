#include "performance/energy_uncertainty.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "performance/uncertainty_terms.h"

namespace corvane::performance {

namespace {

constexpr double kRadPerSPerRpm = 2 * std::numbers::pi / 60;

// Each cycle's friction torque and power at its own speed, and shaft power;
// and, linearised about the means, its mechanical efficiency: the spread of
// these is each figure's cycle-to-cycle spread.
struct ChainSeries {
    std::vector<double> torque, friction, shaft, mechanical;
};

ChainSeries SeriesOf(const PerformanceResult& result) {
    const EnergyChain& chain = *result.energy;
    const double indicated = chain.indicatedPowerMilliW;
    ChainSeries s;
    for (const CycleFigures& c : result.cycles) {
        const double torque = chain.friction.TorqueMilliNm(c.rpm);
        const double friction = torque * c.rpm * kRadPerSPerRpm;
        s.torque.push_back(torque);
        s.friction.push_back(friction);
        s.shaft.push_back(c.indicatedPowerMilliW - friction);
        if (chain.mechanicalEfficiencyPercent) {  // a positive indicated power
            s.mechanical.push_back(100 * (chain.frictionPowerMilliW * c.indicatedPowerMilliW /
                                              (indicated * indicated) -
                                          friction / indicated));
        }
    }
    return s;
}

// The friction torque's sources beside the spread: the fit's a and b, and the
// moment of inertia, which scales the coast-down's torque as a whole.
std::vector<Contribution> FrictionSources(const EnergyChain& chain,
                                          const UncertaintyBudget& budget) {
    const FrictionModel& f = chain.friction;
    return {{Source::FrictionFit, std::hypot(f.aUMilliNm, f.bUMilliNmPerKrpm * chain.rpm / 1000)},
            {Source::MomentOfInertia,
             std::abs(chain.frictionTorqueMilliNm) * budget.inertiaPercent / 100}};
}

// The indicated power's sources but its spread, which the shaft's own spread holds.
std::vector<Contribution> IndicatedSources(const UncertainFigure& indicated) {
    std::vector<Contribution> sources;
    for (const Contribution& c : indicated.contributions) {
        if (c.source != Source::CycleSpread) sources.push_back(c);
    }
    return sources;
}

std::vector<Contribution> Joined(std::vector<Contribution> a, const std::vector<Contribution>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Contribution> WithSpread(const std::vector<double>& series,
                                     const std::vector<Contribution>& sources) {
    std::vector<Contribution> all;
    AddSpread(all, series);
    return Joined(std::move(all), sources);
}

}  // namespace

void AssessEnergy(const PerformanceResult& result, const UncertaintyBudget& budget,
                  PerformanceUncertainty& out) {
    if (!result.energy || !out.indicatedPowerMilliW) return;
    const EnergyChain& chain = *result.energy;
    const ChainSeries series = SeriesOf(result);
    const auto torque = FrictionSources(chain, budget);
    const auto friction = Scaled(torque, chain.rpm * kRadPerSPerRpm);
    const auto indicated = IndicatedSources(*out.indicatedPowerMilliW);
    out.frictionTorqueMilliNm =
        Combine(chain.frictionTorqueMilliNm, WithSpread(series.torque, torque));
    out.frictionPowerMilliW =
        Combine(chain.frictionPowerMilliW, WithSpread(series.friction, friction));
    const auto shaft = Joined(indicated, friction);
    out.shaftPowerMilliW = Combine(chain.shaftPowerMilliW, WithSpread(series.shaft, shaft));
    if (chain.mechanicalEfficiencyPercent) {
        const double p = chain.indicatedPowerMilliW;
        const auto sources = Joined(Scaled(indicated, 100 * chain.frictionPowerMilliW / (p * p)),
                                    Scaled(friction, 100 / p));
        out.mechanicalEfficiencyPercent =
            Combine(*chain.mechanicalEfficiencyPercent, WithSpread(series.mechanical, sources));
    }
    if (chain.shaftEfficiencyPercent) {
        const double efficiency = *chain.shaftEfficiencyPercent;
        auto sources = Scaled(out.shaftPowerMilliW->contributions, 1 / (10 * *chain.heaterPowerW));
        sources.push_back(
            {Source::HeaterPower, std::abs(efficiency) * budget.heaterPowerPercent / 100});
        out.shaftEfficiencyPercent = Combine(efficiency, sources);
    }
}

}  // namespace corvane::performance
