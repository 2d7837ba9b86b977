#pragma once
// The graphs of a recording's report: the trends over the whole run on one
// time axis in minutes (speed; indicated power per cycle with its rolling
// mean; the two temperatures; heater power; indicated efficiency beside the
// Carnot limit), each with the steady stretches shaded and the marks and gaps
// as vertical lines with their text; and the power curve of the operating
// points with their ± sd bars. Thinned for drawing; the data keep every cycle.

#include <vector>

#include "recording/run_report.h"
#include "report/report_graphs.h"

namespace corvane::report {

// Needs a QApplication (the graphs are widgets); works on the offscreen platform.
std::vector<ReportGraph> MakeRunTrendGraphs(const recording::RunReport& report);
ReportGraph MakePowerCurveGraph(const recording::RunReport& report);

}  // namespace corvane::report
