#pragma once
// Flywheel holes in the tachometer trace, the wide hole that marks each
// revolution, and the instantaneous engine speed.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "analysis/analyse_capture.h"
#include "analysis/analysis_run.h"

namespace corvane::analysis {

inline constexpr double kTachThreshold = 2.0;  // volts; below = inside a hole
inline constexpr int kHolesPerRevolution = 16;
inline constexpr double kMarkHeight = 3.0;

// The completed holes of trace[1..size - 1] (trace[0] unused), 1-based like
// FlyHoles (element 0 unused): a falling edge through the threshold opens a
// hole, the next rising edge closes it; a rising edge before the first falling
// edge is ignored and a hole still open at the end is dropped. `closed` is
// told of every rising edge that closes a hole, with the hole's number.
using HoleClosed = std::function<void(std::int32_t number, const FlyHole& hole)>;
std::vector<FlyHole> FindHoles(std::span<const double> trace, const HoleClosed& closed = nullptr);

// Fills FlyHoles[1..FlyHoleCount] from Tach[1..ChannelLength]; one mark and,
// when a log is given, one log line per completed hole. A hole still open at
// the end is dropped.
void DetectHoles(CaptureRecord& record, int channelLength, std::vector<std::string>* log,
                 std::vector<Point>& marks);

// Indices of the wide holes among holes[1..count] (element 0 unused), in time
// order: each window of 17 holes from the hole after the last wide one gives
// its widest hole. Logs every window and wide hole when a log is given.
std::vector<std::int32_t> FindWideHoleIndices(std::span<const FlyHole> holes, std::int32_t count,
                                              std::vector<std::string>* log);

// Searches windows of 17 holes for the widest one; fills WideHoles, WideCount,
// FirstWide/SecondWide and CycleStart/CycleEnd. Logs when a log is given.
void FindWideHoles(CaptureRecord& record, AnalysisRun& run, std::vector<std::string>* log);

// The red spikes: (0,0), a spike at every wide hole's Mid, (lastX, 0).
std::vector<Point> WideHoleSpikes(CaptureRecord& record, const AnalysisRun& run, double lastX);

// True when every wide hole lies 16 holes after the previous one; logs each
// that does not when a log is given.
bool WideHoleSpacingOk(const AnalysisRun& run, std::vector<std::string>* log);

// One speed point (true milliseconds, rpm) per pair of consecutive wide holes,
// in time order.
std::vector<Point> SpeedPoints(CaptureRecord& record, const AnalysisRun& run, double samplePeriod);

// Merges a capture's speed points (in time order) into the speed graph's
// points (in time order) in one pass: each goes after every point of the graph
// at the same time or earlier, exactly where inserting them one at a time
// would put it, so points of earlier grabs interleave and a rerun puts each
// point after its twin.
void MergeSpeedPoints(std::vector<Point>& graph, const std::vector<Point>& added);

// SpeedPoints merged into `points`.
void AppendSpeedPoints(CaptureRecord& record, const AnalysisRun& run, double samplePeriod,
                       std::vector<Point>& points);

}  // namespace corvane::analysis
