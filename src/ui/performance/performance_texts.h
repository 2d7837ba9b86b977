#pragma once
// What the Engine performance window shows of a result, as texts: the lines
// at its top, the table of figures and the table of cycles (a grab) or of the
// power curve's points (a dyna); and the averaged loop as a line for the PV
// graph. Numbers are shown in the user's format; a cell also keeps the text a
// spreadsheet reads as a number (the user's decimal mark, no grouping).

#include <QString>
#include <QStringList>
#include <vector>

#include "analysis/analyse_capture.h"
#include "performance/performance.h"
#include "text/number_format.h"

namespace corvane::ui {

struct TableCell {
    QString shown;
    QString copied;  // what Copy puts on the clipboard
};

struct TableText {
    QStringList headers;
    std::vector<std::vector<TableCell>> rows;
};

// The reason a capture was not evaluated, or empty when it was.
QString PerformanceStatusText(const performance::PerformanceResult& result);
// One or two lines that say the main figures in words (mean ± standard
// deviation, efficiency beside the Carnot limit, the maximum power).
QStringList HeadlineLines(const performance::PerformanceResult& result,
                          const text::NumberFormat& fmt);
// Figure, value, unit: the summary of the capture's kind. A figure that
// cannot be given has an empty value.
TableText SummaryTable(const performance::PerformanceResult& result, const text::NumberFormat& fmt);
// A grab: cycle, rpm, work, indicated power. A dyna: the power curve's points
// in time order (time, rpm, torque, power).
TableText PointsTable(const performance::PerformanceResult& result, const text::NumberFormat& fmt);

}  // namespace corvane::ui
