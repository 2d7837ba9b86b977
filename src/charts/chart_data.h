#pragma once
// What an analysis puts into the series of each graph: one place for the main
// window's stack and for the graphs of a printed report.

#include "analysis/analyse_capture.h"
#include "performance/performance.h"

class QCustomPlot;

namespace corvane::charts {

// What becomes of the result's speed points: they are the whole speed graph
// after the analysis (a dyna, which read the graph's points, or a report), or
// only the analysis' own, merged into the graph as it stands (a grab: the graph
// of a long run of grabs is never copied out and back).
enum class SpeedPoints { Replace, Merge };

// Replaces the series of graph `index` (kChart1..kChart5, set up by SetUpChart)
// by the result's points, in ascending x; the speed series as `speed` says.
void FillChart(QCustomPlot& plot, int index, const analysis::AnalysisResult& result,
               SpeedPoints speed = SpeedPoints::Replace);

// The averaged loop of the engine-performance evaluation closed on itself (its
// first point again at the end), in the PV graph's units; empty when there is none.
std::vector<analysis::Point> AveragedLoopLine(const performance::PerformanceResult& result);

// Whether the result brings power and torque curves of its own; a grab leaves
// those of the last dyna standing.
bool BringsPowerCurves(const analysis::AnalysisResult& result);

}  // namespace corvane::charts
