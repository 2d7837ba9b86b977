#pragma once
// The report on A4 pages as a PDF: the texts at the top of the first page,
// then the graphs as vector drawings, each whole on one page, and on every
// page a footer with its number.

#include <QByteArray>
#include <vector>

#include "report/report_graphs.h"
#include "report/report_texts.h"

namespace corvane::report {

QByteArray ReportPdf(const ReportTexts& texts, const std::vector<ReportGraph>& graphs);

}  // namespace corvane::report
