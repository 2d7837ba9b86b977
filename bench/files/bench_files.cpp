// Capture-file reading and the batch evaluation, on grab and dyna captures of
// the simulated engine (noise on every channel, as a real board gives).
// Targets, one core: the reader at 1 GB/s or more on a grab file; a batch of
// grab files at 5,000 files/s or more, on 1 thread and, on two cores, 1.8
// times that on 2. Batches of 10,000 and 100,000 files: bench/batch-scale.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/capture_record.h"
#include "daq/simulated_board.h"
#include "daq/capture_transaction.h"
#include "files/batch.h"
#include "files/capture_reader.h"
#include "files/capture_writer.h"
#include "files/headless_evaluation.h"

namespace {

namespace fs = std::filesystem;
using namespace corvane;

fs::path BenchDir() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("corvane-bench-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// Captures of engines between 300 and 900 rpm, each with its own noise.
std::vector<std::string> CaptureFiles(analysis::CaptureKind kind, int count) {
    const std::string prefix = kind == analysis::CaptureKind::Grab ? "grab" : "dyna";
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const fs::path path = BenchDir() / (prefix + std::to_string(i) + ".CSV");
        paths.push_back(path.string());
        if (fs::exists(path)) continue;
        daq::EngineParameters parameters;
        parameters.rpm = 300.0 + (i * 37) % 600;
        parameters.seed = static_cast<std::uint64_t>(i) + 1;
        parameters.instantScans = true;
        daq::SimulatedBoard board(parameters);
        analysis::CaptureRecord record;
        if (daq::TakeCapture(board, kind, record) != 0) return {};
        files::WriteCaptureFile(path.string(), record, {{"200", "100", ""}, {}, {}, {}, {}});
    }
    return paths;
}

void BM_ReadCaptureFile(benchmark::State& state) {
    const auto kind = state.range(0) == 0 ? analysis::CaptureKind::Grab : analysis::CaptureKind::Dyna;
    const std::string path = CaptureFiles(kind, 1).front();
    auto record = std::make_unique<analysis::CaptureRecord>();
    analysis::DiskTable disks(5);
    const std::size_t fileSize = fs::file_size(path);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const files::OpenedCapture file = files::OpenCaptureFile(path);
        files::ReadCaptureData(file, *record, disks);
        bytes += fileSize;
        benchmark::DoNotOptimize(record->RawSamples.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
// Argument: 0 a grab file (73 KB), 1 a dyna file (196 KB).
BENCHMARK(BM_ReadCaptureFile)->ArgName("dyna")->Arg(0)->Arg(1);

// The whole batch as corvane-batch runs it: files read, analysed headless and
// written in input order to a results file. Arguments: files, threads.
void BM_BatchOfGrabFiles(benchmark::State& state) {
    const std::vector<std::string> paths =
        CaptureFiles(analysis::CaptureKind::Grab, static_cast<int>(state.range(0)));
    const std::string results = (BenchDir() / "results.CSV").string();
    files::BatchOptions options;
    options.threads = static_cast<int>(state.range(1));
    const files::MakeEvaluation evaluation = []() -> files::EvaluateCapture {
        auto headless = std::make_shared<files::HeadlessEvaluation>(analysis::DiskTable(5));
        return [headless](const std::string& path) { return headless->Evaluate(path); };
    };
    for (auto _ : state) files::RunBatchToFile(results, paths, evaluation, options);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BatchOfGrabFiles)
    ->ArgNames({"files", "threads"})
    ->Args({1000, 1})
    ->Args({1000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(BenchDir(), ignored);
    return 0;
}
