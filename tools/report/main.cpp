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
#include "evaluation_settings.h"
#include "tool_messages.h"

namespace {

constexpr const char* kProgram = "corvane-report";
using corvane::tools::kExitFailed;
using corvane::tools::kExitUsage;
using corvane::tools::ReportFile;
constexpr const char* kUsage =
    "Usage: corvane-report [--settings INI] -o FOLDER CAPTURE...\n"
    "       corvane-report [--settings INI] [-o FOLDER] RUN_FOLDER...";

constexpr const char* kDescription =
    "Writes a PDF lab report for each capture file: FOLDER/NAME.pdf, NAME being the\n"
    "capture's file name without its extension (a name met before in the list gets\n"
    "-2, -3, ...). One or two A4 pages: the results table as the window shows it, the\n"
    "engine monitor values, the engine-performance figures, a dyna's disk table, and\n"
    "the graphs of the capture's kind. A capture that cannot be evaluated gets no\n"
    "report; the others are still written, and the exit status is 1.\n"
    "A recording folder (RUN_FOLDER, from the Recorder window or corvane-record) gets\n"
    "the report of the whole run: its facts, warm-up, settings, marks and gaps, the\n"
    "trends, the operating points with their spread, the power curve and each point's\n"
    "averaged loop ([Performance] of --settings gives its phase and calibration),\n"
    "from the stretches found steady and those chosen in the Recorder window. Without -o\n"
    "it goes beside the folder as RUN_FOLDER.pdf; [Recording] of --settings gives the\n"
    "steady-state criteria.\n"
    "Runs without a display; Qt's -platform NAME chooses another platform.";

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

// What the command line asks for.
struct ReportCommand {
    std::string folder;
    std::string settingsPath;
    std::vector<std::string> captures;
};

void AddOptions(CLI::App& app, ReportCommand& command) {
    app.add_option("-o,--output", command.folder, "folder for the reports (made if missing)")
        ->option_text("FOLDER");
    app.add_option("--settings", command.settingsPath, corvane::tools::kSettingsOptionHelp)
        ->option_text("INI");
    app.add_option("CAPTURE", command.captures, "capture files (grab or dyna) or recording folders")
        ->required();
}

namespace files = corvane::files;

// The capture evaluated for its report; throws why it gets none.
void EvaluateForReport(files::HeadlessEvaluation& evaluation, const std::string& capture,
                       const std::string& pdf, const ReportCommand& command) {
    if (files::SameFile(pdf, capture))
        throw std::runtime_error("its report " + pdf + " would replace the capture itself");
    if (!command.settingsPath.empty() && files::SameFile(pdf, command.settingsPath))
        throw std::runtime_error("its report " + pdf + " would replace the settings file");
    (void)evaluation.Evaluate(capture);
    // Empty graphs and blank figures would pass for a report.
    if (!evaluation.status().empty())
        throw std::runtime_error(evaluation.status() + ": the capture cannot be evaluated");
}

// One capture's report written; false (said on standard error) when it is not.
bool ReportCapture(files::HeadlessEvaluation& evaluation, const std::string& capture,
                   const std::string& pdf, const ReportCommand& command,
                   const corvane::tools::EvaluationSettings& settings, const QDateTime& created) {
    try {
        EvaluateForReport(evaluation, capture, pdf, command);
    } catch (const std::exception& error) {
        ReportFile(capture, error.what());
        return false;
    }
    corvane::report::ReportSubject subject;
    subject.fileName = files::PrintableName(files::FileNameOf(capture));
    subject.record = &evaluation.record();
    subject.disks = evaluation.disks();
    subject.format = settings.numbers;
    subject.bench = settings.bench;
    try {
        corvane::report::WriteReport(pdf, subject, created);
    } catch (const files::FileError& error) {
        ReportFile(pdf, error.what());  // the report could not be written
        return false;
    } catch (const std::exception& error) {
        ReportFile(capture, error.what());
        return false;
    }
    return true;
}

// Every capture's report, on to the next when one fails; the exit status.
int WriteReports(const ReportCommand& command, corvane::tools::EvaluationSettings settings) {
    files::HeadlessEvaluation evaluation(std::move(settings.disks), settings.numbers);
    const std::vector<std::string> names = corvane::report::ReportFileNames(command.captures);
    const QDateTime created = QDateTime::currentDateTime();
    bool failed = false;
    for (std::size_t i = 0; i < command.captures.size(); ++i) {
        if (corvane::report::IsRecordingFolder(command.captures[i])) {
            failed |= !corvane::tools::ReportRecording(command.captures[i], command.folder, names[i],
                                                       command.settingsPath, settings.bench,
                                                       created);
            continue;
        }
        const std::string pdf = (std::filesystem::path(command.folder) / names[i]).string();
        if (!ReportCapture(evaluation, command.captures[i], pdf, command, settings, created))
            failed = true;
    }
    return failed ? kExitFailed : 0;
}

// Qt's own arguments: the program's name and, when given, -platform NAME.
// Qt keeps the count and the pointers for the application's lifetime.
struct QtArguments {
    explicit QtArguments(char* program, std::optional<std::string> chosen)
        : platform(std::move(chosen)), pointers{program} {
        if (platform) {
            pointers.push_back(option.data());
            pointers.push_back(platform->data());
        }
        count = static_cast<int>(pointers.size());
    }
    std::string option = "-platform";
    std::optional<std::string> platform;
    std::vector<char*> pointers;
    int count = 0;
};

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments = SplitArguments(argc, argv);
    CLI::App app{kDescription, kProgram};
    app.set_version_flag("--version", corvane::VersionLine(kProgram));
    ReportCommand command;
    AddOptions(app, command);
    try {
        app.parse(static_cast<int>(arguments.ours.size()), arguments.ours.data());
    } catch (const CLI::Success& answer) {  // --help or --version: no Qt at all
        return app.exit(answer);
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what());
    }
    corvane::tools::EvaluationSettings settings;
    if (!corvane::tools::LoadEvaluationSettings(command.settingsPath, settings)) return kExitUsage;
    corvane::tools::TrimRecordingFolders(command.captures);
    if (command.folder.empty() && !corvane::tools::AllRecordingFolders(command.captures))
        return UsageError("--output is required for capture files");
    if (!command.folder.empty() && !OutputFolder(command.folder)) return kExitUsage;

    qInstallMessageHandler(QtMessages);
    // Over SSH or in a batch job there is no display to draw on.
    if (!arguments.platform) qputenv("QT_QPA_PLATFORM", "offscreen");
    QtArguments qt(argv[0], arguments.platform);
    QApplication application(qt.count, qt.pointers.data());
    return WriteReports(command, std::move(settings));
}
