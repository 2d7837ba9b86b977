// The recording pipeline (stream -> cycles -> files) on one core, fed the
// simulated engine's five channels as fast as it takes them. Target: at least
// 60 seconds of data per second (the counter data_s_per_s), and less than
// 10 MB more memory after two recorded hours than after the first minute
// (rss_growth_mb of BM_TwoHours); no scan lost from the simulated board's
// two-hour run sped up (lost_scans of BM_SimulatedTwoHours).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>

#include "daq/board_stream.h"
#include "daq/engine_model.h"
#include "daq/simulated_board.h"
#include "recording/recorder.h"
#include "text/converter_counts.h"

namespace corvane::recording {
namespace {

constexpr long kRate = 1000;
constexpr int kChannels = 5;
const daq::StreamFormat kFormat{0, 4, kRate};

// One minute of the steady engine with a little noise, given again and again
// with rising scan numbers, a tenth of a second per chunk.
class LoopedEngine : public daq::ScanStream {
public:
    explicit LoopedEngine(std::uint64_t scans) : scans_(scans) {
        const daq::EngineModel model{daq::EngineParameters{}};
        const std::uint64_t oneRevolution = 120;  // 500 rpm: whole revolutions repeat seamlessly
        minute_.reserve(60 * kRate * kChannels);
        for (std::uint64_t n = 0; n < 60 * kRate; ++n) {
            const double crank = model.SteadyCrankDeg(static_cast<double>(n % (oneRevolution * 500)) / kRate, 0);
            for (int c = 0; c < kChannels; ++c) {
                const double noise = ((n * 7 + static_cast<std::uint64_t>(c) * 13) % 5) * 0.002;
                minute_.push_back(text::VoltsToCount(model.ChannelVolts(c, crank) + noise));
            }
        }
    }
    daq::StreamFormat Format() const override { return kFormat; }
    daq::StreamChunk Read() override {
        if (next_ >= scans_) return {};
        daq::StreamChunk chunk;
        chunk.kind = daq::StreamChunk::Kind::Scans;
        chunk.firstScan = next_;
        const std::uint64_t at = next_ % (60 * kRate);
        const auto from = minute_.begin() + static_cast<std::ptrdiff_t>(at * kChannels);
        chunk.counts.assign(from, from + kRate / 10 * kChannels);
        next_ += kRate / 10;
        return chunk;
    }
    void Stop() override { next_ = scans_; }

private:
    std::vector<std::uint16_t> minute_;
    std::uint64_t scans_;
    std::uint64_t next_ = 0;
};

long ResidentKiB() {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

std::filesystem::path Folder(const char* name) {
    auto folder = std::filesystem::temp_directory_path() /
                  (std::string("corvane-bench-") + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(folder);
    return folder;
}

RecordingEnd RecordScans(std::uint64_t scans, const std::filesystem::path& folder,
                         const RecorderOptions& options = {}) {
    LoopedEngine stream(scans);
    Manifest manifest;
    manifest.format = kFormat;
    RecordingWriter writer(folder.string(), manifest);
    return Record(stream, writer, options);
}

void BM_RecordingPipeline(benchmark::State& state) {
    const auto folder = Folder("pipeline");
    const auto scans = static_cast<std::uint64_t>(state.range(0)) * kRate;
    for (auto _ : state) {
        const RecordingEnd end = RecordScans(scans, folder);
        if (end.failed || end.status.cycles == 0) state.SkipWithError("not recorded");
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        state.ResumeTiming();
    }
    state.counters["data_s_per_s"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecordingPipeline)->Arg(60)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CycleTracker(benchmark::State& state) {
    LoopedEngine stream(60 * kRate);
    std::vector<daq::StreamChunk> chunks;
    for (auto chunk = stream.Read(); chunk.kind == daq::StreamChunk::Kind::Scans; chunk = stream.Read())
        chunks.push_back(std::move(chunk));
    std::vector<CycleRow> cycles;
    for (auto _ : state) {
        CycleTracker tracker(kFormat);
        cycles.clear();
        for (const auto& chunk : chunks) tracker.Add(chunk.firstScan, chunk.counts, cycles);
        benchmark::DoNotOptimize(cycles.data());
    }
    state.counters["data_s_per_s"] =
        benchmark::Counter(60.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CycleTracker)->Unit(benchmark::kMillisecond);

// Two hours at full speed: memory after the first minute against the end.
void BM_TwoHours(benchmark::State& state) {
    const auto folder = Folder("two-hours");
    long afterMinute = 0, atEnd = 0;
    for (auto _ : state) {
        RecorderOptions options;
        options.cycle = [&](const CycleRow& row) {
            if (afterMinute == 0 && row.timeS >= 60) afterMinute = ResidentKiB();
        };
        const RecordingEnd end = RecordScans(2 * 3600 * kRate, folder, options);
        atEnd = ResidentKiB();
        if (end.failed) state.SkipWithError(end.message.c_str());
        state.counters["bytes_per_hour_mb"] = static_cast<double>(end.status.bytes) / 2 / 1e6;
        std::filesystem::remove_all(folder);
    }
    state.counters["rss_growth_mb"] = static_cast<double>(atEnd - afterMinute) / 1024;
    state.counters["data_s_per_s"] = benchmark::Counter(7200.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TwoHours)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Two hours of the simulated board's run, sped up, through its stream: the
// scans it lost (target 0) and the memory the recording grew by.
void BM_SimulatedTwoHours(benchmark::State& state) {
    const auto folder = Folder("simulated");
    daq::EngineParameters parameters;
    parameters.run.speedUp = static_cast<double>(state.range(0));
    parameters.run.warmUp = true;
    for (auto _ : state) {
        daq::SimulatedBoard board(parameters);
        // Two seconds of the clock to fall behind by, as a board at its own pace has.
        daq::BoardStreamOptions buffer;
        buffer.bufferSeconds = 2 * parameters.run.speedUp;
        const auto stream = daq::OpenBoardStream(board, kFormat, buffer);
        long afterMinute = 0;
        RecorderOptions options;
        options.scanLimit = 2 * 3600 * kRate;
        options.cycle = [&](const CycleRow& row) {
            if (afterMinute == 0 && row.timeS >= 60) afterMinute = ResidentKiB();
        };
        Manifest manifest;
        manifest.format = kFormat;
        RecordingWriter writer(folder.string(), manifest);
        const RecordingEnd end = Record(*stream, writer, options);
        if (end.failed) state.SkipWithError(end.message.c_str());
        state.counters["lost_scans"] = static_cast<double>(end.status.lostScans);
        state.counters["scans"] = static_cast<double>(end.status.scans);
        state.counters["cycles"] = static_cast<double>(end.status.cycles);
        state.counters["rss_growth_mb"] = static_cast<double>(ResidentKiB() - afterMinute) / 1024;
        std::filesystem::remove_all(folder);
    }
}
BENCHMARK(BM_SimulatedTwoHours)->Arg(100)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace corvane::recording
