#include "performance/efficiency.h"

#include <cmath>

namespace corvane::performance {

namespace {

// A quotient of extreme inputs may overflow: such a figure is left empty too.
std::optional<double> IfFinite(double value) {
    if (std::isfinite(value)) return value;
    return std::nullopt;
}

}  // namespace

Efficiency EfficiencyOf(double heaterPowerW, double lowTemperatureK, double highTemperatureK,
                        std::optional<double> indicatedPowerMilliW) {
    Efficiency out;
    if (std::isfinite(heaterPowerW) && heaterPowerW > 0) out.heaterPowerW = heaterPowerW;
    if (std::isfinite(lowTemperatureK) && std::isfinite(highTemperatureK) && lowTemperatureK > 0 &&
        highTemperatureK > lowTemperatureK) {
        out.carnotPercent = 100 * (1 - lowTemperatureK / highTemperatureK);
    }
    if (out.heaterPowerW && indicatedPowerMilliW && std::isfinite(*indicatedPowerMilliW)) {
        out.indicatedEfficiencyPercent =
            IfFinite(100 * (*indicatedPowerMilliW / 1000) / *out.heaterPowerW);
    }
    if (out.indicatedEfficiencyPercent && out.carnotPercent && *out.carnotPercent > 0) {
        out.percentOfCarnot = IfFinite(100 * *out.indicatedEfficiencyPercent / *out.carnotPercent);
    }
    return out;
}

std::optional<double> ShaftEfficiencyPercent(const Efficiency& efficiency,
                                             double shaftPowerMilliW) {
    if (!efficiency.heaterPowerW) return std::nullopt;
    return IfFinite(100 * (shaftPowerMilliW / 1000) / *efficiency.heaterPowerW);
}

}  // namespace corvane::performance
