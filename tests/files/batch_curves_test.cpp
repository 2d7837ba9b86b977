// corvane-batch --curves end to end, on captures of the simulated engine.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "temp_dir.h"

namespace corvane::files {
namespace {

using testing::ToolRun;

ToolRun RunIn(const testing::TempDir& dir, const char* tool, const std::string& arguments) {
    return testing::RunIn(dir, "'" + std::string(tool) + "'", arguments);
}

void Simulate(const testing::TempDir& dir) {
    std::filesystem::create_directories(dir.File("in/sub"));
    std::filesystem::create_directories(dir.File("out"));
    std::filesystem::create_directories(dir.File("other"));
    for (const char* arguments : {"dyna --rpm 700 -o in/d1.csv", "grab -o in/g.csv",
                                  "dyna --rpm 400 -o other/d1.csv"}) {
        ASSERT_EQ(RunIn(dir, CORVANE_SIMULATE_TOOL, arguments).status, 0) << arguments;
    }
}

// A dyna's curve beside the results, which stay as a run without curves writes them.
TEST(BatchCurves, EachDynaGetsItsCurveFile) {
    const testing::TempDir dir;
    Simulate(dir);
    ASSERT_EQ(RunIn(dir, CORVANE_BATCH_TOOL, "-o plain.csv in/d1.csv in/g.csv").status, 0);
    const ToolRun run = RunIn(dir, CORVANE_BATCH_TOOL, "--curves out -o r.csv in/d1.csv in/g.csv");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(testing::ReadText(dir.File("r.csv")), testing::ReadText(dir.File("plain.csv")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/g.curve.csv")));
    const std::string curve = testing::ReadText(dir.File("out/d1.curve.csv"));
    ASSERT_EQ(curve.rfind("time_ms,rpm,torque_mnm,power_mw,torque_u_mnm,power_u_mw\r\n", 0), 0u);
    EXPECT_GT(std::count(curve.begin(), curve.end(), '\n'), 200);
    // The first point: its speed below the free-running 700 rpm, its torque and band positive.
    double t = 0, rpm = 0, torque = 0, power = 0, torqueU = 0, powerU = 0;
    ASSERT_EQ(std::sscanf(curve.c_str() + curve.find('\n') + 1, "%lf,%lf,%lf,%lf,%lf,%lf", &t,
                          &rpm, &torque, &power, &torqueU, &powerU),
              6);
    EXPECT_GT(rpm, 200);
    EXPECT_LT(rpm, 700);
    EXPECT_GT(torque, 0);
    EXPECT_GT(torqueU, 0);
    EXPECT_LT(torqueU, 0.2 * torque);
    // The power's band is the torque's times the speed, both rounded to their last digit.
    const double omega = power / torque;
    EXPECT_NEAR(powerU, torqueU * omega, 0.0005 * omega + 0.005);
}

// Refused before anything is evaluated: DIR not a folder, DIR an input or
// inside one (-r), whether named on the command line or in a list, two
// captures of one NAME.
TEST(BatchCurves, RefusedFolders) {
    const testing::TempDir dir;
    Simulate(dir);
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"--curves nowhere in/d1.csv", "\"nowhere\" is not a folder"},
        {"--curves in/d1.csv in/d1.csv", "\"in/d1.csv\" is not a folder"},
        {"--curves in in", "\"in\" is also one of the files and folders to be evaluated"},
        {"--curves ./in/ in/d1.csv in/", "is also one of the files and folders"},
        {"-r --curves in/sub in", "\"in/sub\" is also inside a folder to be evaluated (-r)"},
        {"--curves out in/d1.csv other/d1.csv", "would both have the curve file"},
        // A folder named in a list is an input like one on the command line.
        {"--files-from list.txt --curves in", "\"in\" is also one of the files and folders"},
        {"-r --files-from list.txt --curves in/sub", "\"in/sub\" is also inside a folder"},
    };
    std::ofstream(dir.File("list.txt")) << "in\n";
    for (const auto& c : cases) {
        const ToolRun run = RunIn(dir, CORVANE_BATCH_TOOL, std::string("-o r.csv ") + c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("r.csv"))) << c.arguments;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("out")));
    // Not -r: a sub-folder of a folder named is not read, so it may take the curves.
    EXPECT_EQ(RunIn(dir, CORVANE_BATCH_TOOL, "--curves in/sub in").status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.File("in/sub/d1.curve.csv")));
}

}  // namespace
}  // namespace corvane::files
