// The Recorder window's figures, drawn for real on the offscreen platform:
// - cycle end to screen: the simulated engine in real time; for every cycle,
//   from the moment its last scan was taken to the moment its loop has been
//   drawn (target: at most 100 ms);
// - a two-hour recording opened, widgets and all (target: under 2 s);
// - one pan or zoom frame of the five trends over the two hours (target:
//   under 50 ms);
// - the window's memory after recording two simulated hours (target: grows
//   less than 30 MB).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "charts/graph_plot.h"
#include "daq/board_stream.h"
#include "daq/simulated_board.h"
#include "recording/recording_writer.h"
#include "ui/recorder/recorder_loops.h"
#include "ui/recorder/recorder_trends.h"
#include "ui/recorder/recorder_window.h"

namespace {

using namespace corvane;
using Clock = std::chrono::steady_clock;

constexpr double kTwoHoursS = 7200;

std::string TempFolder(const std::string& name) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("corvane-bench-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(path);
    return path.string();
}

std::string madeTwoHours;  // removed at the end

// Cycles of a 500 rpm engine for two hours with a mark every ten minutes.
const std::string& TwoHourRecording() {
    static const std::string folder = [] {
        const std::string path = TempFolder("window-two-hours");
        recording::RecordingWriter writer(path, recording::Manifest{"2026-12-08T19:30:00.000Z",
                                                                    {0, 4, 1000},
                                                                    "simulated",
                                                                    true,
                                                                    "bench",
                                                                    analysis::DiskTable(5),
                                                                    0});
        for (double t = 0; t < kTwoHoursS; t += 0.12) {
            writer.AddCycle({t, 500 + std::sin(t), 30, 250 + std::sin(t / 7), 295.0 + t / 600,
                             351.0 + t / 300, 4.0, std::fmod(t, 1200) > 300});
        }
        for (int mark = 1; mark < 12; ++mark) writer.AddEvent({mark * 600.0, "load step"});
        writer.Sync();
        madeTwoHours = path;
        return path;
    }();
    return folder;
}

double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

// Serves the window's events until they stop coming, sleeping between them.
// (processEvents with a time limit ignores WaitForMoreEvents: a loop of it
// spins a whole core, which the recording's own threads then miss.)
void ServeEvents() { QApplication::processEvents(QEventLoop::WaitForMoreEvents); }

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void DrawAll(ui::RecorderTrends& trends) {
    for (int c = 0; c < ui::RecorderTrends::kCharts; ++c) {
        trends.chart(c)->replot(QCustomPlot::rpImmediateRefresh);
    }
}

ui::RecorderSource SourceOf(daq::SimulatedBoard& board, double speedUp,
                            Clock::time_point* started = nullptr) {
    ui::RecorderSource source;
    source.openStream = [&board, speedUp, started] {
        daq::BoardStreamOptions options;
        options.speedUp = speedUp;
        // One second of real time: sped up 240 times, the default ten seconds
        // would be 24 MB of the stream's buffer, which is not the window's
        // memory (at speed-up 1 the ten seconds are 100 kB).
        options.bufferSeconds = 1.0;
        // The board's first scan comes after this, so the delays measured are
        // if anything too long.
        if (started) *started = Clock::now();
        return daq::OpenBoardStream(board, daq::StreamFormat{0, 4, 1000}, options);
    };
    source.manifest = [](const daq::StreamFormat& format) {
        return recording::Manifest{recording::UtcNow(),    format, "simulated", true, "bench",
                                   analysis::DiskTable(5), 0};
    };
    return source;
}

// Each cycle's delay from its last scan (on the engine's clock, started with
// the stream) to the end of the frame that drew its loop.
void BM_CycleEndToScreen(benchmark::State& state) {
    std::vector<double> delaysMs;
    for (auto _ : state) {
        daq::SimulatedBoard board;
        Clock::time_point started;
        ui::RecorderWindow window(SourceOf(board, 1.0, &started), {});
        window.setFolder(QString::fromStdString(TempFolder("latency")));
        const auto cleanUp = [&window] {
            std::filesystem::remove_all(window.folder().toStdString());
        };
        window.show();
        std::uint64_t drawnUpTo = 0;
        QObject::connect(window.loops(), &QCustomPlot::afterReplot, [&] {
            const auto& drawn = window.loops()->drawnCycles();
            const double now = std::chrono::duration<double>(Clock::now() - started).count();
            for (std::uint64_t n = drawnUpTo; !drawn.empty() && n <= drawn.back(); ++n) {
                if (n >= window.cycles().size()) break;
                const recording::CycleRow& c = window.cycles()[n];
                delaysMs.push_back((now - (c.timeS + 60 / c.rpm)) * 1000);
                drawnUpTo = n + 1;
            }
        });
        window.startRecording();
        QEventLoop running;
        QTimer::singleShot(std::chrono::seconds(state.range(0)), &running, &QEventLoop::quit);
        running.exec();
        window.stopRecording();
        while (window.recording()) ServeEvents();
        cleanUp();
    }
    std::sort(delaysMs.begin(), delaysMs.end());
    if (delaysMs.empty()) return state.SkipWithError("no cycle was drawn");
    state.counters["cycles"] = static_cast<double>(delaysMs.size());
    state.counters["median_ms"] = delaysMs[delaysMs.size() / 2];
    state.counters["p99_ms"] = delaysMs[delaysMs.size() * 99 / 100];
    state.counters["max_ms"] = delaysMs.back();
}
BENCHMARK(BM_CycleEndToScreen)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);

