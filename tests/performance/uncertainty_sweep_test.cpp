// The uncertainty budget checked against a Monte-Carlo trial: 200 simulated
// grabs, each from a bench whose transducer scale and zero, crank phase,
// swept volume, temperatures and heater power are off by errors drawn from the
// budget, evaluated as if all were nominal. The truth must lie inside +- U in
// about 95 % of the runs, and U must match twice the spread of the errors.
//
// Errors that are normal fall inside +- 2 sd 95.45 % of the time, so 200 runs
// count 190.9 inside on average with a binomial scatter of 2.9: a sound
// budget falls short of 190 (95 %) in about a third of the seeds. The count
// is held to the one-sided 95 % bound of that scatter instead, which a budget
// 10 % too small misses. CORVANE_MONTE_CARLO_RUNS asks for a longer trial
// (2000 runs: about 10 s), whose bound lies closer to 95 %.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <random>

#include "daq/engine_model.h"
#include "daq/simulated_board.h"
#include "daq/capture_transaction.h"
#include "performance/performance.h"

namespace corvane::performance {
namespace {

int Runs() {
    const char* asked = std::getenv("CORVANE_MONTE_CARLO_RUNS");
    const int runs = asked ? std::atoi(asked) : 0;
    return runs >= 100 ? runs : 200;
}
const int kRuns = Runs();
constexpr double kNormalCoverage = 95.45;  // P(|x| <= 2 sd)

// The least share inside that a sound budget reaches in 95 % of trials.
double LeastCoverage() {
    const double p = kNormalCoverage / 100;
    return 100 * (p - 1.645 * std::sqrt(p * (1 - p) / kRuns));
}

struct Trial {
    double error = 0.0;     // measured - truth
    double expanded = 0.0;  // U
};

struct Tally {
    int inside = 0;
    double squares = 0.0, sumU = 0.0;
    void Add(const Trial& t) {
        inside += std::abs(t.error) <= t.expanded ? 1 : 0;
        squares += t.error * t.error;
        sumU += t.expanded;
    }
    double Coverage() const { return 100.0 * inside / kRuns; }
    // Mean U over twice the errors' root mean square.
    double Ratio() const { return (sumU / kRuns) / (2 * std::sqrt(squares / kRuns)); }
};

struct Bench {
    daq::EngineParameters parameters;
    double lowK = 0, highK = 0, heaterW = 0;  // as the monitor reports them
};

Bench DrawBench(std::mt19937_64& random, const UncertaintyBudget& b, std::uint64_t seed) {
    std::normal_distribution<double> unit(0.0, 1.0);
    Bench bench;
    bench.parameters.seed = seed;
    bench.parameters.instantScans = true;
    bench.parameters.transducerScale = 1 + unit(random) * b.pressureScalePercent / 100;
    bench.parameters.transducerZeroVolts = unit(random) * b.pressureZeroKpa * 0.4;
    bench.parameters.phaseOffsetDeg = unit(random) * b.phaseDeg;
    bench.parameters.sweptVolumeScale = 1 + unit(random) * b.geometryPercent / 100;
    const daq::EngineModel model(bench.parameters);
    bench.lowK = model.LowTemperatureK() + unit(random) * b.temperatureK;
    bench.highK = model.HighTemperatureK() + unit(random) * b.temperatureK;
    bench.heaterW = model.HeaterPowerW() * (1 + unit(random) * b.heaterPowerPercent / 100);
    return bench;
}

struct Evaluation {
    PerformanceResult result;
    daq::EngineModel model;
};

Evaluation Evaluate(const Bench& bench, const UncertaintyBudget& budget) {
    daq::SimulatedBoard board(bench.parameters);
    auto record = std::make_unique<analysis::CaptureRecord>();
    EXPECT_EQ(daq::TakeCapture(board, analysis::CaptureKind::Grab, *record), 0);
    record->LoTemp = bench.lowK;
    record->HiTemp = bench.highK;
    record->ResistorPower = bench.heaterW;
    return {AnalysePerformance(*record, {}, text::PointComma(), BenchSettings{budget, 0.0, {}}),
            daq::EngineModel(bench.parameters)};
}

Trial TrialOf(const std::optional<UncertainFigure>& figure, double truth) {
    EXPECT_TRUE(figure.has_value());
    if (!figure) return {};
    return {figure->value - truth, figure->expanded};
}

TEST(UncertaintyValidation, BudgetCoversTheTruthAndMatchesTheMonteCarloSpread) {
    UncertaintyBudget budget;  // the documented defaults
    std::mt19937_64 random(23);
    Tally power, work, efficiency, carnot;
    for (int run = 0; run < kRuns; ++run) {
        const Bench bench = DrawBench(random, budget, 1000 + static_cast<std::uint64_t>(run));
        const Evaluation r = Evaluate(bench, budget);
        ASSERT_EQ(r.result.status, Status::Evaluated) << "run " << run;
        const auto& u = r.result.uncertainty;
        const double truthPower = r.model.IndicatedPowerMilliW();
        const double truthCarnot = 100 * (1 - r.model.LowTemperatureK() / r.model.HighTemperatureK());
        power.Add(TrialOf(u.indicatedPowerMilliW, truthPower));
        work.Add(TrialOf(u.workMilliJ, r.model.WorkPerCycleMicroJ() / 1000));
        efficiency.Add(TrialOf(u.indicatedEfficiencyPercent,
                               100 * truthPower / 1000 / r.model.HeaterPowerW()));
        carnot.Add(TrialOf(u.carnotPercent, truthCarnot));
    }
    std::printf("%d runs; coverage held to %.1f %%\n", kRuns, LeastCoverage());
    std::printf("figure                 coverage  U / (2 x rms error)\n");
    const struct {
        const char* name;
        const Tally& tally;
    } rows[] = {{"work per cycle", work},
                {"indicated power", power},
                {"indicated efficiency", efficiency},
                {"Carnot limit", carnot}};
    for (const auto& row : rows) {
        std::printf("%-22s %6.1f %%  %6.3f\n", row.name, row.tally.Coverage(), row.tally.Ratio());
        EXPECT_GE(row.tally.Coverage(), LeastCoverage()) << row.name;
        EXPECT_NEAR(row.tally.Ratio(), 1.0, 0.10) << row.name;
    }
}

}  // namespace
}  // namespace corvane::performance
