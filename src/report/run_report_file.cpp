#include "report/run_report_file.h"

#include <filesystem>

#include "files/atomic_file.h"
#include "recording/recording_reader.h"
#include "recording/recording_texts.h"
#include "recording/run_report.h"
#include "report/run_report_document.h"
#include "report/run_report_graphs.h"

namespace corvane::report {

namespace {

std::filesystem::path Folder(const std::string& runFolder) {
    std::filesystem::path path(runFolder);
    // "run/" names the folder "run" as "run" does.
    if (!path.has_filename() && path.has_parent_path()) path = path.parent_path();
    return path;
}

}  // namespace

bool IsRecordingFolder(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_directory(path, ignored) &&
           std::filesystem::exists(Folder(path) / recording::kManifestFile, ignored);
}

std::string RecordingName(const std::string& runFolder) {
    const std::filesystem::path path = Folder(runFolder);
    const std::string name = path.filename().string();
    if (name.empty() || name == "." || name == "..")
        return std::filesystem::absolute(path).lexically_normal().filename().string();
    return name;
}

std::string ReportBesideRecording(const std::string& runFolder) {
    const std::filesystem::path folder = std::filesystem::absolute(Folder(runFolder)).lexically_normal();
    const std::filesystem::path beside = folder.has_filename() ? folder : folder.parent_path();
    return (beside.parent_path() / (beside.filename().string() + ".pdf")).string();
}

void WriteRunReport(const std::string& pdfPath, const std::string& runFolder,
                    const recording::SteadyCriteria& criteria,
                    const performance::BenchSettings& bench,
                    const std::vector<recording::Stretch>& chosen, const QDateTime& created) {
    const recording::RecordingContents contents = recording::ReadRecording(runFolder);
    recording::RunReport report =
        recording::MakeRunReport(contents, RecordingName(runFolder), criteria, chosen);
    report.loops = recording::OperatingPointLoops(runFolder, contents, report.points, bench);
    std::vector<ReportGraph> graphs = MakeRunTrendGraphs(report);
    graphs.push_back(MakePowerCurveGraph(report));
    const QByteArray pdf =
        RunReportPdf(report, graphs, MakePointLoopGraphs(report),
                     created.toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString());
    files::ReplaceFileContents(pdfPath, std::string_view(pdf.constData(), std::size_t(pdf.size())));
}

}  // namespace corvane::report
