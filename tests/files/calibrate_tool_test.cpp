// corvane-calibrate end to end, on motored captures of the simulated engine.

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"

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

}  // namespace
}  // namespace corvane::files
