// Steady state judged from a run's cycles: a warm-up is flagged soon after
// it has really settled, a slow ramp never, a step clears the flag until the
// engine has settled again, and a gap starts the judgement afresh.

#include "recording/steady_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "daq/engine_run.h"
#include "recording/recording_settings.h"
#include "run_trace.h"

namespace corvane::recording {
namespace {

using testing::RunCourse;
using testing::RunCycles;

// The bench engine warming up after the heater is switched on: speed, high
// temperature and power approach their steady values with a time constant
// of minutes.
struct WarmUp {
    double tauS, rpmRise, tempRise, powerRise;
    double Approach(double rise, double t) const { return -rise * std::exp(-t / tauS); }
    // When the true drift of every quantity has fallen below its criterion.
    double SettledS(const SteadyCriteria& c, double power) const {
        const auto below = [&](double rise, double perMinute) {
            const double rate = rise / (tauS / 60);  // per minute at t = 0
            return rate <= perMinute ? 0.0 : tauS * std::log(rate / perMinute);
        };
        return std::max({below(rpmRise, c.rpmPerMinute), below(tempRise, c.highTempKPerMinute),
                         below(powerRise, c.powerPercentPerMinute / 100 * power)});
    }
};

double FirstSteadyS(const std::vector<CycleRow>& cycles, const std::vector<bool>& flags) {
    const auto it = std::find(flags.begin(), flags.end(), true);
    return it == flags.end() ? -1 : cycles[static_cast<std::size_t>(it - flags.begin())].timeS;
}

double SteadyShareAfter(const std::vector<CycleRow>& cycles, const std::vector<bool>& flags,
                        double fromS) {
    int after = 0, steady = 0;
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        if (cycles[i].timeS < fromS) continue;
        ++after;
        steady += flags[i] ? 1 : 0;
    }
    return after ? static_cast<double>(steady) / after : 0.0;
}

TEST(SteadyState, AWarmUpIsFlaggedWithinTwoMinutesOfItsSettling) {
    const SteadyCriteria criteria;
    for (const WarmUp warmUp : {WarmUp{180, 150, 60, 20}, WarmUp{300, 250, 80, 30},
                                WarmUp{600, 100, 40, 10}}) {
        const RunCourse course{
            [&](double t) { return 500 + warmUp.Approach(warmUp.rpmRise, t); },
            [&](double t) { return 40 + warmUp.Approach(warmUp.powerRise, t); },
            [&](double t) { return 360 + warmUp.Approach(warmUp.tempRise, t); }};
        const auto cycles = RunCycles(course, 3600);
        const auto flags = SteadyFlags(cycles, criteria);
        const double settled = warmUp.SettledS(criteria, 40);
        const double first = FirstSteadyS(cycles, flags);
        SCOPED_TRACE(warmUp.tauS);
        EXPECT_GE(first, settled - 60);
        EXPECT_LE(first, settled + 120);
        // Close to the criteria the scatter of single cycles may clear the flag now and then.
        EXPECT_GT(SteadyShareAfter(cycles, flags, settled + 300), 0.9);
    }
}

// The simulated engine's warm-up, a second at a time, as its cycles would be.
struct SimulatedWarmUp {
    std::vector<daq::RunState> states;
    explicit SimulatedWarmUp(double seconds) {
        daq::EngineParameters parameters;
        parameters.run.warmUp = true;
        daq::EngineRun run(parameters);
        for (double t = 0; t < seconds; t += daq::kRunStepS, run.Advance()) states.push_back(run.State());
    }
    const daq::RunState& At(double t) const {
        return states[std::min(states.size() - 1, static_cast<std::size_t>(t))];
    }
    static double PowerMilliW(const daq::RunState& s) { return s.workMicroJ * s.rpm / 60 / 1000; }
    // From when on the true change of every quantity over each minute stays
    // within its criterion.
    double SettledS(const SteadyCriteria& c) const {
        double settled = 0;
        for (std::size_t i = 0; i + 60 < states.size(); ++i) {
            const daq::RunState &a = states[i], &b = states[i + 60];
            if (std::abs(b.rpm - a.rpm) >= c.rpmPerMinute ||
                std::abs(b.highTemperatureK - a.highTemperatureK) >= c.highTempKPerMinute ||
                std::abs(PowerMilliW(b) - PowerMilliW(a)) >=
                    c.powerPercentPerMinute / 100 * PowerMilliW(b)) {
                settled = static_cast<double>(i) + 30;  // the minute's middle
            }
        }
        return settled;
    }
};

TEST(SteadyState, TheSimulatedEnginesWarmUpIsFlaggedWithinTwoMinutesOfItsSettling) {
    const SimulatedWarmUp warmUp(3600);
    const RunCourse course{[&](double t) { return warmUp.At(t).rpm; },
                           [&](double t) { return SimulatedWarmUp::PowerMilliW(warmUp.At(t)); },
                           [&](double t) { return warmUp.At(t).highTemperatureK; }};
    const auto cycles = RunCycles(course, 3600);
    const SteadyCriteria criteria;
    const double settled = warmUp.SettledS(criteria);
    ASSERT_GT(settled, 300);  // it does warm up
    const double first = FirstSteadyS(cycles, SteadyFlags(cycles, criteria));
    RecordProperty("settled_s", std::to_string(settled));
    RecordProperty("first_steady_s", std::to_string(first));
    EXPECT_GE(first, settled - 60);
    EXPECT_LE(first, settled + 120);
}

TEST(SteadyState, ARampOfOnePercentAMinuteIsNeverSteady) {
    const auto steady = [](double value) { return [value](double) { return value; }; };
    const auto ramp = [](double value) {
        return [value](double t) { return value * (1 + 0.01 * t / 60); };
    };
    const RunCourse courses[] = {
        {ramp(500), steady(40), steady(360)},
        {steady(500), ramp(40), steady(360)},
        {steady(500), steady(40), ramp(360)},
        {ramp(500), ramp(40), ramp(360)},
        {ramp(300), ramp(15), ramp(330)},  // a slower, cooler engine
    };
    for (std::size_t i = 0; i < std::size(courses); ++i) {
        for (unsigned seed : {1u, 2u, 3u}) {
            const auto cycles = RunCycles(courses[i], 1800, seed);
            const auto flags = SteadyFlags(cycles, SteadyCriteria{});
            EXPECT_EQ(std::count(flags.begin(), flags.end(), true), 0) << "course " << i;
        }
    }
}

TEST(SteadyState, AStepClearsTheFlagUntilTheEngineHasSettledAgain) {
    // A load step at 20 minutes: the engine slows and makes more power.
    const double stepS = 1200;
    const RunCourse course{[&](double t) { return t < stepS ? 500.0 : 450.0; },
                           [&](double t) { return t < stepS ? 40.0 : 45.0; },
                           [](double) { return 360.0; }};
    const auto cycles = RunCycles(course, 2400);
    const auto flags = SteadyFlags(cycles, SteadyCriteria{});
    const auto flagAt = [&](double t) {
        const auto it = std::lower_bound(cycles.begin(), cycles.end(), t,
                                         [](const CycleRow& c, double s) { return c.timeS < s; });
        return static_cast<bool>(flags[static_cast<std::size_t>(it - cycles.begin())]);
    };
    EXPECT_TRUE(flagAt(stepS - 1));
    // Cleared once the window holding the step is whole, until three
    // windows after it agree.
    for (double t : {stepS + 31, stepS + 60, stepS + 89}) EXPECT_FALSE(flagAt(t)) << t;
    EXPECT_GT(SteadyShareAfter(cycles, flags, stepS + 120), 0.97);
}

TEST(SteadyState, AGapOrAStallStartsTheJudgementAfresh) {
    const RunCourse course{[](double) { return 500.0; }, [](double) { return 40.0; },
                           [](double) { return 360.0; }};
    auto cycles = RunCycles(course, 600);
    // Scans lost at 300 s: the judgement starts again from the next window.
    auto flags = SteadyFlags(cycles, SteadyCriteria{}, {300.0});
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        const double t = cycles[i].timeS;
        if (t > 120 && t < 300) {
            EXPECT_TRUE(flags[i]) << t;
        } else if (t >= 300 && t < 390) {
            EXPECT_FALSE(flags[i]) << t;
        } else if (t > 420) {
            EXPECT_TRUE(flags[i]) << t;
        }
    }
    // A window with hardly a cycle in it (the engine nearly stalled) too.
    auto nearlyStalled = RunCycles(course, 600);
    std::erase_if(nearlyStalled,
                  [](const CycleRow& c) { return c.timeS > 300.05 && c.timeS < 329.95; });
    flags = SteadyFlags(nearlyStalled, SteadyCriteria{});
    for (std::size_t i = 0; i < nearlyStalled.size(); ++i) {
        if (nearlyStalled[i].timeS >= 330 && nearlyStalled[i].timeS < 420) {
            EXPECT_FALSE(flags[i]) << nearlyStalled[i].timeS;
        }
    }
    // A stretch of windows without cycles (a stalled engine) does the same.
    std::erase_if(cycles, [](const CycleRow& c) { return c.timeS > 300 && c.timeS < 340; });
    flags = SteadyFlags(cycles, SteadyCriteria{});
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        if (cycles[i].timeS >= 340 && cycles[i].timeS < 420) {
            EXPECT_FALSE(flags[i]) << cycles[i].timeS;
        }
    }
}

