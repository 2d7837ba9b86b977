#pragma once
// "Save report…" of the Recorder window: the recording's report as a PDF,
// made as corvane-report RUN_FOLDER makes it.

#include <QString>

#include <vector>

#include "performance/performance.h"
#include "recording/operating_points.h"
#include "recording/steady_state.h"

namespace corvane::ui {

// Where the file dialog proposes the report: beside the recording folder.
QString DefaultRunReportPath(const QString& runFolder);

// Writes the report with the stretches the user chose, the points' loops
// evaluated with `bench`; the window's status line: "Saved …" or why it was not.
QString SaveRunReport(const QString& runFolder, const QString& pdfPath,
                      const recording::SteadyCriteria& criteria,
                      const performance::BenchSettings& bench,
                      const std::vector<recording::Stretch>& chosen);

}  // namespace corvane::ui
