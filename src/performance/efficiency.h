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

}  // namespace corvane::performance
