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
#include "settings/disk_table_settings.h"
#include "interrupted_run.h"
#include "settings/performance_settings.h"
#include "text/number_format.h"
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

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Evaluates capture files in the order given into one comma-separated results file:\n"
        "a header, then one line per file with its temperatures, speed, indicated power,\n"
        "shaft power and torque.",
        kProgram};
    app.set_version_flag("--version", corvane::VersionLine(kProgram));
    app.footer(kLargeBatches);
    std::string resultsPath = "-";
    std::string settingsPath;
    std::string detailsPath;
    std::vector<std::string> arguments;
    std::vector<std::string> lists;
    bool append = false;
    bool recursive = false;
    bool nulSeparated = false;
    int threads = AvailableCores();
    app.add_option("-o,--output", resultsPath, "results file; '-' or absent: standard output")
        ->option_text("RESULTS");
    app.add_flag("--append", append,
                 "add the lines to RESULTS instead of replacing it; the header is written only "
                 "into a new or empty file. Old and new lines reach the disk together or not at "
                 "all; a failing capture adds the lines before it")
        ->needs("-o");
    app.add_option("--details", detailsPath,
                   "also write the engine-performance figures of each capture into DETAILS: " +
                       corvane::performance::DetailsFigureColumnNames() +
                       ", then the expanded uncertainties (k = 2) " +
                       corvane::performance::DetailsUncertaintyColumnNames() +
                       " (point decimal, CR LF). "
                   "A grab leaves the last three empty, a dyna the cycle, work, indicated power "
                   "and efficiency fields; a capture whose figures cannot be evaluated gets its "
                   "file and kind only, and the reason on standard error. DETAILS holds the same "
                   "captures as the results and follows the same rules (--append too)")
        ->option_text("DETAILS");
    std::string curvesFolder;
    app.add_option("--curves", curvesFolder,
                   "also write the power curve of each dyna, point by point with its expanded "
                   "uncertainty, into DIR/NAME.curve.csv: " +
                       std::string(corvane::performance::kCurveHeader) +
                       " (NAME: the capture's file name without its extension; point decimal, "
                       "CR LF). DIR must be an existing folder that is not evaluated itself")
        ->option_text("DIR");
    app.add_option("--settings", settingsPath,
                   "settings file whose Flywheel sections give the disk table (default: five "
                   "blank rows) and whose [Performance] section gives the uncertainty budget "
                   "and the calibrations "
                   "(default: the manual's); a file that cannot be read is an error")
        ->option_text("INI");
    app.add_option("-j,--jobs", threads,
                   "capture files evaluated at once (default: the number of cores); the results "
                   "are the same, in the same order, for every N")
        ->option_text("N")
        ->check(CLI::Range(1, kMaxThreads));
    app.add_flag("-r,--recursive", recursive, "a FOLDER's sub-folders too");
    app.add_option("--files-from", lists,
                   "names of capture files or folders, one a line, after those of the command "
                   "line; '-': standard input")
        ->option_text("LIST");
    app.add_flag("-0,--null", nulSeparated,
                 "the names of each LIST end with a NUL character, not a line end, as find "
                 "-print0 writes them (xargs -0); without it a name holding a NUL is an error")
        ->needs("--files-from");
    app.add_option("CAPTURE", arguments,
                   "capture files (grab or dyna) and folders, evaluated in this order");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& answer) {  // --help or --version
        return app.exit(answer);
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what());
    }

    namespace files = corvane::files;
    const bool toStandardOutput = resultsPath == "-";
    if (append && toStandardOutput) return UsageError("--append needs a results file (-o RESULTS)");
    if (!toStandardOutput && !settingsPath.empty() && files::SameFile(resultsPath, settingsPath)) {
        return UsageError(files::ResultsFileIsInputError(resultsPath, "the settings file").what());
    }
    const bool withDetails = !detailsPath.empty();
    if (detailsPath == "-") return UsageError("--details needs a file name, not standard output");
    if (withDetails && !toStandardOutput && files::SameFile(detailsPath, resultsPath)) {
        return UsageError(
            files::ResultsFileIsInputError(detailsPath, "the results file", "details file").what());
    }
    if (withDetails && !settingsPath.empty() && files::SameFile(detailsPath, settingsPath)) {
        return UsageError(
            files::ResultsFileIsInputError(detailsPath, "the settings file", "details file")
                .what());
    }

    for (const auto& [output, file] :
         {std::pair{toStandardOutput ? std::string() : resultsPath, "results file"},
          std::pair{detailsPath, "details file"}}) {
        const std::string refused = output.empty() ? "" : ListIsOutput(lists, output, file);
        if (!refused.empty()) return UsageError(refused);
    }

    std::vector<std::string> captures;
    try {
        captures = files::CaptureFilesOf(
            Names(arguments, lists,
                  nulSeparated ? files::NameSeparator::Nul : files::NameSeparator::Line),
            recursive, LeftOutOfFolders(toStandardOutput ? std::string() : resultsPath, detailsPath));
    } catch (const files::InputReadError& error) {
        ReportFile(error.path(), error.what());
        return kExitUsage;
    }
    if (captures.empty()) {
        return UsageError(arguments.empty() && lists.empty()
                              ? "no capture file or folder given"
                              : "no capture file to evaluate in the folders and lists given");
    }

    if (!curvesFolder.empty()) {
        std::vector<std::string> inputs = arguments;
        inputs.insert(inputs.end(), lists.begin(), lists.end());
        const std::string refused =
            corvane::batch::CurvesRefusal(curvesFolder, inputs, recursive, captures);
        if (!refused.empty()) return UsageError(refused + "; nothing was evaluated");
    }

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
    // A run that was killed left its temporary files; this one removes its own
    // when interrupted.
    std::vector<std::string> outputs;
    if (!toStandardOutput) outputs.push_back(resultsPath);
    if (withDetails) outputs.push_back(detailsPath);
    for (const std::string& output : outputs) files::AtomicFile::RemoveLeftovers(output);
    corvane::tools::RemoveTemporariesWhenInterrupted(outputs);

    // One evaluation, and so one working record, per thread.
    const auto details = withDetails ? files::HeadlessEvaluation::Details::Yes
                                     : files::HeadlessEvaluation::Details::No;
    corvane::batch::CurveFiles curves(curvesFolder, bench);
    const files::MakeEvaluation evaluation = [&disks, &numbers, details, &bench,
                                              &curves]() -> files::EvaluateCapture {
        return curves.Evaluating(
            std::make_shared<files::HeadlessEvaluation>(disks, numbers, details, bench));
    };
    files::BatchOptions options;
    options.threads = threads;
    options.append = append;
    if (withDetails) {
        options.details =
            files::BatchOptions::DetailsFile{detailsPath, corvane::performance::DetailsHeader()};
    }
    options.written = [toStandardOutput](const std::string& path,
                                         const files::CaptureOutcome& outcome) {
        if (outcome.notes.empty()) return;
        if (toStandardOutput) FlushStandardOutput();
        for (const std::string& note : outcome.notes) ReportFile(path, note);
    };

    try {
        if (toStandardOutput) {
            try {
                files::RunBatch(captures, evaluation, WriteStandardOutput, options);
            } catch (const files::BatchFileError&) {
                FlushStandardOutput();  // the lines before the failed file stand
                throw;
            }
            FlushStandardOutput();
        } else {
            files::RunBatchToFile(resultsPath, captures, evaluation, options);
        }
    } catch (const files::ResultsFileIsInputError& error) {
        return UsageError(error.what());
    } catch (const files::NotAResultsFileError& error) {
        return UsageError(error.what());
    } catch (const files::BatchFileError& error) {
        ReportFile(error.path(), error.message());
        if (!toStandardOutput) ReportFile(resultsPath, files::StoppedBatchNote(error));
        if (withDetails) ReportFile(detailsPath, files::StoppedDetailsNote(error));
        return kExitFailed;
    } catch (const files::BatchOutputError& error) {
        // A file could not be written; it is left as it was.
        ReportUnwritten(error.path(), error.what());
        return kExitFailed;
    } catch (const std::exception& error) {
        // The results file itself could not be written; it is left as it was.
        if (toStandardOutput) ReportFile("standard output", error.what());
        if (!toStandardOutput) ReportUnwritten(resultsPath, error.what());
        return kExitFailed;
    }
    return curves.Failed() ? kExitFailed : 0;
}
