#pragma once
// Engine performance: every cycle of a grab measured (work, indicated power,
// their spread), the phase-averaged PV loop, efficiency against the Carnot
// limit, and for a dyna the power curve. A second, finer evaluation beside the
// results table; it reads the capture record and changes nothing in it.

#include <optional>
#include <string_view>
#include <vector>

#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "performance/crank_phase.h"
#include "performance/loop_closure.h"
#include "performance/pressure_calibration.h"
#include "performance/curve_point.h"
#include "performance/mechanical_efficiency.h"
#include "performance/uncertainty.h"
#include "text/number_format.h"

namespace corvane::performance {

enum class Status {
    Evaluated,
    NoSamples,             // the capture holds no samples
    TooManySamples,        // a sample count beyond the record's 4097 values
    BadSamplePeriod,       // the time between samples is not a positive number
    NotTurning,            // no flywheel hole passed the tachometer
    NoCompleteRevolution,  // fewer than two wide holes
    HolesMissed,           // no revolution holds all 16 holes
    NoMomentOfInertia,     // a dyna whose disk table gives no positive moment of inertia
    TooFewRevolutions,     // a dyna without two whole revolutions in a row to fit
    OutOfRange,            // a figure beyond the range of numbers (an absurd sample period)
};

// The reason in words, for the window's status line and the batch's stderr.
std::string_view StatusText(Status status);

// One revolution from a wide hole to the next.
struct CycleFigures {
    int number = 0;          // 1, 2, ... in time order
    double startMs = 0.0;    // time of its first wide hole
    double durationS = 0.0;  // wide hole to wide hole
    double rpm = 0.0;
    double workMilliJ = 0.0;  // closed loop integral of p dV, positive when the engine gives work
    double indicatedPowerMilliW = 0.0;  // work / duration
    // Its pressure one revolution later less now, % of its swing: the next
    // cycle of the same run is needed.
    std::optional<double> loopClosurePercent;
};

struct CycleSummary {
    int cycles = 0;
    double meanRpm = 0.0;
    double meanWorkMilliJ = 0.0;
    double meanIndicatedPowerMilliW = 0.0;
    std::optional<double> indicatedPowerSdMilliW;  // sample standard deviation: two cycles or more
    std::optional<double> covPercent;              // sd / mean: also needs a positive mean
};

// The averaged loop at one whole degree of crank angle, for the PV graph.
struct LoopPoint {
    int angleDeg = 0;          // 0 .. 359, 0 at the wide hole
    double volumeMm3 = 0.0;    // the cylinder's volume at that angle
    double pressureKpa = 0.0;  // mean over the cycles, relative to the capture's mean
};

// Each figure is present only when its inputs are (no division by zero).
struct Efficiency {
    std::optional<double> heaterPowerW;                // positive heater power
    std::optional<double> indicatedEfficiencyPercent;  // grab: indicated power / heater power
    std::optional<double> carnotPercent;               // 1 - T low / T high, T high > T low > 0
    std::optional<double> percentOfCarnot;             // indicated efficiency / Carnot limit
};

// The dyna at one flywheel hole: local fit of crank angle against time.
struct DynaPoint {
    double timeMs = 0.0;  // sample k lies at k x SamplePeriod
    double rpm = 0.0;
    double angularSpeed = 0.0;         // rad/s
    double angularAcceleration = 0.0;  // rad/s^2
    double torqueMilliNm = 0.0;        // moment of inertia x acceleration
    double powerMilliW = 0.0;          // torque x angular speed
    // Standard uncertainty of the torque from the local fit's scatter (0: not known).
    double torqueSdMilliNm = 0.0;
};

struct DynaSummary {
    double momentOfInertiaGm2 = 0.0;
    double meanRpm = 0.0;  // whole revolutions over their time
    double maxPowerMilliW = 0.0;
    double rpmAtMaxPower = 0.0;
    double torqueAtMaxPowerMilliNm = 0.0;
    double timeAtMaxPowerMs = 0.0;
};

struct PerformanceResult {
    bool isDyna = false;
    Status status = Status::NoSamples;
    // Revolutions between two wide holes not 16 holes apart: left out.
    int skippedRevolutions = 0;
    Efficiency efficiency;

    // Grab.
    std::vector<CycleFigures> cycles;
    std::optional<CycleSummary> summary;
    std::vector<LoopPoint> averagedLoop;  // 360 points when there are cycles
    // Each cycle's pressure, first harmonic in crank angle (the phase calibration's).
    std::vector<Harmonic> cycleHarmonics;

    // Dyna: the points in time order; the power curve is power and torque against rpm.
    std::vector<DynaPoint> dynaPoints;
    std::optional<DynaSummary> dyna;
    // The same points with their uncertainty bands, from the bench's budget.
    std::vector<CurvePoint> curve;

    // How sure each figure is, from the budget the evaluation was given.
    PerformanceUncertainty uncertainty;
    double phaseOffsetDeg = 0.0;  // the offset the crank angles were corrected by
    double loopClosureLimitPercent = kDefaultLoopClosureLimitPercent;  // beyond it: flagged
    // A grab's mean pressure above atmospheric, through the transducer's calibration.
    std::optional<double> meanGaugePressureKpa;
    // A grab's energy chain, when the bench's friction is known.
    std::optional<EnergyChain> energy;
};

// What the settings file tells this evaluation about the bench; the results
// table never sees it.
struct BenchSettings {
    UncertaintyBudget budget;
    // The crank angle from maximum volume is the holes' angle plus this (degrees).
    double phaseOffsetDeg = 0.0;
    // The transducer's two-point calibration: its scale divides the pressure swing.
    PressureCalibration pressure;
    double loopClosureLimitPercent = kDefaultLoopClosureLimitPercent;
    // The friction from a coast-down; unknown adds nothing to a grab's result.
    std::optional<FrictionModel> friction;
};

// Evaluates the record's capture (its raw samples, kind, period and monitor
// values); the disk table gives a dyna's moment of inertia, its cells read in
// `format`; the bench's settings give the phase and the figures' uncertainties.
// Never throws for any content of the record.
PerformanceResult AnalysePerformance(const analysis::CaptureRecord& record,
                                     const analysis::DiskTable& disks,
                                     const text::NumberFormat& format,
                                     const BenchSettings& bench = {});

}  // namespace corvane::performance
