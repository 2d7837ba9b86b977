// Capture-file reading and the batch evaluation, on simulated grab captures.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/capture_record.h"
#include "files/batch.h"
#include "files/capture_reader.h"
#include "files/capture_writer.h"
#include "files/headless_evaluation.h"
#include "synthetic_capture.h"

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

// 1000-line grab files of engines between 300 and 420 rpm.
std::vector<std::string> GrabFiles(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const fs::path path = BenchDir() / ("grab" + std::to_string(i) + ".CSV");
        paths.push_back(path.string());
        if (fs::exists(path)) continue;
        const double rpm = 300.0 + (i % 7) * 20.0;
        auto record = testing::MakeGrab({.startRpm = rpm, .endRpm = rpm}, 1000);
        files::WriteCaptureFile(path.string(), *record, analysis::DiskTable(5));
    }
    return paths;
}

void BM_ReadGrabFile(benchmark::State& state) {
    const std::string path = GrabFiles(1).front();
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
BENCHMARK(BM_ReadGrabFile);

void BM_BatchOfGrabFiles(benchmark::State& state) {
    const std::vector<std::string> paths = GrabFiles(static_cast<int>(state.range(0)));
    const std::string results = (BenchDir() / "results.CSV").string();
    for (auto _ : state) {
        files::HeadlessEvaluation evaluation(analysis::DiskTable(5));
        files::RunBatchToFile(results, paths,
                              [&](const std::string& path) { return evaluation.Evaluate(path); });
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BatchOfGrabFiles)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(BenchDir(), ignored);
    return 0;
}
