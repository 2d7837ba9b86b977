#pragma once
// The energy chain in words, as the window and the report show it: heater →
// indicated → shaft + friction, and each figure on a line of its own.

#include <string>
#include <vector>

#include "performance/mechanical_efficiency.h"
#include "text/number_format.h"

namespace corvane::performance {

// "Heater 4.00 W → indicated 249.10 mW → shaft 230.25 mW + friction 18.85 mW";
// without a heater power the chain starts at the indicated power.
std::string EnergyChainSummary(const EnergyChain& chain, const text::NumberFormat& format);

struct EnergyLine {
    std::string label;
    std::string value;  // with its unit
};
// Friction torque and power, shaft power, the mechanical and shaft efficiencies
// (those that can be given).
std::vector<EnergyLine> EnergyChainLines(const EnergyChain& chain, const text::NumberFormat& format);

}  // namespace corvane::performance
