#pragma once
// The report of a recording on A4 pages as a PDF: the run's facts, the
// warm-up and the settings in force, the marks and gaps, the trends, the
// operating-point table, the power curve and the points' averaged loops (two
// side by side), flowing down the pages; on every
// page a footer with its number.

#include <QByteArray>
#include <string>
#include <vector>

#include "recording/run_report.h"
#include "report/report_graphs.h"

namespace corvane::report {

// created: the report's date and time as the user reads it ("2026-12-08 23:10").
// graphs: the trends, the power curve last; loops: MakePointLoopGraphs'.
QByteArray RunReportPdf(const recording::RunReport& report, const std::vector<ReportGraph>& graphs,
                        const std::vector<ReportGraph>& loops, const std::string& created);

// A point's figure as the table shows it: "mean ± sd", or a dash.
std::string SpreadText(const std::optional<recording::Spread>& spread, int decimals);

}  // namespace corvane::report
