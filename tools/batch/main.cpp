// corvane-batch: evaluates capture files into one results file, as the
// window's Multiple button does, for scripts and CI, on every core.

#include <sched.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "corvane/version.h"
#include "files/atomic_file.h"
#include "files/batch.h"
#include "files/capture_inputs.h"
#include "files/file_error.h"
#include "files/file_identity.h"
#include "files/headless_evaluation.h"
#include "curve_files.h"
#include "performance/details_csv.h"
#include "performance/pointwise_curve.h"
#include "evaluation_settings.h"
#include "interrupted_run.h"
#include "tool_messages.h"

namespace {

constexpr const char* kProgram = "corvane-batch";
using corvane::tools::kExitFailed;
using corvane::tools::kExitUsage;
using corvane::tools::ReportFile;
constexpr const char* kUsage =
    "Usage: corvane-batch [-o RESULTS [--append]] [--details DETAILS] [--curves DIR]\n"
    "                     [--settings INI]\n"
    "                     [-j N] [-r] [--files-from LIST [-0]] CAPTURE|FOLDER...";

int UsageError(const std::string& message) {
    return corvane::tools::UsageError(kProgram, kUsage, message);
}

constexpr int kMaxThreads = 1024;

constexpr const char* kLargeBatches =
    "Large batches: name a folder (its *.csv files in name order; -r adds its\n"
    "sub-folders) or give the names in a list, one a line, with --files-from LIST\n"
    "('-' reads them from standard input):\n"
    "  corvane-batch -o results.csv archive/\n"
    "  find archive -name '*.csv' | sort | corvane-batch --files-from - -o results.csv\n"
    "Either takes any number of files in one run, which the command line cannot.\n"
    "xargs runs the program once per chunk of names, each replacing the results of\n"
    "the chunk before unless --append is given; with --append, xargs still goes on\n"
    "after a chunk that failed (and ends with status 123), so the files after the\n"
    "failed one in that chunk are missing from the results.\n"
    "\n"
    "Exit status: 0 every file evaluated and written; 1 a capture file failed (the\n"
    "lines before it are kept) or the results (details) could not be written; 2 a\n"
    "wrong command line, nothing evaluated or written.";

// The cores this process may run on (a container or taskset may allow fewer
// than the machine has).
int AvailableCores() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (::sched_getaffinity(0, sizeof cores, &cores) == 0) {
        const int count = CPU_COUNT(&cores);
        if (count > 0) return count;
    }
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? static_cast<int>(hardware) : 1;
}

// The names on the command line, then those of each list in turn.
std::vector<std::string> Names(const std::vector<std::string>& arguments,
                               const std::vector<std::string>& lists,
                               corvane::files::NameSeparator separator) {
    std::vector<std::string> names = arguments;
    for (const std::string& list : lists) {
        std::vector<std::string> listed =
            list == "-" ? corvane::files::ReadNameList(std::cin, "standard input", separator)
                        : corvane::files::ReadNameListFile(list, separator);
        names.insert(names.end(), std::make_move_iterator(listed.begin()),
                     std::make_move_iterator(listed.end()));
    }
    return names;
}

// Standard output is buffered and flushed at the end (and before a message on
// standard error, which may share the terminal); a failed write is reported
// like a file's.
void WriteStandardOutput(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
        throw corvane::files::FileError("Disk write error");
    }
}

void FlushStandardOutput() {
    if (std::fflush(stdout) != 0) throw corvane::files::FileError("Disk write error");
}

// Why a file the batch writes is one it reads: a list of names (--files-from)
// is an input like any capture. Empty when none is.
std::string ListIsOutput(const std::vector<std::string>& lists, const std::string& output,
                         const char* file) {
    for (const std::string& list : lists) {
        if (list != "-" && corvane::files::SameFile(output, list)) {
            return corvane::files::ResultsFileIsInputError(output, "a list of names (--files-from)",
                                                           file)
                .what();
        }
    }
    return {};
}

