#include "performance/energy_text.h"

#include "text/decimal_text.h"

namespace corvane::performance {

namespace {

std::string Number(double value, const text::NumberFormat& format) {
    return text::FixedText(value, 2, format.decimalMark, format.grouping);
}

}  // namespace

std::string EnergyChainSummary(const EnergyChain& chain, const text::NumberFormat& format) {
    std::string summary;
    if (chain.heaterPowerW) summary = "Heater " + Number(*chain.heaterPowerW, format) + " W \u2192 ";
    summary += (chain.heaterPowerW ? "indicated " : "Indicated ") +
               Number(chain.indicatedPowerMilliW, format) + " mW \u2192 shaft " +
               Number(chain.shaftPowerMilliW, format) + " mW + friction " +
               Number(chain.frictionPowerMilliW, format) + " mW";
    return summary;
}

std::vector<EnergyLine> EnergyChainLines(const EnergyChain& chain,
                                         const text::NumberFormat& format) {
    std::vector<EnergyLine> lines{
        {"Friction torque", Number(chain.frictionTorqueMilliNm, format) + " mNm"},
        {"Friction power", Number(chain.frictionPowerMilliW, format) + " mW"},
        {"Shaft power", Number(chain.shaftPowerMilliW, format) + " mW"},
    };
    if (chain.mechanicalEfficiencyPercent) {
        lines.push_back(
            {"Mechanical efficiency", Number(*chain.mechanicalEfficiencyPercent, format) + " %"});
    }
    if (chain.shaftEfficiencyPercent) {
        lines.push_back({"Shaft efficiency", Number(*chain.shaftEfficiencyPercent, format) + " %"});
    }
    return lines;
}

}  // namespace corvane::performance
