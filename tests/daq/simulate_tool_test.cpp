// corvane-simulate end to end: the file it writes reads back through the
// capture-file reader, and the analysis of that file agrees with the truth the
// tool prints.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analyse_capture.h"
#include "files/capture_import.h"
#include "temp_dir.h"

namespace {

using namespace corvane;

struct ToolRun {
    int status = -1;
    std::string out;
};

ToolRun Simulate(const std::string& arguments) {
    const std::string command = std::string(CORVANE_SIMULATE) + " " + arguments + " 2>/dev/null";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

double NumberAt(const std::string& json, const std::string& key) {
    const auto at = json.find("\"" + key + "\": ");
    if (at == std::string::npos) return std::nan("");
    return std::strtod(json.c_str() + at + key.size() + 4, nullptr);
}

std::vector<double> ArrayAt(const std::string& json, const std::string& key) {
    std::vector<double> values;
    auto at = json.find("\"" + key + "\": [");
    if (at == std::string::npos) return values;
    const char* p = json.c_str() + at + key.size() + 5;
    while (*p != ']' && *p != '\0') {
        char* end = nullptr;
        values.push_back(std::strtod(p, &end));
        p = end;
        if (*p == ',') ++p;
    }
    return values;
}

using corvane::testing::ReadText;
using corvane::testing::TempDir;

analysis::AnalysisResult Evaluate(const std::string& path, analysis::DiskTable& disks) {
    analysis::CaptureRecord record;
    files::ImportCaptureFile(path, record, disks, [](auto, auto&) {});
    analysis::AnalysisInputs inputs;
    inputs.disks = disks;
    inputs.format = text::PointComma();
    return analysis::AnalyseCapture(record, inputs);
}

TEST(SimulateTool, GrabFileAnalysesToTheIndicatedPowerItPrints) {
    const TempDir dir;
    const std::string file = dir.File("grab650.csv");
    const ToolRun run = Simulate("grab --rpm 650 --seed 7 -o " + file);
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\"kind\": \"grab\""), std::string::npos) << run.out;
    EXPECT_EQ(NumberAt(run.out, "rpm"), 650.0);
    const double truth = NumberAt(run.out, "indicated_power_mw");
    ASSERT_GT(truth, 0.0);

    analysis::DiskTable disks(5);
    const auto result = Evaluate(file, disks);
    EXPECT_EQ(result.status, "");
    EXPECT_NEAR(result.indicatedPowerMicroW / 1000.0, truth, 0.08 * truth);
    EXPECT_NEAR(result.rpm, 650.0, 650.0 * 1.5 / 92.0);

    // Seeded: the same seed writes the same file, another seed another one.
    const std::string again = dir.File("grab650b.csv"), other = dir.File("grab650c.csv");
    ASSERT_EQ(Simulate("grab --rpm 650 --seed 7 -o " + again).status, 0);
    ASSERT_EQ(Simulate("grab --rpm 650 --seed 8 -o " + other).status, 0);
    EXPECT_EQ(ReadText(file), ReadText(again));
    EXPECT_NE(ReadText(file), ReadText(other));
}

TEST(SimulateTool, DynaFileCarriesTheFlywheelAndMatchesTheTruth) {
    const TempDir dir;
    const std::string file = dir.File("dyna.csv");
    const ToolRun run = Simulate("dyna --seed 3 -o " + file);
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\"kind\": \"dyna\""), std::string::npos);
    const double inertia = NumberAt(run.out, "moment_of_inertia_gm2");
    const auto t = ArrayAt(run.out, "t_ms"), rpm = ArrayAt(run.out, "rpm"),
               torque = ArrayAt(run.out, "torque_mnm"), power = ArrayAt(run.out, "power_mw");
    ASSERT_EQ(t.size(), 400u);
    EXPECT_EQ(rpm.size(), t.size());
    EXPECT_EQ(torque.size(), t.size());
    EXPECT_EQ(power.size(), t.size());
    EXPECT_EQ(t[1] - t[0], 10.0);

    analysis::DiskTable disks(5);
    const auto result = Evaluate(file, disks);
    ASSERT_EQ(result.status, "");
    EXPECT_NEAR(analysis::TotalMomentOfInertia(disks, text::PointComma()), inertia, 1e-12);
    ASSERT_FALSE(result.smoothedTorqueSeries.empty());
    // The model's torque averaged over the span of the smoothed points.
    const double from = result.smoothedTorqueSeries.front().x,
                 to = result.smoothedTorqueSeries.back().x;
    double sum = 0.0;
    int n = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] >= from && t[i] <= to) {
            sum += torque[i];
            ++n;
        }
    }
    ASSERT_GT(n, 0);
    EXPECT_NEAR(result.averageTorque, sum / n, 0.25 * sum / n);
}

TEST(SimulateTool, RefusesWhatItCannotDo) {
    const TempDir dir;
    const std::string file = dir.File("never.csv");
    std::filesystem::remove(file);
    EXPECT_EQ(Simulate("grab --fault unplugged -o " + file).status, 2);
    EXPECT_FALSE(std::filesystem::exists(file)) << "no file from an unplugged board";
    EXPECT_NE(Simulate("grab --fault smoke -o " + file).status, 0);
    EXPECT_NE(Simulate("spin -o " + file).status, 0);
    EXPECT_NE(Simulate("grab").status, 0) << "the output file is required";
    EXPECT_NE(Simulate("grab -o /nonexistent-folder/x.csv").status, 0);
}

// NaN passes every range check, and "-1" would become seed 2^64 - 1: each is
// a usage error, not a capture made quietly with other values.
TEST(SimulateTool, RefusesNonFiniteNumbersAndNegativeSeeds) {
    const TempDir dir;
    const std::string file = dir.File("refused.csv");
    for (const std::string option : {"--rpm nan", "--rpm inf", "--noise nan", "--noise -nan",
                                     "--heater NaN", "--load 1e999", "--seed -1",
                                     "--seed 18446744073709551616", "--seed 99999999999999999999"}) {
        std::filesystem::remove(file);
        const ToolRun run = Simulate("grab " + option + " -o " + file);
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_EQ(run.out, "") << option;
        EXPECT_FALSE(std::filesystem::exists(file)) << option;
    }
    EXPECT_EQ(Simulate("grab --seed 18446744073709551615 -o " + file).status, 0);
}

// Speeds whose captures the analysis may not evaluate are written with a warning.
TEST(SimulateTool, WarnsAboveTheEvaluableSpeed) {
    const TempDir dir;
    const std::string file = dir.File("fast.csv");
    const std::string errors = dir.File("errors.txt");
    for (const auto& [rpm, warned] : {std::pair{"1000", false}, std::pair{"1500", true}}) {
        const int status = std::system((std::string(CORVANE_SIMULATE) + " grab --rpm " + rpm +
                                        " -o " + file + " >/dev/null 2>" + errors)
                                           .c_str());
        EXPECT_EQ(status, 0) << rpm;
        EXPECT_EQ(corvane::testing::ReadText(errors).find("warning: above 1000 rpm") != std::string::npos,
                  warned)
            << rpm;
    }
}

}  // namespace
