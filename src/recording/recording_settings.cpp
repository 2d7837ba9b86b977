#include "recording/recording_settings.h"

#include <charconv>
#include <cmath>
#include <string>

namespace corvane::recording {

namespace {

struct Key {
    const char* name;
    double SteadyCriteria::*value;
};

constexpr Key kKeys[] = {
    {"SteadyWindowSeconds", &SteadyCriteria::windowSeconds},
    {"SteadyRpmPerMinute", &SteadyCriteria::rpmPerMinute},
    {"SteadyHighTempKPerMinute", &SteadyCriteria::highTempKPerMinute},
    {"SteadyPowerPercentPerMinute", &SteadyCriteria::powerPercentPerMinute},
};

double PositiveOr(const std::string& text, double fallback) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        value <= 0) {
        return fallback;
    }
    return value;
}

std::string Text(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

SteadyCriteria LoadSteadyCriteria(const settings::IniFile& ini) {
    SteadyCriteria criteria;
    for (const Key& key : kKeys) {
        criteria.*key.value =
            PositiveOr(ini.ReadString(kRecordingSection, key.name, ""), criteria.*key.value);
    }
    return criteria;
}

void SaveSteadyCriteria(settings::IniFile& ini, const SteadyCriteria& criteria) {
    for (const Key& key : kKeys) ini.WriteString(kRecordingSection, key.name, Text(criteria.*key.value));
}

}  // namespace corvane::recording
