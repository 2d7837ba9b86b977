#include "performance/mechanical_efficiency.h"

#include <numbers>

namespace corvane::performance {

EnergyChain EnergyChainOf(const FrictionModel& friction, double rpm, double indicatedPowerMilliW,
                          std::optional<double> heaterPowerW) {
    EnergyChain chain;
    chain.friction = friction;
    chain.heaterPowerW = heaterPowerW;
    chain.indicatedPowerMilliW = indicatedPowerMilliW;
    chain.rpm = rpm;
    chain.frictionTorqueMilliNm = friction.TorqueMilliNm(rpm);
    // mN m x rad/s is mW.
    chain.frictionPowerMilliW = chain.frictionTorqueMilliNm * rpm * 2 * std::numbers::pi / 60;
    chain.shaftPowerMilliW = indicatedPowerMilliW - chain.frictionPowerMilliW;
    if (indicatedPowerMilliW > 0) {
        chain.mechanicalEfficiencyPercent = 100 * chain.shaftPowerMilliW / indicatedPowerMilliW;
    }
    if (heaterPowerW && *heaterPowerW > 0) {
        // mW over W: a tenth of the ratio in percent.
        chain.shaftEfficiencyPercent = chain.shaftPowerMilliW / *heaterPowerW / 10;
    }
    return chain;
}

}  // namespace corvane::performance
