#include "settings/performance_settings.h"

#include <gtest/gtest.h>

namespace corvane::settings {
namespace {

// Each key read on its own: a good value replaces the default, anything else keeps it.
TEST(PerformanceSettings, BudgetKeysReadOrKeepTheirDefaults) {
    const performance::UncertaintyBudget defaults;
    const struct {
        const char* value;
        bool taken;
        double expected;
    } cases[] = {
        {"0.25", true, 0.25}, {"0", true, 0.0},      {"3", true, 3.0},
        {"-1", false, 0},     {"0,5", false, 0},     {"abc", false, 0},
        {"", false, 0},       {"1.5 %", false, 0},   {"inf", false, 0},
    };
    for (const BudgetKey& k : kBudgetKeys) {
        for (const auto& c : cases) {
            const IniFile ini = IniFile::FromText(
                "x.ini", std::string("[Performance]\r\n") + k.key + "=" + c.value + "\r\n");
            const performance::UncertaintyBudget budget = LoadUncertaintyBudget(ini);
            EXPECT_EQ(budget.*k.entry, c.taken ? c.expected : defaults.*k.entry)
                << k.key << "=" << c.value;
            for (const BudgetKey& other : kBudgetKeys) {
                if (other.entry != k.entry) {
                    EXPECT_EQ(budget.*other.entry, defaults.*other.entry);
                }
            }
        }
    }
    EXPECT_EQ(LoadBenchSettingsFile("/nonexistent/folder/x.ini").budget.phaseDeg,
              defaults.phaseDeg);
}

// The phase offset takes any sign; what is not a number leaves it at 0.
TEST(PerformanceSettings, PhaseOffsetRoundTrip) {
    IniFile ini = IniFile::FromText("x.ini", "[Performance]\r\nAveragedLoop=Yes\r\n");
    EXPECT_EQ(LoadBenchSettings(ini).phaseOffsetDeg, 0.0);
    for (const char* value : {"-4.75", "5", "0.125"}) {
        ini.WriteString(kPerformanceSection, kPhaseOffsetKey, value);
        const IniFile reread = IniFile::FromText("x.ini", ini.Text());
        EXPECT_EQ(LoadBenchSettings(reread).phaseOffsetDeg, std::stod(value)) << value;
    }
    ini.WriteString(kPerformanceSection, kPhaseOffsetKey, "5 deg");
    EXPECT_EQ(LoadBenchSettings(ini).phaseOffsetDeg, 0.0);
}

}  // namespace
}  // namespace corvane::settings
