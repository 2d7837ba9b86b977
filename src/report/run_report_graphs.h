#pragma once
// The graphs of a recording's report: the trends over the whole run on one
// time axis in minutes (speed; indicated power per cycle with its rolling
// mean; the two temperatures; heater power; indicated efficiency beside the
// Carnot limit), each with the steady stretches shaded and the marks and gaps
// as vertical lines with their text; the power curve of the operating
// points with their ± sd bars; and each point's averaged loop, drawn as the capture
// report's PV graph. Thinned for drawing; the data keep every cycle.

#include <vector>

#include "recording/run_report.h"
#include "report/report_graphs.h"

namespace corvane::report {

// Needs a QApplication (the graphs are widgets); works on the offscreen platform.
std::vector<ReportGraph> MakeRunTrendGraphs(const recording::RunReport& report);
ReportGraph MakePowerCurveGraph(const recording::RunReport& report);
// One PV graph per operating point with a loop, its number, speed and power
// in its title; a point without a loop gets none.
std::vector<ReportGraph> MakePointLoopGraphs(const recording::RunReport& report);

}  // namespace corvane::report
