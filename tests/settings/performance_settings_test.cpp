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

// Friction is unknown until a key holds a number; a missing one of the pair
// counts 0; it round-trips through the file.
TEST(PerformanceSettings, FrictionRoundTripAndUnknownByDefault) {
    const struct {
        const char* a;
        const char* b;
        bool known;
        double expectedA, expectedB;
    } cases[] = {
        {nullptr, nullptr, false, 0, 0}, {"0.8", "1.25", true, 0.8, 1.25},
        {"0.8", nullptr, true, 0.8, 0},  {nullptr, "-0.5", true, 0, -0.5},
        {"x", "", false, 0, 0},          {"nan", "1 mNm", false, 0, 0},
    };
    for (const auto& c : cases) {
        IniFile ini = IniFile::FromText("x.ini", "[Performance]\r\nPhaseOffset=2\r\n");
        if (c.a) ini.WriteString(kPerformanceSection, kFrictionAKey, c.a);
        if (c.b) ini.WriteString(kPerformanceSection, kFrictionBKey, c.b);
        const auto friction = LoadBenchSettings(IniFile::FromText("x.ini", ini.Text())).friction;
        ASSERT_EQ(friction.has_value(), c.known) << (c.a ? c.a : "-") << " " << (c.b ? c.b : "-");
        if (!friction) continue;
        EXPECT_EQ(friction->aMilliNm, c.expectedA);
        EXPECT_EQ(friction->bMilliNmPerKrpm, c.expectedB);
    }
}

// The fit's uncertainties as stored; a key missing, not a number or negative
// counts 5 % of its figure (whatever the figure's sign).
TEST(PerformanceSettings, FrictionUncertaintiesOrFivePercent) {
    const struct {
        const char* aU;
        const char* bU;
        double expectedAU, expectedBU;
    } cases[] = {
        {"0.02", "0.125", 0.02, 0.125},
        {nullptr, nullptr, 0.04, 0.1},
        {"-1", "x", 0.04, 0.1},
        {"0", "", 0, 0.1},
    };
    for (const auto& c : cases) {
        IniFile ini =
            IniFile::FromText("x.ini", "[Performance]\r\nFrictionA=0.8\r\nFrictionB=-2\r\n");
        if (c.aU) ini.WriteString(kPerformanceSection, kFrictionAUKey, c.aU);
        if (c.bU) ini.WriteString(kPerformanceSection, kFrictionBUKey, c.bU);
        const auto friction = LoadBenchSettings(IniFile::FromText("x.ini", ini.Text())).friction;
        ASSERT_TRUE(friction.has_value());
        EXPECT_DOUBLE_EQ(friction->aUMilliNm, c.expectedAU) << (c.aU ? c.aU : "-");
        EXPECT_DOUBLE_EQ(friction->bUMilliNmPerKrpm, c.expectedBU) << (c.bU ? c.bU : "-");
    }
}

}  // namespace
}  // namespace corvane::settings
