#include "performance/performance.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "analysis/crank_cycle.h"
#include "analysis/flywheel_holes.h"
#include "analysis/pressure_channel.h"
#include "performance/cycle_loop.h"
#include "performance/dyna_curve.h"
#include "performance/efficiency.h"
#include "performance/hole_timing.h"
#include "performance/monotone_cubic.h"
#include "performance/pointwise_curve.h"

namespace corvane::performance {

namespace {

using analysis::kDegreesPerHole;
using analysis::kHolesPerRevolution;

// The traces of one capture, 1-based like the record's (element 0 unused).
struct Traces {
    std::vector<double> tach;
    std::vector<double> pressure;  // a grab's, kPa relative to its mean
};

// The pressure through the transducer's calibration: its scale divides the
// swing; its zero leaves a pressure relative to the mean as it is.
Traces SplitChannels(const analysis::CaptureRecord& record, std::int32_t sampleCount,
                     const PressureCalibration& calibration) {
    Traces traces;
    if (record.IsDyna) {
        traces.tach.resize(static_cast<std::size_t>(sampleCount) + 1);
        for (std::int32_t k = 1; k <= sampleCount; ++k) {
            traces.tach[static_cast<std::size_t>(k)] =
                analysis::CountToVolts(record.RawSamples[static_cast<std::size_t>(k - 1)]);
        }
        return traces;
    }
    const std::int32_t length = sampleCount / 2;
    const double mean = analysis::MeanPressureVolts(record);
    traces.tach.resize(static_cast<std::size_t>(length) + 1);
    traces.pressure.resize(static_cast<std::size_t>(length) + 1);
    for (std::int32_t k = 1; k <= length; ++k) {
        const auto i = static_cast<std::size_t>(2 * k - 2);
        traces.pressure[static_cast<std::size_t>(k)] =
            analysis::PressureKpa(record.RawSamples[i], mean) / calibration.scale;
        traces.tach[static_cast<std::size_t>(k)] = analysis::CountToVolts(record.RawSamples[i + 1]);
    }
    return traces;
}

// The holes of one run and their crank angles in degrees, 0 at its first wide hole.
struct RunKnots {
    std::vector<double> centres;  // samples
    std::vector<double> degrees;
};

RunKnots KnotsOf(const RevolutionRun& run, const std::vector<double>& centres) {
    RunKnots knots;
    const int holes = kHolesPerRevolution * run.revolutions;
    for (int j = 0; j <= holes; ++j) {
        knots.centres.push_back(centres[static_cast<std::size_t>(run.firstWide + j)]);
        knots.degrees.push_back(j * kDegreesPerHole);
    }
    return knots;
}

double Mean(const std::vector<double>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

CycleSummary Summarise(const std::vector<CycleFigures>& cycles) {
    std::vector<double> rpm, work, power;
    for (const CycleFigures& c : cycles) {
        rpm.push_back(c.rpm);
        work.push_back(c.workMilliJ);
        power.push_back(c.indicatedPowerMilliW);
    }
    CycleSummary summary;
    summary.cycles = static_cast<int>(cycles.size());
    summary.meanRpm = Mean(rpm);
    summary.meanWorkMilliJ = Mean(work);
    summary.meanIndicatedPowerMilliW = Mean(power);
    if (power.size() >= 2) {
        double squares = 0.0;
        for (double p : power) {
            squares +=
                (p - summary.meanIndicatedPowerMilliW) * (p - summary.meanIndicatedPowerMilliW);
        }
        summary.indicatedPowerSdMilliW = std::sqrt(squares / static_cast<double>(power.size() - 1));
        if (summary.meanIndicatedPowerMilliW > 0) {
            summary.covPercent =
                100 * *summary.indicatedPowerSdMilliW / summary.meanIndicatedPowerMilliW;
        }
    }
    return summary;
}

struct CycleSamples {
    std::vector<double> angle, volume, pressure;
};

// The samples from the wide hole's centre up to, not including, the next one's:
// each sample belongs to one cycle. `m` counts the run's revolutions.
void TakeCycleSamples(const Traces& traces, const MonotoneCubic& crank, double start, double end,
                      int m, double phaseOffsetDeg, CycleSamples& samples) {
    samples.angle.clear();
    samples.volume.clear();
    samples.pressure.clear();
    for (auto k = static_cast<std::int32_t>(std::ceil(start)); k < end; ++k) {
        const double degrees = crank(k) - 360.0 * m;
        samples.angle.push_back(degrees);
        samples.volume.push_back(analysis::CylinderVolumeDouble(degrees + phaseOffsetDeg));
        samples.pressure.push_back(traces.pressure[static_cast<std::size_t>(k)]);
    }
}

CycleFigures FiguresOfCycle(const CycleSamples& samples, double start, double end, double period,
                            int number) {
    CycleFigures cycle;
    cycle.number = number;
    cycle.startMs = start * period * 1000;
    cycle.durationS = (end - start) * period;
    cycle.rpm = 60 / cycle.durationS;
    cycle.workMilliJ = LoopWorkMicroJ(samples.volume, samples.pressure) / 1000;
    cycle.indicatedPowerMilliW = cycle.workMilliJ / cycle.durationS;
    return cycle;
}

// The loop of the pressures averaged over the cycles at each whole degree.
void AppendAveragedLoop(const std::array<double, kDegreesPerCycle>& pressureSum,
                        PerformanceResult& result) {
    for (int d = 0; d < kDegreesPerCycle; ++d) {
        result.averagedLoop.push_back(
            {d, analysis::CylinderVolumeDouble(d + result.phaseOffsetDeg),
             pressureSum[static_cast<std::size_t>(d)] / static_cast<double>(result.cycles.size())});
    }
}

// The cycle's loop closure against the next revolution of its run, the run's
// mean revolution long.
std::optional<double> ClosureOfCycle(const Traces& traces, double start, double revolution,
                                     const std::array<double, kDegreesPerCycle>& atDegrees) {
    const auto [lowest, highest] = std::minmax_element(atDegrees.begin(), atDegrees.end());
    return LoopClosurePercent(traces.pressure, start, revolution, *highest - *lowest);
}

void AnalyseGrab(const Traces& traces, const Revolutions& revolutions,
                 const std::vector<double>& centres, double period, PerformanceResult& result) {
    std::array<double, kDegreesPerCycle> pressureSum{};
    CycleSamples samples;
    for (const RevolutionRun& run : revolutions.runs) {
        const RunKnots knots = KnotsOf(run, centres);
        const MonotoneCubic crank(knots.centres, knots.degrees);
        // The run's mean revolution: far steadier than any one's.
        const double revolution =
            (knots.centres.back() - knots.centres.front()) / run.revolutions;
        for (int m = 0; m < run.revolutions; ++m) {
            const double start = knots.centres[static_cast<std::size_t>(kHolesPerRevolution * m)];
            const double end =
                knots.centres[static_cast<std::size_t>(kHolesPerRevolution * (m + 1))];
            TakeCycleSamples(traces, crank, start, end, m, result.phaseOffsetDeg, samples);
            const auto atDegrees = PressureAtWholeDegrees(samples.angle, samples.pressure);
            for (std::size_t d = 0; d < atDegrees.size(); ++d) pressureSum[d] += atDegrees[d];
            result.cycleHarmonics.push_back(FirstHarmonic(atDegrees));
            result.cycles.push_back(FiguresOfCycle(samples, start, end, period,
                                                   static_cast<int>(result.cycles.size()) + 1));
            // Closed or not by the next revolution of the same run.
            if (m + 1 < run.revolutions)
                result.cycles.back().loopClosurePercent =
                    ClosureOfCycle(traces, start, revolution, atDegrees);
        }
    }
    result.summary = Summarise(result.cycles);
    AppendAveragedLoop(pressureSum, result);
}

void AnalyseDyna(const Revolutions& revolutions, const std::vector<double>& centres,
                 std::span<const std::int32_t> wide, double period, double inertia,
                 PerformanceResult& result) {
    std::vector<double> seconds, angle;
    for (const RevolutionRun& run : revolutions.runs) {
        const RunKnots knots = KnotsOf(run, centres);
        seconds.clear();
        angle.clear();
        for (std::size_t j = 0; j < knots.centres.size(); ++j) {
            seconds.push_back(knots.centres[j] * period);
            angle.push_back(knots.degrees[j] * std::numbers::pi / 180);
        }
        const auto points = DynaPoints({seconds, angle}, inertia);
        result.dynaPoints.insert(result.dynaPoints.end(), points.begin(), points.end());
    }
    DynaSummary summary;
    summary.momentOfInertiaGm2 = inertia;
    // Wide hole to wide hole is one revolution, whatever was seen between.
    const double runSeconds = (centres[static_cast<std::size_t>(wide.back())] -
                               centres[static_cast<std::size_t>(wide.front())]) *
                              period;
    summary.meanRpm = 60.0 * static_cast<double>(wide.size() - 1) / runSeconds;
    if (!result.dynaPoints.empty()) {
        // The highest point of the power curve.
        const auto best = std::max_element(
            result.dynaPoints.begin(), result.dynaPoints.end(),
            [](const DynaPoint& a, const DynaPoint& b) { return a.powerMilliW < b.powerMilliW; });
        summary.maxPowerMilliW = best->powerMilliW;
        summary.rpmAtMaxPower = best->rpm;
        summary.torqueAtMaxPowerMilliNm = best->torqueMilliNm;
        summary.timeAtMaxPowerMs = best->timeMs;
    }
    result.dyna = summary;
}

// Extreme inputs (a sample period of 1e-300 s) can carry a figure beyond the
// range of numbers; nothing then is shown rather than infinities.
bool AllFinite(const PerformanceResult& r) {
    bool finite = true;
    const auto check = [&](double v) { finite = finite && std::isfinite(v); };
    for (const CycleFigures& c : r.cycles) {
        for (double v : {c.startMs, c.durationS, c.rpm, c.workMilliJ, c.indicatedPowerMilliW,
                         c.loopClosurePercent.value_or(0)})
            check(v);
    }
    if (r.summary) {
        check(r.summary->meanRpm);
        check(r.summary->meanWorkMilliJ);
        check(r.summary->meanIndicatedPowerMilliW);
        check(r.summary->indicatedPowerSdMilliW.value_or(0));
        check(r.summary->covPercent.value_or(0));
    }
    for (const LoopPoint& p : r.averagedLoop) check(p.pressureKpa);
    for (const DynaPoint& p : r.dynaPoints) {
        for (double v : {p.timeMs, p.rpm, p.angularSpeed, p.angularAcceleration, p.torqueMilliNm,
                         p.powerMilliW}) {
            check(v);
        }
    }
    if (r.dyna) check(r.dyna->meanRpm);
    return finite;
}

// Fills the result's figures and says how far the evaluation got.
Status Evaluate(const analysis::CaptureRecord& record, const analysis::DiskTable& disks,
                const text::NumberFormat& format, const PressureCalibration& pressure,
                PerformanceResult& result) {
    const std::int32_t sampleCount = record.SampleCount;
    if (sampleCount <= 0) return Status::NoSamples;
    if (sampleCount > analysis::kRawCapacity) return Status::TooManySamples;
    const double period = record.SamplePeriod;
    if (!std::isfinite(period) || !(period > 0)) return Status::BadSamplePeriod;

    const Traces traces = SplitChannels(record, sampleCount, pressure);
    const std::vector<analysis::FlyHole> holes = analysis::FindHoles(traces.tach);
    const auto holeCount = static_cast<std::int32_t>(holes.size() - 1);
    if (holeCount == 0) return Status::NotTurning;
    const std::vector<std::int32_t> wide = analysis::FindWideHoleIndices(holes, holeCount, nullptr);
    if (wide.size() < 2) return Status::NoCompleteRevolution;
    const Revolutions revolutions = CountedRevolutions(wide);
    result.skippedRevolutions = revolutions.skipped;
    if (revolutions.runs.empty()) return Status::HolesMissed;

    const std::vector<double> centres = HoleCentres(traces.tach, holes);
    if (!record.IsDyna) {
        AnalyseGrab(traces, revolutions, centres, period, result);
        result.meanGaugePressureKpa = GaugeKpa(pressure, analysis::MeanPressureVolts(record));
        result.efficiency = EfficiencyOf(record.ResistorPower, record.LoTemp, record.HiTemp,
                                         result.summary->meanIndicatedPowerMilliW);
        return Status::Evaluated;
    }
    const double inertia = analysis::TotalMomentOfInertia(disks, format);
    if (!std::isfinite(inertia) || !(inertia > 0)) return Status::NoMomentOfInertia;
    AnalyseDyna(revolutions, centres, wide, period, inertia, result);
    if (result.dynaPoints.empty()) {
        result.dyna.reset();
        return Status::TooFewRevolutions;
    }
    return Status::Evaluated;
}

}  // namespace

std::string_view StatusText(Status status) {
    switch (status) {
        case Status::Evaluated:
            return "Evaluated";
        case Status::NoSamples:
            return "No samples";
        case Status::TooManySamples:
            return "More samples than a capture holds";
        case Status::BadSamplePeriod:
            return "No valid sample period";
        case Status::NotTurning:
            return "Engine not turning: no flywheel hole passed the tachometer";
        case Status::NoCompleteRevolution:
            return "Less than one complete revolution";
        case Status::HolesMissed:
            return "No revolution with all 16 flywheel holes";
        case Status::NoMomentOfInertia:
            return "No moment of inertia: enter the flywheel disks in the disk table";
        case Status::TooFewRevolutions:
            return "Too few whole revolutions for the power curve";
        case Status::OutOfRange:
            return "Figures out of range: check the sample period";
    }
    return "";
}

PerformanceResult AnalysePerformance(const analysis::CaptureRecord& record,
                                     const analysis::DiskTable& disks,
                                     const text::NumberFormat& format,
                                     const BenchSettings& bench) {
    PerformanceResult result;
    result.phaseOffsetDeg = std::isfinite(bench.phaseOffsetDeg) ? bench.phaseOffsetDeg : 0.0;
    result.loopClosureLimitPercent = bench.loopClosureLimitPercent;
    result.isDyna = record.IsDyna;
    result.efficiency = EfficiencyOf(record.ResistorPower, record.LoTemp, record.HiTemp, {});
    const PressureCalibration pressure = IsUsable(bench.pressure) ? bench.pressure : PressureCalibration{};
    result.status = Evaluate(record, disks, format, pressure, result);
    if (result.status == Status::Evaluated && !AllFinite(result)) {
        PerformanceResult beyond;
        beyond.isDyna = result.isDyna;
        beyond.status = Status::OutOfRange;
        beyond.efficiency = EfficiencyOf(record.ResistorPower, record.LoTemp, record.HiTemp, {});
        return beyond;
    }
    if (bench.friction && result.summary) {
        result.energy = EnergyChainOf(*bench.friction, result.summary->meanRpm,
                                      result.summary->meanIndicatedPowerMilliW,
                                      result.efficiency.heaterPowerW);
    }
    result.uncertainty = AssessUncertainty(record, result, bench.budget);
    result.curve = PointwiseCurve(result, bench.budget);
    return result;
}

}  // namespace corvane::performance
