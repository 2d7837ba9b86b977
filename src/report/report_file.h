#pragma once
// Writing a report: the one way both corvane-report and the window's
// "Save report…" make one, from the subject's capture to the PDF file.

#include <QDateTime>
#include <string>
#include <vector>

#include "report/report_subject.h"

namespace corvane::report {

// Evaluates the subject, lays out its report and replaces the file with it
// whole (never a half-written PDF). Throws std::runtime_error: the analysis'
// range error, or files::FileError when the file cannot be written.
void WriteReport(const std::string& pdfPath, const ReportSubject& subject,
                 const QDateTime& created = QDateTime::currentDateTime());

// The report's name for each capture file: its name without the folder and
// the last extension, and ".pdf". A name an earlier capture of the list
// already has (the same name in two folders, or run.csv beside run.CSV) gets
// "-2", "-3", ... before ".pdf", so no report replaces another of the run.
std::vector<std::string> ReportFileNames(const std::vector<std::string>& capturePaths);

}  // namespace corvane::report
