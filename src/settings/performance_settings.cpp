#include "settings/performance_settings.h"

#include <charconv>
#include <cmath>
#include <exception>

namespace corvane::settings {

namespace {

// A whole point-decimal number, not negative; nothing otherwise.
bool ReadStandardUncertainty(const std::string& text, double& value) {
    double parsed = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (error != std::errc() || stop != end || !std::isfinite(parsed) || parsed < 0) return false;
    value = parsed;
    return true;
}

}  // namespace

performance::UncertaintyBudget LoadUncertaintyBudget(const IniFile& ini) {
    performance::UncertaintyBudget budget;
    for (const BudgetKey& k : kBudgetKeys) {
        ReadStandardUncertainty(ini.ReadString(kPerformanceSection, k.key, ""), budget.*k.entry);
    }
    return budget;
}

performance::UncertaintyBudget LoadUncertaintyBudgetFile(const std::string& path) {
    try {
        return LoadUncertaintyBudget(IniFile(path));
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace corvane::settings