// The files a folder's listing leaves out: the results and details of an
// earlier run, never a capture (which the batch then refuses to replace).
std::vector<std::string> LeftOutOfFolders(const std::string& results, const std::string& details) {
    std::vector<std::string> leaveOut;
    if (!results.empty() && corvane::files::EarlierOutput(results, corvane::files::kBatchHeader))
        leaveOut.push_back(results);
    if (!details.empty() &&
        corvane::files::EarlierOutput(details, corvane::performance::DetailsHeader()))
        leaveOut.push_back(details);
    return leaveOut;
}

// A file that could not be written: the message, and that it was kept.
void ReportUnwritten(const std::string& path, const std::string& message) {
    ReportFile(path, message + "; the file was left as it was");
}

namespace files = corvane::files;

// What the command line asks for.
struct BatchCommand {
    std::string resultsPath = "-";
    std::string settingsPath;
    std::string detailsPath;
    std::string curvesFolder;
    std::vector<std::string> arguments;
    std::vector<std::string> lists;
    bool append = false;
    bool recursive = false;
    bool nulSeparated = false;
    int threads = AvailableCores();

    bool ToStandardOutput() const { return resultsPath == "-"; }
    bool WithDetails() const { return !detailsPath.empty(); }
    // The results file, empty when the results go to standard output.
    std::string ResultsFile() const { return ToStandardOutput() ? std::string() : resultsPath; }
};

void AddOutputOptions(CLI::App& app, BatchCommand& command) {
    app.add_option("-o,--output", command.resultsPath,
                   "results file; '-' or absent: standard output")
        ->option_text("RESULTS");
    app.add_flag("--append", command.append,
                 "add the lines to RESULTS instead of replacing it; the header is written only "
                 "into a new or empty file. Old and new lines reach the disk together or not at "
                 "all; a failing capture adds the lines before it")
        ->needs("-o");
    app.add_option("--details", command.detailsPath,
                   "also write the engine-performance figures of each capture into DETAILS: " +
                       corvane::performance::DetailsFigureColumnNames() +
                       ", then the expanded uncertainties (k = 2) " +
                       corvane::performance::DetailsUncertaintyColumnNames() +
                       ", then, for a grab once the friction is known, " +
                       corvane::performance::DetailsEnergyColumnNames() +
                       " (point decimal, CR LF). "
                   "A grab leaves the maximum-power fields empty, a dyna the cycle, work, "
                   "indicated power, efficiency and friction fields; a capture whose figures "
                   "cannot be evaluated gets its file and kind only, and the reason on standard "
                   "error. DETAILS holds the same captures as the results and follows the same "
                   "rules (--append too)")
        ->option_text("DETAILS");
    app.add_option("--curves", command.curvesFolder,
                   "also write the power curve of each dyna, point by point with its expanded "
                   "uncertainty, into DIR/NAME.curve.csv: " +
                       std::string(corvane::performance::kCurveHeader) +
                       " (NAME: the capture's file name without its extension; point decimal, "
                       "CR LF). DIR must be an existing folder that is not evaluated itself")
        ->option_text("DIR");
}

void AddInputOptions(CLI::App& app, BatchCommand& command) {
    app.add_option("--settings", command.settingsPath, corvane::tools::kSettingsOptionHelp)
        ->option_text("INI");
    app.add_option("-j,--jobs", command.threads,
                   "capture files evaluated at once (default: the number of cores); the results "
                   "are the same, in the same order, for every N")
        ->option_text("N")
        ->check(CLI::Range(1, kMaxThreads));
    app.add_flag("-r,--recursive", command.recursive, "a FOLDER's sub-folders too");
    app.add_option("--files-from", command.lists,
                   "names of capture files or folders, one a line, after those of the command "
                   "line; '-': standard input")
        ->option_text("LIST");
    app.add_flag("-0,--null", command.nulSeparated,
                 "the names of each LIST end with a NUL character, not a line end, as find "
                 "-print0 writes them (xargs -0); without it a name holding a NUL is an error")
        ->needs("--files-from");
    app.add_option("CAPTURE", command.arguments,
                   "capture files (grab or dyna) and folders, evaluated in this order");
}

