#pragma once
// The engine's efficiency beside the limit its two temperatures set.

#include <optional>

#include "performance/performance.h"

namespace corvane::performance {

// From the capture's monitor values (heater watts, kelvin) and, for a grab,
// the mean indicated power. A figure whose inputs are missing, zero or not
// physical is left empty: no heater power, no temperature difference.
Efficiency EfficiencyOf(double heaterPowerW, double lowTemperatureK, double highTemperatureK,
                        std::optional<double> indicatedPowerMilliW);

// A dyna's shaft power at its maximum over the heater power, in per cent: the
// figure a dyna sets beside the Carnot limit. Empty without a heater power or
// when the quotient is not finite.
std::optional<double> ShaftEfficiencyPercent(const Efficiency& efficiency, double shaftPowerMilliW);

}  // namespace corvane::performance
