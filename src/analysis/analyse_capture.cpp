#include "analysis/analyse_capture.h"

#include <algorithm>

#include "analysis/analysis_run.h"
#include "analysis/crank_cycle.h"
#include "analysis/dynamometer.h"
#include "analysis/flywheel_holes.h"
#include "analysis/pressure_channel.h"
#include "analysis/pv_picture.h"
#include "analysis/results_table.h"
#include "text/errors.h"
#include "text/format.h"

namespace corvane::analysis {

namespace {

void StartResultsTable(const CaptureRecord& record, const AnalysisInputs& inputs,
                       AnalysisResult& result) {
    for (int row = 0; row < kResultRows; ++row) {
        result.table[static_cast<std::size_t>(row)] = {FirstLabels()[static_cast<std::size_t>(row)],
                                                       ""};
    }
    // ShowEngineMonitor: rows 0..2, then the window lets pending events run.
    const auto monitor = EngineMonitorRows(record, inputs.format);
    std::copy(monitor.begin(), monitor.end(), result.table.begin());
    if (inputs.processEvents) inputs.processEvents();
}

void SplitChannels(CaptureRecord& record, AnalysisRun& run, AnalysisResult& result) {
    if (record.IsDyna) {
        run.ChannelLength = record.SampleCount;
        result.series2.reserve(static_cast<std::size_t>(record.SampleCount));
        for (long i = 0; i < record.SampleCount; ++i) {
            const double v = CountToVolts(RawAt(record, i));
            // In extended precision, rounded once: sample k lies on k ms at the
            // 1 ms period (in double, 9 x 0.001 x 1000 is 9.000000000000002).
            const double ms =
                static_cast<double>(static_cast<long double>(i + 1) * record.SamplePeriod * 1000);
            result.series2.push_back({ms, v});
            TraceAt(record.Tach, i + 1) = v;
        }
        return;
    }
    run.ChannelLength = record.SampleCount / 2;
    result.series1.reserve(static_cast<std::size_t>(record.SampleCount / 2 + 1));
    result.series2.reserve(static_cast<std::size_t>(record.SampleCount / 2));
    for (long i = 0; i < record.SampleCount; ++i) {
        if (i % 2 == 0) {
            const double p = PressureKpa(RawAt(record, i), run.MeanPressureVolts);
            result.series1.push_back(p);
            TraceAt(record.Pressure, i / 2 + 1) = p;
        } else {
            const double v = CountToVolts(RawAt(record, i));
            result.series2.push_back({static_cast<double>(result.series2.size()), v});
            TraceAt(record.Tach, i / 2 + 1) = v;
        }
    }
}

std::string PressureSwingText(const std::vector<double>& pressure, const text::NumberFormat& fmt) {
    double swing = 0.0;  // an empty series has 0 for both extremes
    if (!pressure.empty()) {
        const auto [lo, hi] = std::minmax_element(pressure.begin(), pressure.end());
        swing = *hi - *lo;
    }
    return text::FormatPressureSwing(swing, fmt) + " kPa";
}

double LargestX(const std::vector<Point>& points) {
    if (points.empty()) return 0.0;
    return std::max_element(points.begin(), points.end(),
                            [](const Point& a, const Point& b) { return a.x < b.x; })
        ->x;
}

void AnalyseGrabCycle(CaptureRecord& record, AnalysisRun& run, const AnalysisInputs& inputs,
                      AnalysisResult& result) {
    AssignCrankAngles(record, run, inputs.buildLog ? &result.log : nullptr);
    result.rpm = run.Rpm;
    result.series3 = PvPoints(record, run);

    // Made empty: MeasureLoop paints it white itself, once.
    result.pvPicture.emplace(PvPicture{std::vector<std::uint8_t>()});
    const LoopArea area = MeasureLoop(result.series3, *result.pvPicture);
    result.whiteCount = area.whiteCount;
    result.indicatedPowerMicroW = area.workMicroJ * run.Rpm / 60;

    result.table[kRowRpm] = {"RPM", text::FormatOneDecimal(run.Rpm, inputs.format)};
    result.table[kRowIndPwr] = {
        "Ind Pwr",
        text::FormatOneDecimal(result.indicatedPowerMicroW / 1000, inputs.format) + " mW"};
}

// The flywheel's holes found and one cycle measured from the wide ones; false,
// with the status saying why, when the capture holds no whole cycle.
bool MeasureCycle(CaptureRecord& record, const AnalysisInputs& inputs, AnalysisRun& run,
                  AnalysisResult& result) {
    std::vector<std::string>* log = inputs.buildLog ? &result.log : nullptr;
    if (log) log->emplace_back("FlyHoles: num, down, up, mid, width");
    DetectHoles(record, run.ChannelLength, log, result.series4);
    if (log) log->emplace_back(" ");
    FindWideHoles(record, run, log);
    result.series5 = WideHoleSpikes(record, run, LargestX(result.series2));

    if (run.WideCount < 2) {
        result.status = "Only one cycle";
        return false;
    }
    if (!WideHoleSpacingOk(run, log)) {
        result.status = "Bad red spikes";
        return false;
    }
    run.CyclePeriod = (run.CycleEnd - run.CycleStart) * record.SamplePeriod;
    if (run.CyclePeriod == 0) {
        result.status = "Bad RPM";
        return false;
    }
    return true;
}

void Run(CaptureRecord& record, const AnalysisInputs& inputs, AnalysisResult& result) {
    StartResultsTable(record, inputs, result);
    if (record.SampleCount == 0) {
        result.status = "No samples";
        return;
    }
    if (record.SampleCount < 0) throw RangeError();

    AnalysisRun run;
    run.MeanPressureVolts = MeanPressureVolts(record);
    SplitChannels(record, run, result);
    result.table[kRowPressure] = {"Press", PressureSwingText(result.series1, inputs.format)};
    if (!MeasureCycle(record, inputs, run, result)) return;
    AppendSpeedPoints(record, run, record.SamplePeriod, result.rpmPoints);

    if (record.IsDyna) {
        ComputePowerTorque(inputs, result);
    } else {
        AnalyseGrabCycle(record, run, inputs, result);
    }
}

// The speed graph's points before this run become the result's, which the
// run's own points join.
AnalysisResult Analyse(CaptureRecord& record, const AnalysisInputs& inputs,
                       std::vector<Point> speedPoints) {
    AnalysisResult result;
    result.rpmPoints = std::move(speedPoints);
    try {
        Run(record, inputs, result);
    } catch (const RangeError& e) {
        result.error = e.what();  // what was produced so far stands
    }
    return result;
}

}  // namespace

AnalysisResult AnalyseCapture(CaptureRecord& record, const AnalysisInputs& inputs) {
    return Analyse(record, inputs, inputs.rpmPoints);
}

AnalysisResult AnalyseCapture(CaptureRecord& record, AnalysisInputs&& inputs) {
    std::vector<Point> speedPoints = std::move(inputs.rpmPoints);
    return Analyse(record, inputs, std::move(speedPoints));
}

}  // namespace corvane::analysis
