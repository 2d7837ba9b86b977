#include "performance/uncertainty.h"

#include <cmath>
#include <vector>

#include "analysis/crank_cycle.h"
#include "performance/cycle_loop.h"
#include "performance/energy_uncertainty.h"
#include "performance/performance.h"
#include "performance/uncertainty_terms.h"

namespace corvane::performance {

namespace {

// One converter count on the pressure channel: 1/204.8 V at 0.4 V per kPa.
constexpr double kCountKpa = 1.0 / 204.8 / 0.4;
// A phase step for the loop's slope against crank phase, degrees.
constexpr double kPhaseStepDeg = 0.5;

// The averaged loop's work, in millijoules, with the volume read at each
// angle (already corrected by the calibrated offset) shifted by a crank phase.
double ShiftedLoopWork(const std::vector<LoopPoint>& loop, double offsetDeg, double phaseDeg) {
    std::vector<double> volume, pressure;
    for (const LoopPoint& p : loop) {
        volume.push_back(analysis::CylinderVolumeDouble(p.angleDeg + offsetDeg + phaseDeg));
        pressure.push_back(p.pressureKpa);
    }
    return LoopWorkMicroJ(volume, pressure) / 1000;
}

// The loop's work against a uniform pressure error: what a zero offset does.
double ZeroSensitivity(const std::vector<LoopPoint>& loop) {
    std::vector<double> volume, pressure;
    for (const LoopPoint& p : loop) {
        volume.push_back(p.volumeMm3);
        pressure.push_back(1.0);
    }
    return LoopWorkMicroJ(volume, pressure) / 1000;
}

// Independent rounding of every sample by up to half a count: the standard
// deviation of one cycle's work, sqrt(sum of the samples' dV squared) x q/sqrt(12).
double ConverterStepWork(const std::vector<LoopPoint>& loop, double samplesPerCycle) {
    double squares = 0.0;  // of the volume change per degree
    for (std::size_t d = 0; d < loop.size(); ++d) {
        const double change = loop[(d + 1) % loop.size()].volumeMm3 - loop[d].volumeMm3;
        squares += change * change;
    }
    const double degreesPerSample = static_cast<double>(loop.size()) / samplesPerCycle;
    const double sampleSquares = squares * degreesPerSample * degreesPerSample *
                                 samplesPerCycle / static_cast<double>(loop.size());
    return kCountKpa / std::sqrt(12.0) * std::sqrt(sampleSquares) / 1000;
}

struct GrabSeries {
    std::vector<double> work, power, rpm;
    double meanDurationS = 0.0;
};

GrabSeries SeriesOf(const std::vector<CycleFigures>& cycles) {
    GrabSeries s;
    for (const CycleFigures& c : cycles) {
        s.work.push_back(c.workMilliJ);
        s.power.push_back(c.indicatedPowerMilliW);
        s.rpm.push_back(c.rpm);
        s.meanDurationS += c.durationS / static_cast<double>(cycles.size());
    }
    return s;
}

// The sources common to a cycle's work and power, on the mean work.
std::vector<Contribution> LoopSources(const PerformanceResult& result, double samplePeriod,
                                      const UncertaintyBudget& budget, double meanDurationS) {
    const double work = result.summary->meanWorkMilliJ;
    const auto& loop = result.averagedLoop;
    const double offset = result.phaseOffsetDeg;
    const double slope = (ShiftedLoopWork(loop, offset, kPhaseStepDeg) -
                          ShiftedLoopWork(loop, offset, -kPhaseStepDeg)) / (2 * kPhaseStepDeg);
    const double cycles = result.summary->cycles;
    return {
        {Source::PressureScale, std::abs(work) * budget.pressureScalePercent / 100},
        {Source::PressureZero, std::abs(ZeroSensitivity(loop)) * budget.pressureZeroKpa},
        {Source::ConverterStep,
         ConverterStepWork(loop, meanDurationS / samplePeriod) / std::sqrt(cycles)},
        {Source::CrankPhase, std::abs(slope) * budget.phaseDeg},
        {Source::Geometry, std::abs(work) * budget.geometryPercent / 100},
    };
}

// 100 (1 - Tlow / Thigh): both temperatures' shares in one.
Contribution CarnotTemperatures(double low, double high, double uK) {
    const double byLow = 100 / high;
    const double byHigh = 100 * low / (high * high);
    return {Source::Temperatures, uK * std::hypot(byLow, byHigh)};
}

void AssessEfficiency(const analysis::CaptureRecord& record, const PerformanceResult& result,
                      const UncertaintyBudget& budget, PerformanceUncertainty& out) {
    const Efficiency& e = result.efficiency;
    std::optional<Contribution> temperatures;
    if (e.carnotPercent) {
        temperatures = CarnotTemperatures(record.LoTemp, record.HiTemp, budget.temperatureK);
        out.carnotPercent = Combine(*e.carnotPercent, {*temperatures});
    }
    if (!e.indicatedEfficiencyPercent || !out.indicatedPowerMilliW) return;
    const double power = out.indicatedPowerMilliW->value;
    if (power == 0) return;
    const double efficiency = *e.indicatedEfficiencyPercent;
    auto sources = Scaled(out.indicatedPowerMilliW->contributions, efficiency / power);
    sources.push_back({Source::HeaterPower, std::abs(efficiency) * budget.heaterPowerPercent / 100});
    out.indicatedEfficiencyPercent = Combine(efficiency, sources);
    if (!e.percentOfCarnot || !temperatures) return;
    const double share = *e.percentOfCarnot;
    auto shareSources = Scaled(sources, share / efficiency);
    shareSources.push_back({Source::Temperatures,
                            std::abs(share) * temperatures->standard / *e.carnotPercent});
    out.percentOfCarnot = Combine(share, shareSources);
}

void AssessGrab(const analysis::CaptureRecord& record, const PerformanceResult& result,
                const UncertaintyBudget& budget, PerformanceUncertainty& out) {
    const CycleSummary& summary = *result.summary;
    const GrabSeries series = SeriesOf(result.cycles);
    const auto common = LoopSources(result, record.SamplePeriod, budget, series.meanDurationS);

    std::vector<Contribution> work;
    AddSpread(work, series.work);
    work.insert(work.end(), common.begin(), common.end());
    out.workMilliJ = Combine(summary.meanWorkMilliJ, work);

    std::vector<Contribution> power;
    AddSpread(power, series.power);
    const auto onPower = Scaled(common, 1 / series.meanDurationS);
    power.insert(power.end(), onPower.begin(), onPower.end());
    out.indicatedPowerMilliW = Combine(summary.meanIndicatedPowerMilliW, power);

    std::vector<Contribution> rpm;
    AddSpread(rpm, series.rpm);
    if (!rpm.empty()) out.rpm = Combine(summary.meanRpm, rpm);
}

// The scatter of the curve's torque: each point against the mean of the points
// two revolutions either side, whose fits share no hole with its own but one.
std::optional<double> TorqueScatter(const std::vector<DynaPoint>& points) {
    constexpr std::size_t kApart = 32;
    std::vector<double> differences;
    for (std::size_t i = kApart; i + kApart < points.size(); ++i) {
        differences.push_back(points[i].torqueMilliNm -
                              (points[i - kApart].torqueMilliNm + points[i + kApart].torqueMilliNm) / 2);
    }
    if (differences.size() < 2) return std::nullopt;
    double squares = 0.0;
    for (double d : differences) squares += d * d;
    // A difference holds one point's scatter plus half of two others'.
    return std::sqrt(squares / static_cast<double>(differences.size()) / 1.5);
}

// The torque's scatter at the curve's highest point: its own fit's, when the
// fit gave one; the points' scatter about their neighbours otherwise.
std::optional<double> CurveScatterAt(const std::vector<DynaPoint>& points, double timeMs) {
    for (const DynaPoint& p : points) {
        if (p.timeMs == timeMs && p.torqueSdMilliNm > 0) return p.torqueSdMilliNm;
    }
    return TorqueScatter(points);
}

void AssessDyna(const PerformanceResult& result, const UncertaintyBudget& budget,
                PerformanceUncertainty& out) {
    if (result.dynaPoints.empty()) return;
    const DynaSummary& d = *result.dyna;
    const double inertia = budget.inertiaPercent / 100;
    std::vector<Contribution> torque{{Source::MomentOfInertia, std::abs(d.torqueAtMaxPowerMilliNm) * inertia}};
    std::vector<Contribution> power{{Source::MomentOfInertia, std::abs(d.maxPowerMilliW) * inertia}};
    if (const auto scatter = CurveScatterAt(result.dynaPoints, d.timeAtMaxPowerMs)) {
        const double omega = d.rpmAtMaxPower * 2 * 3.141592653589793 / 60;
        torque.push_back({Source::CurveScatter, *scatter});
        power.push_back({Source::CurveScatter, *scatter * omega});
    }
    out.torqueAtMaxPowerMilliNm = Combine(d.torqueAtMaxPowerMilliNm, torque);
    out.maxPowerMilliW = Combine(d.maxPowerMilliW, power);
}

// Extreme inputs (an absurd sample period) can carry an uncertainty beyond
// the range of numbers: such a figure gets none rather than an infinity.
void DropNonFinite(PerformanceUncertainty& u) {
    for (auto* figure :
         {&u.workMilliJ, &u.indicatedPowerMilliW, &u.rpm, &u.indicatedEfficiencyPercent,
          &u.carnotPercent, &u.percentOfCarnot, &u.maxPowerMilliW, &u.torqueAtMaxPowerMilliNm,
          &u.frictionTorqueMilliNm, &u.frictionPowerMilliW, &u.shaftPowerMilliW,
          &u.mechanicalEfficiencyPercent, &u.shaftEfficiencyPercent}) {
        if (*figure && !std::isfinite((*figure)->expanded)) figure->reset();
    }
}

}  // namespace

std::string_view SourceText(Source source) {
    switch (source) {
        case Source::CycleSpread:
            return "Cycle-to-cycle spread";
        case Source::PressureScale:
            return "Pressure transducer scale";
        case Source::PressureZero:
            return "Pressure transducer zero";
        case Source::ConverterStep:
            return "Converter step";
        case Source::CrankPhase:
            return "Crank phase";
        case Source::Geometry:
            return "Engine geometry";
        case Source::Temperatures:
            return "Temperatures";
        case Source::HeaterPower:
            return "Heater power";
        case Source::MomentOfInertia:
            return "Moment of inertia";
        case Source::CurveScatter:
            return "Power curve scatter";
        case Source::FrictionFit:
            return "Friction fit";
    }
    return "";
}

PerformanceUncertainty AssessUncertainty(const analysis::CaptureRecord& record,
                                         const PerformanceResult& result,
                                         const UncertaintyBudget& budget) {
    PerformanceUncertainty out;
    if (result.status != Status::Evaluated) return out;
    if (result.summary && !result.cycles.empty()) AssessGrab(record, result, budget, out);
    if (result.dyna) AssessDyna(result, budget, out);
    AssessEfficiency(record, result, budget, out);
    AssessEnergy(result, budget, out);
    DropNonFinite(out);
    return out;
}

}  // namespace corvane::performance
