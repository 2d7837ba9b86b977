// corvane-report: a PDF lab report for each capture file, for scripts, batch
// jobs and work over SSH. It draws without a display (Qt's offscreen
// platform) unless given -platform.

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QDateTime>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "corvane/version.h"
#include "files/batch.h"
#include "files/file_error.h"
#include "files/file_identity.h"
#include "files/headless_evaluation.h"
#include "recording_reports.h"
#include "report/report_file.h"
#include "report/run_report_file.h"
#include "settings/disk_table_settings.h"
#include "settings/performance_settings.h"
#include "text/number_format.h"
#include "tool_messages.h"

namespace {

constexpr const char* kProgram = "corvane-report";
using corvane::tools::kExitFailed;
using corvane::tools::kExitUsage;
using corvane::tools::ReportFile;
constexpr const char* kUsage =
    "Usage: corvane-report [--settings INI] -o FOLDER CAPTURE...\n"
    "       corvane-report [--settings INI] [-o FOLDER] RUN_FOLDER...";

int UsageError(const std::string& message) {
    return corvane::tools::UsageError(kProgram, kUsage, message);
}

// Qt's -platform NAME (or --platform NAME) is Qt's to read; every other
// argument is ours.
struct Arguments {
    std::vector<char*> ours;
    std::optional<std::string> platform;
};

Arguments SplitArguments(int argc, char** argv) {
    Arguments split;
    split.ours.push_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if ((argument == "-platform" || argument == "--platform") && i + 1 < argc) {
            split.platform = argv[++i];
        } else {
            split.ours.push_back(argv[i]);
        }
    }
    return split;
}

// The output folder, made when it does not exist yet.
std::optional<std::string> OutputFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder)) {
        ReportFile(folder, error ? error.message() : "not a folder");
        return std::nullopt;
    }
    return folder;
}

// Qt's notes about its surroundings (no runtime folder, a font replaced)
// are not the user's business; its errors still reach standard error.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << kProgram << ": " << message.toStdString() << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments = SplitArguments(argc, argv);
    CLI::App app{
        "Writes a PDF lab report for each capture file: FOLDER/NAME.pdf, NAME being the\n"
        "capture's file name without its extension (a name met before in the list gets\n"
        "-2, -3, ...). One or two A4 pages: the results table as the window shows it, the\n"
        "engine monitor values, the engine-performance figures, a dyna's disk table, and\n"
        "the graphs of the capture's kind. A capture that cannot be evaluated gets no\n"
        "report; the others are still written, and the exit status is 1.\n"
        "A recording folder (RUN_FOLDER, from the Recorder window or corvane-record) gets\n"
        "the report of the whole run: its facts, warm-up, settings, marks and gaps, the\n"
        "trends, the operating points with their spread and the power curve. Without -o\n"
        "it goes beside the folder as RUN_FOLDER.pdf; [Recording] of --settings gives the\n"
        "steady-state criteria.\n"
        "Runs without a display; Qt's -platform NAME chooses another platform.",
        kProgram};
    app.set_version_flag("--version", corvane::VersionLine(kProgram));
    std::string folder;
    std::string settingsPath;
    std::vector<std::string> captures;
    app.add_option("-o,--output", folder, "folder for the reports (made if missing)")
        ->option_text("FOLDER");
    app.add_option("--settings", settingsPath,
                   "settings file whose Flywheel sections give the disk table (default: five "
                   "blank rows) and whose [Performance] section gives the uncertainty budget "
                   "and the calibrations "
                   "(default: the manual's); a file that cannot be read is an error")
        ->option_text("INI");
    app.add_option("CAPTURE", captures, "capture files (grab or dyna) or recording folders")
        ->required();
    try {
        app.parse(static_cast<int>(arguments.ours.size()), arguments.ours.data());
    } catch (const CLI::Success& answer) {  // --help or --version: no Qt at all
        return app.exit(answer);
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what());
    }

    corvane::tools::TrimRecordingFolders(captures);
    if (folder.empty() && !corvane::tools::AllRecordingFolders(captures))
        return UsageError("--output is required for capture files");
    namespace files = corvane::files;
    const corvane::text::NumberFormat numbers = corvane::text::PointComma();
    corvane::analysis::DiskTable disks(corvane::settings::kDiskTableRows);
    corvane::performance::BenchSettings bench;
    if (!settingsPath.empty()) {
        auto loaded = corvane::settings::LoadDiskTableFile(settingsPath, numbers);
        if (!loaded.error.empty()) {
            ReportFile(settingsPath, loaded.error);
            return kExitUsage;
        }
        disks = std::move(loaded.disks);
        bench = corvane::settings::LoadBenchSettingsFile(settingsPath);
    }
    if (!folder.empty() && !OutputFolder(folder)) return kExitUsage;

    qInstallMessageHandler(QtMessages);
    // Over SSH or in a batch job there is no display to draw on.
    if (!arguments.platform) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::vector<char*> qtArguments{argv[0]};
    std::string platformOption = "-platform";
    if (arguments.platform) {
        qtArguments.push_back(platformOption.data());
        qtArguments.push_back(arguments.platform->data());
    }
    int qtCount = static_cast<int>(qtArguments.size());
    QApplication application(qtCount, qtArguments.data());

    files::HeadlessEvaluation evaluation(std::move(disks), numbers);
    const std::vector<std::string> names = corvane::report::ReportFileNames(captures);
    const QDateTime created = QDateTime::currentDateTime();
    bool failed = false;
    for (std::size_t i = 0; i < captures.size(); ++i) {
        const std::string& capture = captures[i];
        if (corvane::report::IsRecordingFolder(capture)) {
            failed |= !corvane::tools::ReportRecording(capture, folder, names[i], settingsPath, created);
            continue;
        }
        const std::string pdf = (std::filesystem::path(folder) / names[i]).string();
        try {
            if (files::SameFile(pdf, capture))
                throw std::runtime_error("its report " + pdf + " would replace the capture itself");
            if (!settingsPath.empty() && files::SameFile(pdf, settingsPath))
                throw std::runtime_error("its report " + pdf + " would replace the settings file");
            (void)evaluation.Evaluate(capture);
            // Empty graphs and blank figures would pass for a report.
            if (!evaluation.status().empty())
                throw std::runtime_error(evaluation.status() + ": the capture cannot be evaluated");
        } catch (const std::exception& error) {
            ReportFile(capture, error.what());
            failed = true;
            continue;
        }
        corvane::report::ReportSubject subject;
        subject.fileName = files::PrintableName(files::FileNameOf(capture));
        subject.record = &evaluation.record();
        subject.disks = evaluation.disks();
        subject.format = numbers;
        subject.bench = bench;
        try {
            corvane::report::WriteReport(pdf, subject, created);
        } catch (const files::FileError& error) {
            ReportFile(pdf, error.what());  // the report could not be written
            failed = true;
        } catch (const std::exception& error) {
            ReportFile(capture, error.what());
            failed = true;
        }
    }
    return failed ? kExitFailed : 0;
}