// Why the outputs named cannot be written: one would replace an input (or the
// other output), or the results cannot be appended to. Empty when they can.
std::string RefusedOutputs(const BatchCommand& command) {
    const std::string& results = command.resultsPath;
    const std::string& details = command.detailsPath;
    const std::string& settings = command.settingsPath;
    if (command.append && command.ToStandardOutput())
        return "--append needs a results file (-o RESULTS)";
    if (!command.ToStandardOutput() && !settings.empty() && files::SameFile(results, settings))
        return files::ResultsFileIsInputError(results, "the settings file").what();
    if (details == "-") return "--details needs a file name, not standard output";
    if (command.WithDetails() && !command.ToStandardOutput() && files::SameFile(details, results))
        return files::ResultsFileIsInputError(details, "the results file", "details file").what();
    if (command.WithDetails() && !settings.empty() && files::SameFile(details, settings))
        return files::ResultsFileIsInputError(details, "the settings file", "details file").what();
    for (const auto& [output, file] : {std::pair{command.ResultsFile(), "results file"},
                                       std::pair{details, "details file"}}) {
        std::string refused = output.empty() ? "" : ListIsOutput(command.lists, output, file);
        if (!refused.empty()) return refused;
    }
    return {};
}

// The names given (on the command line and in the lists) and the capture
// files they name, folders and lists opened; an exit status when there are
// none to evaluate.
std::optional<int> FindCaptures(const BatchCommand& command, std::vector<std::string>& names,
                                std::vector<std::string>& captures) {
    try {
        names =
            Names(command.arguments, command.lists,
                  command.nulSeparated ? files::NameSeparator::Nul : files::NameSeparator::Line);
        captures = files::CaptureFilesOf(
            names, command.recursive, LeftOutOfFolders(command.ResultsFile(), command.detailsPath));
    } catch (const files::InputReadError& error) {
        ReportFile(error.path(), error.what());
        return kExitUsage;
    }
    if (captures.empty()) {
        return UsageError(command.arguments.empty() && command.lists.empty()
                              ? "no capture file or folder given"
                              : "no capture file to evaluate in the folders and lists given");
    }
    return std::nullopt;
}

// Why the curves may not go where asked, or "" (also when none are asked for):
// the names of the command line and of the lists are inputs alike, and so
// are the lists themselves.
std::string RefusedCurves(const BatchCommand& command, const std::vector<std::string>& names,
                          const std::vector<std::string>& captures) {
    if (command.curvesFolder.empty()) return {};
    std::vector<std::string> inputs = names;
    inputs.insert(inputs.end(), command.lists.begin(), command.lists.end());
    const std::string refused = corvane::batch::CurvesRefusal(command.curvesFolder, inputs,
                                                              command.recursive, captures);
    return refused.empty() ? refused : refused + "; nothing was evaluated";
}

// A run that was killed left its temporary files; this one removes its own
// when interrupted.
void GuardOutputs(const BatchCommand& command) {
    std::vector<std::string> outputs;
    if (!command.ToStandardOutput()) outputs.push_back(command.resultsPath);
    if (command.WithDetails()) outputs.push_back(command.detailsPath);
    for (const std::string& output : outputs) files::AtomicFile::RemoveLeftovers(output);
    corvane::tools::RemoveTemporariesWhenInterrupted(outputs);
}

// One evaluation, and so one working record, per thread.
// Each dyna's curve is written after its evaluation, on its thread.
files::MakeEvaluation EvaluationOf(const BatchCommand& command,
                                   const corvane::tools::EvaluationSettings& settings,
                                   corvane::batch::CurveFiles& curves) {
    const auto details = command.WithDetails() ? files::HeadlessEvaluation::Details::Yes
                                               : files::HeadlessEvaluation::Details::No;
    return [&settings, details, &curves]() -> files::EvaluateCapture {
        return curves.Evaluating(std::make_shared<files::HeadlessEvaluation>(
            settings.disks, settings.numbers, details, settings.bench));
    };
}

