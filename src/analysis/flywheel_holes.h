#pragma once
// Flywheel holes in the tachometer trace, the wide hole that marks each
// revolution, and the instantaneous engine speed.

#include <string>
#include <vector>

#include "analysis/analyse_capture.h"
#include "analysis/analysis_run.h"

namespace corvane::analysis {

inline constexpr double kTachThreshold = 2.0;  // volts; below = inside a hole
inline constexpr int kHolesPerRevolution = 16;
inline constexpr double kMarkHeight = 3.0;

// Fills FlyHoles[1..FlyHoleCount] from Tach[1..ChannelLength]; one log line and
// one mark per completed hole. A hole still open at the end is dropped.
void DetectHoles(CaptureRecord& record, int channelLength, std::vector<std::string>& log,
                 std::vector<Point>& marks);

// Searches windows of 17 holes for the widest one; fills WideHoles, WideCount,
// FirstWide/SecondWide and CycleStart/CycleEnd.
void FindWideHoles(CaptureRecord& record, AnalysisRun& run, std::vector<std::string>& log);

// The red spikes: (0,0), a spike at every wide hole's Mid, (lastX, 0).
std::vector<Point> WideHoleSpikes(CaptureRecord& record, const AnalysisRun& run, double lastX);

// True when every wide hole lies 16 holes after the previous one; logs each that does not.
bool WideHoleSpacingOk(const AnalysisRun& run, std::vector<std::string>& log);

// One speed point (true milliseconds, rpm) per pair of consecutive wide holes.
void AppendSpeedPoints(CaptureRecord& record, const AnalysisRun& run, double samplePeriod,
                       std::vector<Point>& points);

}  // namespace corvane::analysis
