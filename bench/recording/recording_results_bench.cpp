// A two-hour recording as the Recorder window meets it: opened (the folder
// read, every cycle's steady flag turned into operating points, the whole
// run thinned for drawing), then panned and zoomed (one graph's series thinned
// for the range shown). Targets: open under 2 s; a pan or zoom well under
// 50 ms for all eight series.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "recording/operating_points.h"
#include "recording/recording_reader.h"
#include "recording/recording_writer.h"
#include "recording/trend_decimation.h"

namespace {

using namespace corvane::recording;

constexpr double kTwoHoursS = 7200;

// Cycles of a 500 rpm engine for two hours (the samples are left out: opening
// reads only their length).
const std::string& TwoHourRecording() {
    static const std::string folder = [] {
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("corvane-bench-two-hours-" + std::to_string(::getpid())))
                                     .string();
        std::filesystem::remove_all(path);
        RecordingWriter writer(path, Manifest{"2026-12-08T19:30:00.000Z", {0, 4, 1000}, "simulated",
                                              true, "bench", corvane::analysis::DiskTable(5), 0});
        for (double t = 0; t < kTwoHoursS; t += 0.12) {
            writer.AddCycle({t, 500 + std::sin(t), 30, 250 + std::sin(t / 7), 295.0, 351.0, 4.0,
                             std::fmod(t, 1200) > 300});
        }
        for (int mark = 1; mark < 12; ++mark) writer.AddEvent({mark * 600.0, "load step"});
        writer.Sync();
        return path;
    }();
    return folder;
}

void ThinAll(const std::vector<double>& t, const std::vector<double>& v, double from, double to,
             benchmark::State& state) {
    for (int series = 0; series < 8; ++series) {
        benchmark::DoNotOptimize(Decimate(t, v, from, to, 1000));
    }
    state.counters["points"] = static_cast<double>(t.size());
}

void BM_OpenTwoHourRecording(benchmark::State& state) {
    const std::string& folder = TwoHourRecording();
    for (auto _ : state) {
        const RecordingContents contents = ReadRecording(folder);
        std::vector<double> t, rpm;
        for (const CycleRow& c : contents.cycles) {
            t.push_back(c.timeS / 60);
            rpm.push_back(c.rpm);
        }
        for (const Stretch& s : SteadyStretches(contents.cycles, 30.0)) {
            benchmark::DoNotOptimize(OperatingPointOf(contents.cycles, s, false));
        }
        ThinAll(t, rpm, 0, t.back(), state);
    }
}
BENCHMARK(BM_OpenTwoHourRecording)->Unit(benchmark::kMillisecond);

void BM_PanOrZoomTwoHourRecording(benchmark::State& state) {
    const RecordingContents contents = ReadRecording(TwoHourRecording());
    std::vector<double> t, rpm;
    for (const CycleRow& c : contents.cycles) {
        t.push_back(c.timeS / 60);
        rpm.push_back(c.rpm);
    }
    double from = 0;
    for (auto _ : state) {
        from = std::fmod(from + 7.3, 100);  // a different 20 minutes each time
        ThinAll(t, rpm, from, from + state.range(0), state);
    }
}
BENCHMARK(BM_PanOrZoomTwoHourRecording)->Arg(1)->Arg(20)->Arg(120)->Unit(benchmark::kMillisecond);

}  // namespace