files::BatchOptions OptionsOf(const BatchCommand& command) {
    files::BatchOptions options;
    options.threads = command.threads;
    options.append = command.append;
    if (command.WithDetails()) {
        options.details = files::BatchOptions::DetailsFile{command.detailsPath,
                                                           corvane::performance::DetailsHeader()};
    }
    options.written = [toStandardOutput = command.ToStandardOutput()](
                          const std::string& path, const files::CaptureOutcome& outcome) {
        if (outcome.notes.empty()) return;
        if (toStandardOutput) FlushStandardOutput();
        for (const std::string& note : outcome.notes) ReportFile(path, note);
    };
    return options;
}

void RunBatch(const BatchCommand& command, const std::vector<std::string>& captures,
              const files::MakeEvaluation& evaluation, const files::BatchOptions& options) {
    if (!command.ToStandardOutput()) {
        files::RunBatchToFile(command.resultsPath, captures, evaluation, options);
        return;
    }
    try {
        files::RunBatch(captures, evaluation, WriteStandardOutput, options);
    } catch (const files::BatchFileError&) {
        FlushStandardOutput();  // the lines before the failed file stand
        throw;
    }
    FlushStandardOutput();
}

// Runs the batch and says on standard error what failed; the exit status.
int RunAndReport(const BatchCommand& command, const std::vector<std::string>& captures,
                 const files::MakeEvaluation& evaluation, const files::BatchOptions& options) {
    try {
        RunBatch(command, captures, evaluation, options);
    } catch (const files::ResultsFileIsInputError& error) {
        return UsageError(error.what());
    } catch (const files::NotAResultsFileError& error) {
        return UsageError(error.what());
    } catch (const files::BatchFileError& error) {
        ReportFile(error.path(), error.message());
        if (!command.ToStandardOutput())
            ReportFile(command.resultsPath, files::StoppedBatchNote(error));
        if (command.WithDetails()) ReportFile(command.detailsPath, files::StoppedDetailsNote(error));
        return kExitFailed;
    } catch (const files::BatchOutputError& error) {
        // A file could not be written; it is left as it was.
        ReportUnwritten(error.path(), error.what());
        return kExitFailed;
    } catch (const std::exception& error) {
        // The results file itself could not be written; it is left as it was.
        if (command.ToStandardOutput()) ReportFile("standard output", error.what());
        if (!command.ToStandardOutput()) ReportUnwritten(command.resultsPath, error.what());
        return kExitFailed;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Evaluates capture files in the order given into one comma-separated results file:\n"
        "a header, then one line per file with its temperatures, speed, indicated power,\n"
        "shaft power and torque.",
        kProgram};
    app.set_version_flag("--version", corvane::VersionLine(kProgram));
    app.footer(kLargeBatches);
    BatchCommand command;
    AddOutputOptions(app, command);
    AddInputOptions(app, command);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& answer) {  // --help or --version
        return app.exit(answer);
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what());
    }
    if (const std::string refused = RefusedOutputs(command); !refused.empty())
        return UsageError(refused);
    std::vector<std::string> names, captures;
    if (const auto status = FindCaptures(command, names, captures)) return *status;
    if (const std::string refused = RefusedCurves(command, names, captures); !refused.empty())
        return UsageError(refused);
    corvane::tools::EvaluationSettings settings;
    if (!corvane::tools::LoadEvaluationSettings(command.settingsPath, settings)) return kExitUsage;
    GuardOutputs(command);
    corvane::batch::CurveFiles curves(command.curvesFolder, settings.bench);
    const int status = RunAndReport(command, captures, EvaluationOf(command, settings, curves),
                                    OptionsOf(command));
    return status == 0 && curves.Failed() ? kExitFailed : status;
}
