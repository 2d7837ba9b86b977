#pragma once
// The energy chain of a grab once the bench's friction is known: heater →
// indicated power → shaft power + the power friction takes at the engine's
// speed, and the mechanical efficiency (shaft over indicated).

#include <optional>

namespace corvane::performance {

// The friction torque at a speed: a + b x n / 1000 (n in rpm), from a coast-down,
// with the standard uncertainties of a and b from the fit (0: taken as exact).
struct FrictionModel {
    double aMilliNm = 0.0;
    double bMilliNmPerKrpm = 0.0;
    double aUMilliNm = 0.0;
    double bUMilliNmPerKrpm = 0.0;
    double TorqueMilliNm(double rpm) const { return aMilliNm + bMilliNmPerKrpm * rpm / 1000; }
};

struct EnergyChain {
    FrictionModel friction;              // what the chain was worked out with
    std::optional<double> heaterPowerW;  // positive heater power
    double indicatedPowerMilliW = 0.0;
    double rpm = 0.0;
    double frictionTorqueMilliNm = 0.0;
    double frictionPowerMilliW = 0.0;  // friction torque x angular speed
    double shaftPowerMilliW = 0.0;     // indicated minus friction
    std::optional<double> mechanicalEfficiencyPercent;  // shaft / indicated: positive indicated power
    std::optional<double> shaftEfficiencyPercent;       // shaft / heater: positive heater power
};

// The chain at the grab's mean speed and indicated power; the heater power in W.
EnergyChain EnergyChainOf(const FrictionModel& friction, double rpm, double indicatedPowerMilliW,
                          std::optional<double> heaterPowerW);

}  // namespace corvane::performance
