#include "settings/performance_settings.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <optional>

#include "settings/calibration_settings.h"

namespace corvane::settings {

namespace {

// A whole point-decimal number; nothing otherwise.
std::optional<double> ReadNumber(const std::string& text) {
    double parsed = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (error != std::errc() || stop != end || !std::isfinite(parsed)) return std::nullopt;
    return parsed;
}

// A figure's standard uncertainty: the key's, or the default share of the figure.
double FrictionU(const IniFile& ini, const char* key, double figure) {
    const auto u = ReadNumber(ini.ReadString(kPerformanceSection, key, ""));
    return u && *u >= 0 ? *u : std::abs(figure) * kDefaultFrictionUPercent / 100;
}

// The friction when either of its keys holds a number.
std::optional<performance::FrictionModel> LoadFriction(const IniFile& ini) {
    const auto a = ReadNumber(ini.ReadString(kPerformanceSection, kFrictionAKey, ""));
    const auto b = ReadNumber(ini.ReadString(kPerformanceSection, kFrictionBKey, ""));
    if (!a && !b) return std::nullopt;
    performance::FrictionModel friction{a.value_or(0.0), b.value_or(0.0)};
    friction.aUMilliNm = FrictionU(ini, kFrictionAUKey, friction.aMilliNm);
    friction.bUMilliNmPerKrpm = FrictionU(ini, kFrictionBUKey, friction.bMilliNmPerKrpm);
    return friction;
}

}  // namespace

performance::UncertaintyBudget LoadUncertaintyBudget(const IniFile& ini) {
    performance::UncertaintyBudget budget;
    for (const BudgetKey& k : kBudgetKeys) {
        const auto value = ReadNumber(ini.ReadString(kPerformanceSection, k.key, ""));
        if (value && *value >= 0) budget.*k.entry = *value;
    }
    return budget;
}

performance::BenchSettings LoadBenchSettings(const IniFile& ini) {
    performance::BenchSettings bench;
    bench.budget = LoadUncertaintyBudget(ini);
    bench.phaseOffsetDeg =
        ReadNumber(ini.ReadString(kPerformanceSection, kPhaseOffsetKey, "")).value_or(0.0);
    LoadPressureSettings(ini, bench);
    bench.friction = LoadFriction(ini);
    return bench;
}

performance::BenchSettings LoadBenchSettingsFile(const std::string& path) {
    try {
        return LoadBenchSettings(IniFile(path));
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace corvane::settings
