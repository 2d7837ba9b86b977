#include "report/report_file.h"

#include <set>

#include "files/atomic_file.h"
#include "files/batch.h"
#include "report/report_document.h"
#include "report/report_graphs.h"
#include "report/report_texts.h"

namespace corvane::report {

void WriteReport(const std::string& pdfPath, const ReportSubject& subject,
                 const QDateTime& created) {
    const EvaluatedCapture evaluated = Evaluate(subject);
    const ReportTexts texts = MakeReportTexts(
        subject, evaluated, created.toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString());
    const std::vector<ReportGraph> graphs = MakeReportGraphs(evaluated, subject.simulated);
    const QByteArray pdf = ReportPdf(texts, graphs);
    files::ReplaceFileContents(pdfPath, std::string_view(pdf.constData(), std::size_t(pdf.size())));
}

std::vector<std::string> ReportFileNames(const std::vector<std::string>& capturePaths) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const std::string& path : capturePaths) {
        const std::string file = files::FileNameOf(path);
        const std::size_t dot = file.rfind('.');
        // ".csv" alone has nothing before its extension: it keeps its name.
        const std::string stem = dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
        std::string name = stem + ".pdf";
        for (int n = 2; taken.count(name) != 0; ++n) name = stem + "-" + std::to_string(n) + ".pdf";
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}

}  // namespace corvane::report
