// corvane-calibrate end to end, on motored captures of the simulated engine.

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"
#include "settings/calibration_settings.h"
#include "settings/performance_settings.h"

namespace corvane::files {
namespace {

using testing::ToolRun;

ToolRun RunIn(const testing::TempDir& dir, const char* tool, const std::string& arguments) {
    return testing::RunIn(dir, "'" + std::string(tool) + "'", arguments);
}

// Two motored grabs with injected offsets, a dyna and a missing file: a line
// each, the estimates within half a degree, the failures on standard error.
TEST(CalibrateTool, PhaseOffsetOfMotoredGrabs) {
    const testing::TempDir dir;
    for (const char* arguments : {"grab --heater 0 --phase-offset 5 --seed 3 -o plus5.csv",
                                  "grab --heater 0 --phase-offset -7.5 --rpm 800 -o minus7.csv",
                                  "dyna -o dyna.csv"}) {
        ASSERT_EQ(RunIn(dir, CORVANE_SIMULATE_TOOL, arguments).status, 0) << arguments;
    }
    const ToolRun run =
        RunIn(dir, CORVANE_CALIBRATE_TOOL, "phase plus5.csv minus7.csv dyna.csv gone.csv");
    EXPECT_EQ(run.status, 1);
    const std::string& out = run.out;
    ASSERT_EQ(out.rfind("file,phase_offset_deg,phase_offset_u_deg\r\nplus5.csv,", 0), 0u) << out;
    const auto field = [&](const std::string& name) {
        const std::size_t at = out.find("\r\n" + name + ",") + name.size() + 3;
        return std::stod(out.substr(at, out.find(',', at) - at));
    };
    EXPECT_NEAR(field("plus5.csv"), 5.0, 0.5) << out;
    EXPECT_NEAR(field("minus7.csv"), -7.5, 0.5) << out;
    EXPECT_NE(out.find("\r\ndyna.csv,,\r\ngone.csv,,\r\n"), std::string::npos) << out;
    EXPECT_NE(run.err.find("dyna.csv: a dyna: the phase needs a motored grab"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("gone.csv: "), std::string::npos) << run.err;

    EXPECT_EQ(RunIn(dir, CORVANE_CALIBRATE_TOOL, "phase").status, 2);
    EXPECT_EQ(RunIn(dir, CORVANE_CALIBRATE_TOOL, "").status, 2);
}

// Two known pressures and their readings give the scale and zero, stored in
// the settings file beside its other keys when asked; bad points say why.
TEST(CalibrateTool, PressureFromTwoKnownPressures) {
    const testing::TempDir dir;
    testing::WriteText(dir.File("lab.ini"), "[Performance]\r\nPhaseOffset=2\r\n");
    const ToolRun run = RunIn(dir, CORVANE_CALIBRATE_TOOL, "pressure 0=0.1 10=4.5 --store lab.ini");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "pressure_scale,pressure_zero_volts\r\n1.10000,0.1000\r\n");
    const auto bench = settings::LoadBenchSettingsFile(dir.File("lab.ini"));
    EXPECT_NEAR(bench.pressure.scale, 1.1, 1e-12);
    EXPECT_NEAR(bench.pressure.zeroVolts, 0.1, 1e-12);
    EXPECT_EQ(bench.phaseOffsetDeg, 2.0);

    ASSERT_EQ(RunIn(dir, CORVANE_SIMULATE_TOOL, "dyna -o dyna.csv").status, 0);
    ASSERT_EQ(RunIn(dir, CORVANE_SIMULATE_TOOL, "grab --fault stopped -o still.csv").status, 0);
    EXPECT_EQ(RunIn(dir, CORVANE_CALIBRATE_TOOL, "pressure 0=still.csv 50=20").status, 0);
    const struct {
        const char* arguments;
        const char* reason;
    } refused[] = {
        {"pressure 5=2 5=3", "no calibration: the two pressures must differ"},
        {"pressure 0=3 10=1", "no calibration: the two pressures must differ"},
        {"pressure 5 10=3", "5: give a point as KPA=VOLTS or KPA=CAPTURE"},
        {"pressure 0=dyna.csv 10=4", "dyna.csv: a dyna has no pressure channel"},
        {"pressure 0=gone.csv 10=4", "gone.csv"},
    };
    for (const auto& r : refused) {
        const ToolRun bad = RunIn(dir, CORVANE_CALIBRATE_TOOL, r.arguments);
        EXPECT_EQ(bad.status, 1) << r.arguments;
        EXPECT_NE(bad.err.find(r.reason), std::string::npos) << bad.err;
        EXPECT_EQ(bad.out, "") << r.arguments;
    }
    EXPECT_EQ(RunIn(dir, CORVANE_CALIBRATE_TOOL, "pressure 0=1").status, 2);
}

}  // namespace
}  // namespace corvane::files