TEST(SteadyState, ARunWithoutTemperaturesIsJudgedOnSpeedAndPower) {
    const RunCourse course{[](double) { return 500.0; }, [](double) { return 40.0; },
                           [](double) { return 360.0; }};
    auto cycles = RunCycles(course, 300);
    for (CycleRow& c : cycles) c.hiTempK.reset();
    const auto flags = SteadyFlags(cycles, SteadyCriteria{});
    EXPECT_GT(SteadyShareAfter(cycles, flags, 120), 0.99);
}

TEST(SteadyState, CriteriaComeFromTheRecordingSectionAndBadValuesKeepTheirDefaults) {
    const auto ini = settings::IniFile::FromText(
        "x.ini",
        "[Recording]\r\nSteadyWindowSeconds=20\r\nSteadyRpmPerMinute=abc\r\n"
        "SteadyHighTempKPerMinute=-1\r\nSteadyPowerPercentPerMinute=0.25\r\n");
    const SteadyCriteria read = LoadSteadyCriteria(ini);
    const SteadyCriteria defaults;
    EXPECT_EQ(read.windowSeconds, 20);
    EXPECT_EQ(read.rpmPerMinute, defaults.rpmPerMinute);
    EXPECT_EQ(read.highTempKPerMinute, defaults.highTempKPerMinute);
    EXPECT_EQ(read.powerPercentPerMinute, 0.25);

    auto written = settings::IniFile::FromText("y.ini", "");
    SaveSteadyCriteria(written, read);
    const SteadyCriteria back = LoadSteadyCriteria(written);
    EXPECT_EQ(back.windowSeconds, 20);
    EXPECT_EQ(back.rpmPerMinute, defaults.rpmPerMinute);
    EXPECT_EQ(back.powerPercentPerMinute, 0.25);
}

}  // namespace
}  // namespace corvane::recording
