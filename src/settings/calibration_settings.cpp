#include "settings/calibration_settings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "settings/performance_settings.h"

namespace corvane::settings {

namespace {

std::optional<double> ReadNumber(const IniFile& ini, const char* key) {
    const std::string text = ini.ReadString(kPerformanceSection, key, "");
    double parsed = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (error != std::errc() || stop != end || !std::isfinite(parsed)) return std::nullopt;
    return parsed;
}

void WriteNumber(IniFile& ini, const char* key, double value) {
    std::array<char, 32> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    (void)error;  // the shortest form of a double fits in 32 characters
    ini.WriteString(kPerformanceSection, key, std::string(text.data(), end));
}

}  // namespace

void LoadPressureSettings(const IniFile& ini, performance::BenchSettings& bench) {
    if (const auto scale = ReadNumber(ini, kPressureScaleKey); scale && *scale > 0)
        bench.pressure.scale = *scale;
    if (const auto zero = ReadNumber(ini, kPressureZeroKey)) bench.pressure.zeroVolts = *zero;
    if (const auto limit = ReadNumber(ini, kLoopClosureLimitKey); limit && *limit >= 0)
        bench.loopClosureLimitPercent = *limit;
}

void StorePressureCalibration(IniFile& ini, const performance::PressureCalibration& calibration) {
    WriteNumber(ini, kPressureScaleKey, calibration.scale);
    WriteNumber(ini, kPressureZeroKey, calibration.zeroVolts);
}

void StorePhaseOffset(IniFile& ini, double offsetDeg) {
    WriteNumber(ini, kPhaseOffsetKey, offsetDeg);
}

void StoreFriction(IniFile& ini, const performance::FrictionModel& friction) {
    WriteNumber(ini, kFrictionAKey, friction.aMilliNm);
    WriteNumber(ini, kFrictionBKey, friction.bMilliNmPerKrpm);
    // The fit's own uncertainties go with it: an earlier fit's would not fit this one.
    WriteNumber(ini, kFrictionAUKey, friction.aUMilliNm);
    WriteNumber(ini, kFrictionBUKey, friction.bUMilliNmPerKrpm);
}

}  // namespace corvane::settings
