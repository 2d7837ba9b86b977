#pragma once
// How sure the engine-performance figures are: an expanded uncertainty
// (coverage factor 2) for every figure, propagated linearly from a stated
// budget of standard uncertainties, with each source's share kept so that a
// lab report can show where the doubt comes from.

#include <optional>
#include <string_view>
#include <vector>

#include "analysis/capture_record.h"

namespace corvane::performance {

struct PerformanceResult;

inline constexpr double kCoverageFactor = 2.0;

// Standard uncertainties (one standard deviation) of what the figures rest on.
// The defaults suit an uncalibrated classroom bench.
struct UncertaintyBudget {
    double pressureScalePercent = 1.0;  // transducer sensitivity
    double pressureZeroKpa = 0.5;       // transducer zero
    double phaseDeg = 1.0;              // crank angle of the wide hole from maximum volume
    double geometryPercent = 0.5;       // swept volume (bore squared x stroke)
    double temperatureK = 1.0;          // each of the two temperatures
    double heaterPowerPercent = 2.0;    // heater power
    double inertiaPercent = 1.0;        // the flywheel's moment of inertia (dyna)
};

enum class Source {
    CycleSpread,      // cycle-to-cycle scatter: sd / sqrt(n)
    PressureScale,
    PressureZero,     // a closed loop is blind to it: its area does not change
    ConverterStep,    // the converter's step, spread evenly over one count
    CrankPhase,
    Geometry,
    Temperatures,
    HeaterPower,
    MomentOfInertia,
    CurveScatter,     // scatter of the power curve's points about their trend
    FrictionFit,      // a and b of the friction from a coast-down
};
std::string_view SourceText(Source source);

struct Contribution {
    Source source = Source::CycleSpread;
    double standard = 0.0;  // in the figure's unit, one standard deviation
};

struct UncertainFigure {
    double value = 0.0;
    double expanded = 0.0;  // k x the root sum of squares of the contributions
    std::vector<Contribution> contributions;
};

// Each figure is present when its value is.
struct PerformanceUncertainty {
    std::optional<UncertainFigure> workMilliJ;
    std::optional<UncertainFigure> indicatedPowerMilliW;
    std::optional<UncertainFigure> rpm;
    std::optional<UncertainFigure> indicatedEfficiencyPercent;
    std::optional<UncertainFigure> carnotPercent;
    std::optional<UncertainFigure> percentOfCarnot;
    std::optional<UncertainFigure> maxPowerMilliW;
    std::optional<UncertainFigure> torqueAtMaxPowerMilliNm;
    // A grab's energy chain, when the bench's friction is known.
    std::optional<UncertainFigure> frictionTorqueMilliNm;
    std::optional<UncertainFigure> frictionPowerMilliW;
    std::optional<UncertainFigure> shaftPowerMilliW;
    std::optional<UncertainFigure> mechanicalEfficiencyPercent;
    std::optional<UncertainFigure> shaftEfficiencyPercent;
};

// The uncertainties of an evaluated result; the record gives the sample
// period, the temperatures and the heater power the figures were made from.
PerformanceUncertainty AssessUncertainty(const analysis::CaptureRecord& record,
                                         const PerformanceResult& result,
                                         const UncertaintyBudget& budget);

}  // namespace corvane::performance
