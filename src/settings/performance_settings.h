#pragma once
// The [Performance] section's uncertainty budget: the standard uncertainties
// the engine-performance figures are given with. A key that is missing, not a
// number (point decimal) or negative keeps its default.

#include "performance/performance.h"
#include "settings/ini_file.h"

namespace corvane::settings {

inline constexpr const char* kPerformanceSection = "Performance";

struct BudgetKey {
    const char* key;
    double performance::UncertaintyBudget::*entry;
};

// The keys in the order a settings file lists them.
inline constexpr BudgetKey kBudgetKeys[] = {
    {"PressureScaleUPercent", &performance::UncertaintyBudget::pressureScalePercent},
    {"PressureZeroUKpa", &performance::UncertaintyBudget::pressureZeroKpa},
    {"PhaseUDeg", &performance::UncertaintyBudget::phaseDeg},
    {"GeometryUPercent", &performance::UncertaintyBudget::geometryPercent},
    {"TemperatureUK", &performance::UncertaintyBudget::temperatureK},
    {"HeaterPowerUPercent", &performance::UncertaintyBudget::heaterPowerPercent},
    {"InertiaUPercent", &performance::UncertaintyBudget::inertiaPercent},
};

inline constexpr const char* kPhaseOffsetKey = "PhaseOffset";  // degrees, any sign
// The friction from a coast-down, a + b x n / 1000: mN m and mN m per 1000 rpm.
// Unknown (neither key a number) by default; a missing one of the two counts 0.
inline constexpr const char* kFrictionAKey = "FrictionA";
inline constexpr const char* kFrictionBKey = "FrictionB";
// Their standard uncertainties, as corvane-calibrate friction gives them; a
// key missing, not a number or negative counts 5 % of its figure.
inline constexpr const char* kFrictionAUKey = "FrictionAU";
inline constexpr const char* kFrictionBUKey = "FrictionBU";
inline constexpr double kDefaultFrictionUPercent = 5.0;

performance::UncertaintyBudget LoadUncertaintyBudget(const IniFile& ini);
// The budget and the calibrations.
performance::BenchSettings LoadBenchSettings(const IniFile& ini);

// Those of a settings file the user named (a tool's --settings); a file that
// cannot be read gives the defaults (the disk table's load reports it).
performance::BenchSettings LoadBenchSettingsFile(const std::string& path);

}  // namespace corvane::settings
