#pragma once
// The graphs a report shows for the kind of capture, looking as they do in the
// main window: a grab's pressure, tachometer and PV diagram with the loop
// averaged over its cycles; a dyna's tachometer, speed, power and torque, and
// its power curve (power and torque against speed).

#include <memory>
#include <vector>

#include "report/report_subject.h"

class QCustomPlot;

namespace corvane::report {

struct ReportGraph {
    ReportGraph(std::unique_ptr<QCustomPlot> plot, double heightMm, double leastHeightMm);
    ReportGraph(ReportGraph&&) noexcept;
    ReportGraph& operator=(ReportGraph&&) noexcept;
    ~ReportGraph();

    std::unique_ptr<QCustomPlot> plot;  // never shown: drawn onto the page
    double heightMm = 0.0;              // on the page, the full width of its text
    // Drawn down to this height to keep it on the page of the graphs before it.
    double leastHeightMm = 0.0;
};

// Needs a QApplication (the graphs are widgets); works on the offscreen platform.
std::vector<ReportGraph> MakeReportGraphs(const EvaluatedCapture& evaluated, bool simulated);

}  // namespace corvane::report
