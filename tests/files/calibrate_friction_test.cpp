// corvane-calibrate friction end to end, on coast-downs of the simulated engine.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "temp_dir.h"

namespace corvane::files {
namespace {

using testing::ToolRun;

ToolRun RunIn(const testing::TempDir& dir, const char* tool, const std::string& arguments) {
    return testing::RunIn(dir, "'" + std::string(tool) + "'", arguments);
}

// The number after the key in the simulator's one-line JSON truth.
double TruthOf(const std::string& json, const std::string& key) {
    return std::stod(json.substr(json.find("\"" + key + "\": ") + key.size() + 4));
}

// The fields of the file's line, after its name.
std::string LineOf(const std::string& out, const std::string& name) {
    const std::size_t at = out.find("\r\n" + name + ",") + name.size() + 3;
    return out.substr(at, out.find("\r\n", at) - at);
}

// A coast-down gives a and b within 5 % of the engine's; a grab, a dyna
// speeding up and a missing file are refused, each with its reason.
TEST(CalibrateTool, FrictionOfCoastDowns) {
    const testing::TempDir dir;
    const ToolRun coast =
        RunIn(dir, CORVANE_SIMULATE_TOOL, "dyna --coast-down --rpm 700 --load 1.5 -o coast.csv");
    ASSERT_EQ(coast.status, 0);
    for (const char* arguments : {"grab -o grab.csv", "dyna -o dyna.csv"}) {
        ASSERT_EQ(RunIn(dir, CORVANE_SIMULATE_TOOL, arguments).status, 0) << arguments;
    }
    const ToolRun run =
        RunIn(dir, CORVANE_CALIBRATE_TOOL, "friction coast.csv grab.csv dyna.csv gone.csv");
    EXPECT_EQ(run.status, 1);
    const std::string& out = run.out;
    ASSERT_EQ(out.rfind("file,friction_a_mnm,friction_b_mnm_per_krpm,rpm_from,rpm_to,"
                        "friction_a_u_mnm,friction_b_u_mnm_per_krpm\r\n"
                        "coast.csv,",
                        0),
              0u)
        << out;
    const std::string fields = LineOf(out, "coast.csv");
    double a = 0, b = 0, from = 0, to = 0, aU = 0, bU = 0;
    ASSERT_EQ(std::sscanf(fields.c_str(), "%lf,%lf,%lf,%lf,%lf,%lf", &a, &b, &from, &to, &aU, &bU),
              6)
        << fields;
    // The fit's standard uncertainties: there, and small beside the figures.
    EXPECT_GT(aU, 0.0);
    EXPECT_LT(aU, 0.05 * a);
    EXPECT_GT(bU, 0.0);
    EXPECT_LT(bU, 0.05 * b);
    EXPECT_NEAR(a, TruthOf(coast.out, "friction_a_mnm"), 0.05 * 1.5);
    const double b0 = TruthOf(coast.out, "friction_b_mnm_per_krpm");
    EXPECT_NEAR(b, b0, 0.05 * b0);
    EXPECT_GT(from, 600.0);
    EXPECT_LT(to, from);
    EXPECT_NE(out.find("\r\ngrab.csv,,,,,,\r\ndyna.csv,,,,,,\r\ngone.csv,,,,,,\r\n"),
              std::string::npos)
        << out;
    for (const char* reason : {"grab.csv: a grab: a coast-down is a dyna capture",
                               "dyna.csv: the engine did not slow down", "gone.csv: "}) {
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
    EXPECT_EQ(RunIn(dir, CORVANE_CALIBRATE_TOOL, "friction").status, 2);
}

}  // namespace
}  // namespace corvane::files
