#pragma once
// What an analysis puts into the series of each graph: one place for the main
// window's stack and for the graphs of a printed report.

#include "analysis/analyse_capture.h"

class QCustomPlot;

namespace corvane::ui {

// Replaces the series of graph `index` (kChart1..kChart5, set up by SetUpChart)
// by the result's points, in ascending x.
void FillChart(QCustomPlot& plot, int index, const analysis::AnalysisResult& result);

// Whether the result brings power and torque curves of its own; a grab leaves
// those of the last dyna standing.
bool BringsPowerCurves(const analysis::AnalysisResult& result);

}  // namespace corvane::ui
