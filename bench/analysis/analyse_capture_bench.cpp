// The whole analysis of a live grab (PV picture included) and of a live dyna,
// as the window runs it (with the text window's lines) and headless (without).
// Targets: in the window a grab under 1 ms, a dyna under 0.3 ms; headless a
// grab under 150 us, a dyna under 40 us (median, one core).

#include <benchmark/benchmark.h>

#include "analysis/analyse_capture.h"
#include "analysis/synthetic_engine.h"

namespace corvane::analysis {
namespace {

AnalysisInputs Inputs(bool buildLog = true) {
    AnalysisInputs inputs;
    inputs.buildLog = buildLog;
    inputs.disks = {{"200", "100", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}};
    inputs.format = text::PointComma();
    return inputs;
}

void BM_AnalyseGrab(benchmark::State& state) {
    auto record = testing::SteadyGrab(500);
    const AnalysisInputs inputs = Inputs(state.range(0) != 0);
    for (auto _ : state) {
        AnalysisResult result = AnalyseCapture(*record, inputs);
        if (!result.status.empty() || !result.pvPicture) state.SkipWithError("grab not analysed");
        benchmark::DoNotOptimize(result);
    }
}
// Argument: 1 with the text window's lines, 0 headless.
BENCHMARK(BM_AnalyseGrab)
    ->ArgName("log")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_AnalyseDyna(benchmark::State& state) {
    auto record = testing::AcceleratingDyna(200, 500);
    const AnalysisInputs inputs = Inputs(state.range(0) != 0);
    for (auto _ : state) {
        AnalysisResult result = AnalyseCapture(*record, inputs);
        if (!result.status.empty() || result.powerSeries.empty()) {
            state.SkipWithError("dyna not analysed");
        }
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_AnalyseDyna)
    ->ArgName("log")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace corvane::analysis
