#pragma once
// What the report of a recording says, worked out from the folder alone: the
// run's facts, the warm-up (when the engine became steady and what changed
// until then), the settings in force, the marks and gaps, the operating
// points of its steady stretches with their spread, the power curve they
// make and every cycle's trends; the points' averaged loops come from the
// samples beside it. The PDF only lays this out.

#include <optional>
#include <string>
#include <vector>

#include "recording/operating_point_loops.h"
#include "recording/operating_points.h"
#include "recording/recording_reader.h"
#include "recording/steady_state.h"

namespace corvane::recording {

struct RunReportLine {
    std::string label;
    std::string value;
};

// One quantity of every cycle against the run's time in minutes.
struct RunTrend {
    std::vector<double> minutes, values;
};

struct RunTrends {
    RunTrend rpm, powerMilliW, powerRollingMean, loTempK, hiTempK, heaterPowerW;
    RunTrend indicatedEfficiencyPercent, carnotPercent;
};

// A point of the power curve: an operating point's speed and indicated power.
struct PowerCurvePoint {
    double rpm = 0.0;
    double powerMilliW = 0.0;
    double powerSdMilliW = 0.0;
};

struct RunReport {
    std::string title;  // the recording folder's name
    bool simulated = false;
    double lengthMinutes = 0.0;
    std::vector<RunReportLine> facts;
    std::vector<RunReportLine> warmUp;
    std::vector<RunReportLine> settings;
    std::vector<Event> marks;  // the user's, in time order
    std::vector<Event> gaps;   // scans lost, with the time they were noticed
    std::vector<OperatingPoint> points;  // steady and chosen stretches, in time order
    std::vector<PowerCurvePoint> powerCurve;
    // The averaged loop of each point, in the points' order; from the samples
    // (OperatingPointLoops), which MakeRunReport does not read.
    std::vector<PointLoop> loops;
    std::vector<std::pair<double, double>> steadyMinutes;  // from, to
    RunTrends trends;
};

// Cycles averaged into the rolling mean of the power trend (as the window draws it).
inline constexpr std::size_t kRollingCycles = 50;

// `name`: the folder's name for the title; `chosen`: stretches the user
// chose on the trends beside those kept in the folder (contents.chosen; one
// given twice counts once), operating points beside the steady ones.
RunReport MakeRunReport(const RecordingContents& contents, const std::string& name,
                        const SteadyCriteria& criteria, const std::vector<Stretch>& chosen = {});

// "h:mm:ss" of a time in seconds (negative counts as 0).
std::string ClockText(double seconds);

}  // namespace corvane::recording
