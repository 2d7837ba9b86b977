// A two-hour recording's stream from the simulated engine, sped up: every scan
// the board took reaches the reader (target: 0 missing, checked against the
// board's own count), and an overrun the board is told to cause is one gap of
// its length. Counters: scans read, scans missing, the board's scans, gaps,
// the injected gap's first scan and length; the time is the sped-up run's.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "daq/board_stream.h"
#include "daq/simulated_board.h"

namespace corvane::daq {
namespace {

constexpr double kRunSeconds = 2 * 3600.0;
constexpr double kSpeedUp = 400.0;  // two hours in 18 s

struct Outcome {
    std::uint64_t scans = 0, missing = 0, gaps = 0, firstGap = 0, firstGapLength = 0;
    bool failed = false;
};

Outcome ReadRun(ScanStream& stream, std::uint64_t scansWanted) {
    Outcome outcome;
    const auto channels = static_cast<std::size_t>(stream.Format().Channels());
    std::uint64_t next = 0;
    while (next < scansWanted) {
        const StreamChunk chunk = stream.Read();
        if (chunk.kind == StreamChunk::Kind::Scans) {
            next = chunk.firstScan + chunk.counts.size() / channels;
            outcome.scans += chunk.counts.size() / channels;
        } else if (chunk.kind == StreamChunk::Kind::Gap) {
            if (outcome.gaps++ == 0) {
                outcome.firstGap = chunk.firstScan;
                outcome.firstGapLength = chunk.lostScans;
            }
            outcome.missing += chunk.lostScans;
            next = chunk.firstScan + chunk.lostScans;
        } else {
            outcome.failed = true;
            break;
        }
    }
    return outcome;
}

// Argument: the second at which the board overruns for half a second; 0: none.
void BM_TwoHourRecording(benchmark::State& state) {
    EngineParameters parameters;
    parameters.run.warmUp = true;
    parameters.run.steps = {{3600.0, 5.0, 1.0}};
    parameters.run.speedUp = kSpeedUp;
    if (state.range(0) > 0) {
        parameters.run.overrunAtS = static_cast<double>(state.range(0));
        parameters.run.overrunS = 0.5;
    }
    const StreamFormat format;  // the five engine channels at 1000 scans/s
    const auto wanted = static_cast<std::uint64_t>(kRunSeconds * format.rate);
    for (auto _ : state) {
        SimulatedBoard board(parameters);
        // A minute of scans: a reader sharing a busy machine may fall that far behind.
        auto stream = OpenBoardStream(board, format, {60.0, std::chrono::milliseconds(2)});
        const Outcome outcome = ReadRun(*stream, wanted);
        short status = kIdle;
        long count = 0, index = 0;
        board.cbGetStatus(0, &status, &count, &index, kAiFunction);
        stream->Stop();
        const std::uint64_t injected = state.range(0) > 0 ? 500 : 0;
        if (outcome.failed) state.SkipWithError("the stream failed");
        if (outcome.missing != injected || outcome.scans + outcome.missing < wanted ||
            static_cast<std::uint64_t>(count / format.Channels()) < outcome.scans + outcome.missing)
            state.SkipWithError("scans missing, or more read than the board took");
        state.counters["scans"] = static_cast<double>(outcome.scans);
        state.counters["missing"] = static_cast<double>(outcome.missing);
        state.counters["board_scans"] = static_cast<double>(count / format.Channels());
        state.counters["gaps"] = static_cast<double>(outcome.gaps);
        state.counters["gap_at"] = static_cast<double>(outcome.firstGap);
        state.counters["gap_scans"] = static_cast<double>(outcome.firstGapLength);
    }
}
BENCHMARK(BM_TwoHourRecording)
    ->ArgName("overrun_at_s")
    ->Arg(0)
    ->Arg(1800)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
}  // namespace corvane::daq
