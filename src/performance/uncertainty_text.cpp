#include "performance/uncertainty_text.h"

#include <algorithm>
#include <cmath>

#include "performance/power_names.h"
#include "text/decimal_text.h"

namespace corvane::performance {

namespace {

// Every figure with an uncertainty, in words; its decimals as in the details file.
struct FigureName {
    std::string_view name;
    std::string_view unit;
    int usualDecimals;
    std::optional<UncertainFigure> PerformanceUncertainty::*figure;
};
constexpr FigureName kNames[] = {
    {kCycleResolvedPowerLabel, "mW", 2, &PerformanceUncertainty::indicatedPowerMilliW},
    {"Work per cycle", "mJ", 2, &PerformanceUncertainty::workMilliJ},
    {"Speed", "rpm", 1, &PerformanceUncertainty::rpm},
    {"Indicated efficiency", "%", 2, &PerformanceUncertainty::indicatedEfficiencyPercent},
    {"Carnot limit", "%", 2, &PerformanceUncertainty::carnotPercent},
    {"Share of the Carnot limit", "%", 2, &PerformanceUncertainty::percentOfCarnot},
    {"Maximum power", "mW", 2, &PerformanceUncertainty::maxPowerMilliW},
    {"Torque at maximum power", "mNm", 2, &PerformanceUncertainty::torqueAtMaxPowerMilliNm},
    {"Friction torque", "mNm", 2, &PerformanceUncertainty::frictionTorqueMilliNm},
    {"Friction power", "mW", 2, &PerformanceUncertainty::frictionPowerMilliW},
    {"Shaft power", "mW", 2, &PerformanceUncertainty::shaftPowerMilliW},
    {"Mechanical efficiency", "%", 2, &PerformanceUncertainty::mechanicalEfficiencyPercent},
    {"Shaft efficiency", "%", 2, &PerformanceUncertainty::shaftEfficiencyPercent},
};

// Far enough for any figure the engine gives; beyond, a number is shown plainly.
constexpr int kMostDecimals = 9;

}  // namespace

int UncertaintyDecimals(double expanded, int usualDecimals) {
    if (!std::isfinite(expanded) || !(expanded > 0)) return usualDecimals;
    const int exponent = static_cast<int>(std::floor(std::log10(expanded)));
    // 9.96 rounds up to 10: one digit fewer then.
    int decimals = std::clamp(1 - exponent, 0, kMostDecimals);
    const double rounded = std::round(expanded * std::pow(10.0, decimals));
    if (rounded >= 100 && decimals > 0) --decimals;
    return decimals;
}

std::string UncertainText(const UncertainFigure& figure, std::string_view unit,
                          int usualDecimals, const text::NumberFormat& format) {
    const int decimals = UncertaintyDecimals(figure.expanded, usualDecimals);
    const auto shown = [&](double v) {
        return text::FixedText(v, decimals, format.decimalMark, format.grouping);
    };
    return shown(figure.value) + " \u00b1 " + shown(figure.expanded) + " " + std::string(unit) +
           " (k = 2)";
}

std::vector<NamedFigure> UncertainFigures(const PerformanceUncertainty& uncertainty) {
    std::vector<NamedFigure> named;
    for (const FigureName& n : kNames) {
        const auto& figure = uncertainty.*n.figure;
        if (figure) named.push_back({n.name, n.unit, n.usualDecimals, &*figure});
    }
    return named;
}

}  // namespace corvane::performance
