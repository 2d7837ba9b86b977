#include "ui/recorder/recorder_report.h"

#include <QDir>
#include <exception>

#include "report/run_report_file.h"

namespace corvane::ui {

QString DefaultRunReportPath(const QString& runFolder) {
    return QString::fromStdString(report::ReportBesideRecording(runFolder.toStdString()));
}

QString SaveRunReport(const QString& runFolder, const QString& pdfPath,
                      const recording::SteadyCriteria& criteria,
                      const performance::BenchSettings& bench,
                      const std::vector<recording::Stretch>& chosen) {
    try {
        report::WriteRunReport(pdfPath.toStdString(), runFolder.toStdString(), criteria, bench,
                               chosen);
    } catch (const std::exception& error) {  // nothing crosses the event loop
        return "Report not saved: " + QString::fromStdString(error.what());
    }
    return "Saved the report " + QDir::toNativeSeparators(pdfPath);
}

}  // namespace corvane::ui
