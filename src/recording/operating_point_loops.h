#pragma once
// The averaged PV loop of each operating point, from the recording's samples:
// a fixed number of whole seconds spread evenly over the point's stretch, each
// evaluated as the Engine performance window evaluates a grab, their averaged
// loops joined cycle for cycle. One second is in memory at a time and the
// work per point is bounded however long its stretch; spread over the whole
// stretch, the seconds still show a slow drift within it as the mean does. A
// second that holds a lost scan, or that the samples do not hold whole (a
// recording cut short), is left out.

#include <string>
#include <vector>

#include "performance/performance.h"
#include "recording/operating_points.h"
#include "recording/recording_reader.h"

namespace corvane::recording {

// Seconds evaluated per operating point at most: at the bench engine's
// 400-500 rpm some 150 cycles, plenty for a mean loop.
inline constexpr int kLoopSecondsPerPoint = 20;

struct PointLoop {
    int cycles = 0;          // averaged into the loop
    int seconds = 0;         // evaluated, whole seconds without a lost scan
    int secondsLeftOut = 0;  // with a lost scan, or not wholly in the samples
    std::vector<performance::LoopPoint> loop;  // 360 points; none when no cycle was found
};

// The starts of at most `most` whole seconds within [startS, startS + lengthS),
// spread evenly from its start to its end; none when it is shorter than a second.
std::vector<double> LoopSeconds(double startS, double lengthS, int most);

// The loop of one stretch, evaluated with the bench's phase and calibration.
// Throws RecordingError when the recording holds no pressure and tachometer
// or its rate does not fit a capture.
PointLoop AveragedLoopOf(const std::string& folder, const RecordingContents& contents,
                         double startS, double lengthS, const performance::BenchSettings& bench,
                         int most = kLoopSecondsPerPoint);

// One loop per point, in the points' order; none at all (and no error) when
// the recording's seconds cannot be grabs (no pressure and tachometer, or a
// rate beyond a capture), so that the rest of a report is still made.
std::vector<PointLoop> OperatingPointLoops(const std::string& folder,
                                           const RecordingContents& contents,
                                           const std::vector<OperatingPoint>& points,
                                           const performance::BenchSettings& bench);

}  // namespace corvane::recording
