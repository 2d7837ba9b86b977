#include "settings/calibration_settings.h"

#include <gtest/gtest.h>

#include "settings/performance_settings.h"

namespace corvane::settings {
namespace {

using performance::BenchSettings;

// Stored calibrations read back as the very numbers found, beside the
// section's other keys; the file's other lines are kept.
TEST(CalibrationSettings, CalibrationsRoundTripThroughTheFile) {
    IniFile ini = IniFile::FromText("x.ini", "; the lab's bench\r\n[Performance]\r\nPhaseUDeg=0.2\r\n");
    const BenchSettings defaults = LoadBenchSettings(ini);
    EXPECT_EQ(defaults.pressure.scale, 1.0);
    EXPECT_EQ(defaults.pressure.zeroVolts, 0.0);
    EXPECT_EQ(defaults.loopClosureLimitPercent, performance::kDefaultLoopClosureLimitPercent);
    for (const auto& [scale, zero, phase] : {std::tuple{1.0 / 3, -0.0123456789, 4.987654321},
                                             std::tuple{1.1, 0.1, -179.5}}) {
        StorePressureCalibration(ini, {scale, zero});
        StorePhaseOffset(ini, phase);
        StoreFriction(ini, {phase / 7, -scale, zero * zero, scale / 9});
        const IniFile reread = IniFile::FromText("x.ini", ini.Text());
        const BenchSettings bench = LoadBenchSettings(reread);
        EXPECT_EQ(bench.pressure.scale, scale);
        EXPECT_EQ(bench.pressure.zeroVolts, zero);
        EXPECT_EQ(bench.phaseOffsetDeg, phase);
        ASSERT_TRUE(bench.friction);
        EXPECT_EQ(bench.friction->aMilliNm, phase / 7);
        EXPECT_EQ(bench.friction->bMilliNmPerKrpm, -scale);
        EXPECT_EQ(bench.friction->aUMilliNm, zero * zero);
        EXPECT_EQ(bench.friction->bUMilliNmPerKrpm, scale / 9);
        EXPECT_EQ(bench.budget.phaseDeg, 0.2);
    }
    EXPECT_EQ(ini.Text().find("; the lab's bench\r\n[Performance]\r\nPhaseUDeg=0.2\r\n"), 0u);
}

// A key out of its range keeps its default; the defaults change nothing.
TEST(CalibrationSettings, KeysOutOfRangeKeepTheirDefaults) {
    constexpr double kLimit = performance::kDefaultLoopClosureLimitPercent;
    const struct {
        const char* line;
        double scale, zero, limit;
    } cases[] = {
        {"PressureScale=1.05", 1.05, 0, kLimit},
        {"PressureScale=0", 1, 0, kLimit},
        {"PressureScale=-1", 1, 0, kLimit},
        {"PressureScale=1,05", 1, 0, kLimit},
        {"PressureZeroVolts=-0.25", 1, -0.25, kLimit},
        {"PressureZeroVolts=nan", 1, 0, kLimit},
        {"LoopClosureLimitPercent=0.5", 1, 0, 0.5},
        {"LoopClosureLimitPercent=0", 1, 0, 0},
        {"LoopClosureLimitPercent=-0.5", 1, 0, kLimit},
        {"LoopClosureLimitPercent=inf", 1, 0, kLimit},
    };
    for (const auto& c : cases) {
        const IniFile ini = IniFile::FromText("x.ini", std::string("[Performance]\r\n") + c.line + "\r\n");
        const BenchSettings bench = LoadBenchSettings(ini);
        EXPECT_EQ(bench.pressure.scale, c.scale) << c.line;
        EXPECT_EQ(bench.pressure.zeroVolts, c.zero) << c.line;
        EXPECT_EQ(bench.loopClosureLimitPercent, c.limit) << c.line;
    }
}

}  // namespace
}  // namespace corvane::settings
