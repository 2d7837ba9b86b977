#include "daq/engine_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "analysis/capture_record.h"
#include "daq/run_scan.h"

namespace corvane::daq {
namespace {

constexpr double kLowK = 295.0;

EngineParameters WarmUp(double minutes) {
    EngineParameters parameters;
    parameters.run.warmUp = true;
    parameters.run.warmUpMinutes = minutes;
    return parameters;
}

// A run that is not warming up, stepped or drifting is the steady engine a
// Grab sees, second after second.
TEST(EngineRun, ASteadyRunIsTheGrabsEngine) {
    const EngineParameters parameters;
    const EngineModel steady(parameters);
    const auto truth = RunTruthOf(parameters, 5.0);
    ASSERT_EQ(truth.size(), 5u);
    for (const auto& row : truth) {
        EXPECT_EQ(row.rpm, parameters.rpm);
        EXPECT_NEAR(row.workMilliJ, steady.WorkPerCycleMicroJ() / 1000.0, 1e-12);
    }
}

// Switched on cold, the hot end rises toward the heater's temperature with
// the configured time constant, and the speed follows it up from standstill.
TEST(EngineRun, WarmUpRisesTowardTheSteadyStateWithItsTimeConstant) {
    const EngineParameters parameters = WarmUp(4.0);
    const double steadyK = EngineModel(parameters).HighTemperatureK();
    EngineRun run(parameters);
    EXPECT_EQ(run.State().highTemperatureK, kLowK);
    EXPECT_EQ(run.State().rpm, 0.0) << "a cold engine stands still";
    double lastRpm = 0.0;
    while (run.State().timeS < 240.0) {
        run.Advance();
        EXPECT_GE(run.State().rpm, lastRpm);
        lastRpm = run.State().rpm;
    }
    const double risen = (run.State().highTemperatureK - kLowK) / (steadyK - kLowK);
    EXPECT_NEAR(risen, 1.0 - std::exp(-1.0), 0.002) << "one time constant";
    while (run.State().timeS < 5 * 240.0) run.Advance();
    EXPECT_NEAR(run.State().highTemperatureK, steadyK, 0.01 * (steadyK - kLowK));
    EXPECT_NEAR(run.State().rpm, parameters.rpm, 0.02 * parameters.rpm);
}

// Steps take effect at their time; a hotter heater speeds the engine up, a
// heavier load slows it; the drift moves the hot end by its rate.
TEST(EngineRun, StepsAndDriftMoveTheEngineAsTold) {
    struct Case {
        const char* what;
        RunStep step;
        double driftKPerHour;
        double highKChange;  // after half an hour
        int rpmSign;
    } cases[] = {
        {"hotter heater", {600.0, 6.0, 1.0}, 0.0, 28.0, +1},
        {"heavier load", {600.0, 4.0, 3.0}, 0.0, 0.0, -1},
        {"drift", {1e6, 4.0, 1.0}, 3.0, 1.5, +1},
    };
    for (const Case& c : cases) {
        EngineParameters parameters;
        parameters.run.warmUpMinutes = 2.0;
        parameters.run.steps = {c.step};
        parameters.run.driftKPerHour = c.driftKPerHour;
        EngineRun run(parameters);
        const RunState start = run.State();
        double rpmBeforeStep = 0.0;
        while (run.State().timeS < 1800.0) {
            run.Advance();
            if (run.State().timeS == 599.0) rpmBeforeStep = run.State().rpm;
        }
        EXPECT_NEAR(run.State().highTemperatureK - start.highTemperatureK, c.highKChange, 0.01)
            << c.what;
        if (c.driftKPerHour == 0.0) {
            EXPECT_EQ(rpmBeforeStep, start.rpm) << c.what << ": nothing before its time";
        }
        EXPECT_EQ(run.State().rpm > start.rpm ? 1 : -1, c.rpmSign) << c.what;
    }
}

// The board's continuous scan turns the crank at the run's speed: the holes
// counted on the tachometer are the revolutions the truth says, through a
// warm-up; the same run gives the same samples, another seed others.
TEST(RunScan, TheTachometerCountsTheTruthsRevolutionsAndTheSeedFixesTheNoise) {
    EngineParameters parameters = WarmUp(0.5);
    const ScanRequest request{0, 4, 0, 1000};
    RunScan scan(parameters, request), again(parameters, request);
    parameters.seed = 2;
    RunScan other(parameters, request);
    long holes = 0;
    bool inHole = false;
    for (int block = 0; block < 600; ++block) {  // a minute
        const auto samples = scan.NextBlock();
        if (block == 0) {
            EXPECT_NE(samples, other.NextBlock());
        }
        ASSERT_EQ(samples, again.NextBlock());
        for (std::size_t i = 1; i < samples.size(); i += 5) {
            const bool dark = analysis::CountToVolts(samples[i]) < 2.3;
            holes += dark && !inHole;
            inHole = dark;
        }
    }
    double revolutions = 0.0;
    for (const auto& row : RunTruthOf(parameters, 60.0)) revolutions += row.rpm / 60.0;
    EXPECT_GT(revolutions, 100.0);
    EXPECT_NEAR(holes / 16.0, revolutions, 1.0);
}

TEST(RunTruth, WrittenAsCsvWithItsHeader) {
    std::ostringstream out;
    WriteRunTruthCsv(out, {{0.0, 500.0, 1.25}, {1.0, 512.5, 1.5}});
    EXPECT_EQ(out.str(), "time_s,rpm,work_mj\n0,500,1.25\n1,512.5,1.5\n");
}

// From standstill the flywheel takes its time, even when the hot end heats up
// at once: each second the speed closes at most 1 - exp(-1 s / lag) of its gap
// to the configured speed, the most it can settle at.
TEST(EngineRun, FromStandstillTheSpeedFollowsWithTheFlywheelsLag) {
    EngineParameters parameters = WarmUp(0.005);
    const double lag = EngineModel(parameters).Dyna().timeConstant;
    ASSERT_GT(lag, 1.0);
    const double closes = 1.0 - std::exp(-1.0 / lag);
    EngineRun run(parameters);
    double rpm = run.State().rpm;
    ASSERT_EQ(rpm, 0.0);
    while (run.State().timeS < 10.0) {
        run.Advance();
        EXPECT_LE(run.State().rpm, rpm + closes * (parameters.rpm - rpm) + 1e-9)
            << "at " << run.State().timeS << " s";
        rpm = run.State().rpm;
    }
    EXPECT_GT(rpm, 0.0);
}

// A stuck crank stands still for the whole run, though the heater gives the
// engine work to spare: warmed up or not, and with the heater stepped up later.
TEST(EngineRun, AStuckEngineNeverTurns) {
    for (const bool warmUp : {false, true}) {
        EngineParameters parameters;
        parameters.faults.stopped = true;
        parameters.run.warmUp = warmUp;
        parameters.run.warmUpMinutes = 0.1;
        parameters.run.steps = {{5.0, 8.0, 1.0}};
        ASSERT_GT(EngineModel(parameters).WorkPerCycleMicroJ(), 0.0);
        for (const auto& row : RunTruthOf(parameters, 20.0))
            ASSERT_EQ(row.rpm, 0.0) << "warm-up " << warmUp << " at " << row.timeS << " s";
    }
}

}  // namespace
}  // namespace corvane::daq
