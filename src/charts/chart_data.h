#pragma once
// What an analysis puts into the series of each graph: one fill function per
// graph of the table (graph_table.h), for the main window's stack and for the
// graphs of a printed report alike.

#include <vector>

#include "analysis/analyse_capture.h"
#include "analysis/speed_history.h"
#include "performance/performance.h"

class QCustomPlot;

namespace corvane::charts {

// What the graphs are filled from: an analysis result, and the speed history
// the speed graph draws (in a report, the result's own speed points).
struct ChartInput {
    const analysis::AnalysisResult& result;
    const analysis::SpeedHistory& speed;
};

// The fill functions of the rows of kGraphs: each replaces the series of its
// graph (set up by SetUpChart) by the input's points, in ascending x.
void FillPressure(QCustomPlot& plot, const ChartInput& input);
void FillTachometer(QCustomPlot& plot, const ChartInput& input);
void FillPressureVolume(QCustomPlot& plot, const ChartInput& input);
void FillSpeed(QCustomPlot& plot, const ChartInput& input);
// Leaves the curves standing when the result brings none of its own (a grab
// keeps those of the last dyna).
void FillPowerTorque(QCustomPlot& plot, const ChartInput& input);

// Graph `index` (kChart1..kChart5) filled by its row's function.
void FillChart(QCustomPlot& plot, int index, const ChartInput& input);

// The averaged loop of the engine-performance evaluation closed on itself (its
// first point again at the end), in the PV graph's units; empty when there is none.
std::vector<analysis::Point> AveragedLoopLine(const performance::PerformanceResult& result);

// Whether the result brings power and torque curves of its own.
bool BringsPowerCurves(const analysis::AnalysisResult& result);

}  // namespace corvane::charts
