// The whole engine-performance evaluation of a live grab (2000 values: every
// cycle, the averaged loop, efficiency, every figure's uncertainty) and of a
// live dyna (4000 samples: the local fit at every flywheel hole, the curve's
// scatter). Target: each under 0.5 ms on one core.

#include <benchmark/benchmark.h>

#include "analysis/synthetic_engine.h"
#include "performance/performance.h"

namespace corvane::performance {
namespace {

const analysis::DiskTable kDisks{{"200", "100", ""}, {"", "", ""}, {"", "", ""}};

void Evaluate(benchmark::State& state, const analysis::CaptureRecord& record) {
    for (auto _ : state) {
        PerformanceResult result = AnalysePerformance(record, kDisks, text::PointComma());
        if (result.status != Status::Evaluated) state.SkipWithError("capture not evaluated");
        benchmark::DoNotOptimize(result);
    }
}

void BM_PerformanceGrab(benchmark::State& state) {
    auto record = analysis::testing::SteadyGrab(static_cast<double>(state.range(0)));
    record->ResistorPower = 4;
    record->LoTemp = 295;
    record->HiTemp = 351;
    Evaluate(state, *record);
}
BENCHMARK(BM_PerformanceGrab)
    ->Arg(500)
    ->Arg(900)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Speeding up from 200 rpm to the given speed: more holes, more fits.
void BM_PerformanceDyna(benchmark::State& state) {
    auto record = analysis::testing::AcceleratingDyna(200, static_cast<double>(state.range(0)));
    Evaluate(state, *record);
}
BENCHMARK(BM_PerformanceDyna)
    ->Arg(500)
    ->Arg(900)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace corvane::performance