void BM_OpenTwoHourRecordingWindow(benchmark::State& state) {
    const QString folder = QString::fromStdString(TwoHourRecording());
    daq::SimulatedBoard board;
    ui::RecorderWindow window(SourceOf(board, 1.0), {});
    window.resize(1400, 900);
    window.show();
    Settle();
    for (auto _ : state) {
        if (!window.openRecording(folder)) return state.SkipWithError("not opened");
        DrawAll(*window.trends());
        window.powerCurve()->replot(QCustomPlot::rpImmediateRefresh);
        Settle();
    }
    state.counters["cycles"] = static_cast<double>(window.cycles().size());
}
BENCHMARK(BM_OpenTwoHourRecordingWindow)->Unit(benchmark::kMillisecond);

// One frame of a drag or zoom: the range moved on one graph, the others
// following, the series thinned for it and all five drawn.
void BM_PanZoomFrameTwoHours(benchmark::State& state) {
    daq::SimulatedBoard board;
    ui::RecorderWindow window(SourceOf(board, 1.0), {});
    window.resize(1400, 900);
    window.show();
    window.openRecording(QString::fromStdString(TwoHourRecording()));
    Settle();
    charts::GraphPlot* speed = window.trends()->chart(0);
    const double shownMinutes = static_cast<double>(state.range(0));
    double from = 0;
    for (auto _ : state) {
        from = std::fmod(from + 0.37, 120 - shownMinutes + 1e-9);
        speed->xAxis->setRange(from, from + shownMinutes);
        emit speed->scrolled();
        DrawAll(*window.trends());
    }
    state.counters["shown_min"] = shownMinutes;
}
BENCHMARK(BM_PanZoomFrameTwoHours)->Arg(1)->Arg(10)->Arg(120)->Unit(benchmark::kMillisecond);

// Two simulated hours recorded through the window (sped up), its resident
// memory before and after.
void BM_WindowMemoryTwoHours(benchmark::State& state) {
    const double speedUp = static_cast<double>(state.range(0));
    for (auto _ : state) {
        daq::EngineParameters parameters;
        parameters.run.speedUp = speedUp;
        daq::SimulatedBoard board(parameters);
        ui::RecorderWindow window(SourceOf(board, speedUp), {});
        window.setFolder(QString::fromStdString(TempFolder("memory")));
        window.resize(1400, 900);
        window.show();
        Settle();
        const double before = ResidentMegabytes();
        window.startRecording();
        // The window's poll timer brings an event every 25 ms.
        while (window.cycles().empty() || window.cycles().back().timeS < kTwoHoursS) ServeEvents();
        const double after = ResidentMegabytes();
        window.stopRecording();
        while (window.recording()) ServeEvents();
        state.counters["rss_growth_mb"] = after - before;
        state.counters["cycles"] = static_cast<double>(window.cycles().size());
        std::filesystem::remove_all(window.folder().toStdString());
    }
}
BENCHMARK(BM_WindowMemoryTwoHours)->Arg(240)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!madeTwoHours.empty()) std::filesystem::remove_all(madeTwoHours);
    return 0;
}
