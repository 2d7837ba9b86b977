// corvane-batch: evaluates capture files into one results file, as the
// window's Multiple button does, for scripts and CI.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "corvane/version.h"
#include "files/batch.h"
#include "files/file_error.h"
#include "files/file_identity.h"
#include "files/headless_evaluation.h"
#include "settings/disk_table_settings.h"
#include "settings/ini_file.h"
#include "text/number_format.h"

namespace {

constexpr const char* kProgram = "corvane-batch";
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr const char* kUsage = "Usage: corvane-batch [-o RESULTS] [--settings INI] CAPTURE...";

int UsageError(const std::string& message) {
    std::cerr << "corvane-batch: " << message << '\n' << kUsage << '\n';
    return kExitUsage;
}

// "FILE: message" on standard error; a control character in the name cannot
// start a line of its own.
void Report(const std::string& path, const std::string& message) {
    std::cerr << corvane::files::PrintableName(path) << ": " << message << '\n';
}

// The disk table of a settings file named on the command line. A file that is
// missing, unreadable or not read whole is an error: every dyna result would
// silently be computed without (some of) its disks.
std::optional<corvane::analysis::DiskTable> LoadDisks(const std::string& settingsPath,
                                                      const corvane::text::NumberFormat& numbers) {
    namespace settings = corvane::settings;
    try {
        const settings::IniFile ini(settingsPath, settings::IniFile::Missing::IsAnError);
        if (!ini.Damage().empty()) {
            Report(settingsPath, "could not be read whole: " + ini.Damage());
            return std::nullopt;
        }
        return settings::LoadDiskTable(ini, numbers);
    } catch (const corvane::files::FileError& error) {
        Report(settingsPath, error.what());
        return std::nullopt;
    }
}

// Writes to standard output, reporting a failed write like a file's.
void WriteStandardOutput(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        throw corvane::files::FileError("Disk write error");
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Evaluates capture files in the order given into one comma-separated results file:\n"
        "a header, then one line per file with its temperatures, speed, indicated power,\n"
        "shaft power and torque.",
        kProgram};
    app.set_version_flag("--version", corvane::VersionLine(kProgram));
    std::string resultsPath = "-";
    std::string settingsPath;
    std::vector<std::string> captures;
    app.add_option("-o,--output", resultsPath, "results file; '-' or absent: standard output")
        ->option_text("RESULTS");
    app.add_option("--settings", settingsPath,
                   "settings file whose Flywheel sections give the disk table "
                   "(default: five blank rows); a file that cannot be read is an error")
        ->option_text("INI");
    app.add_option("CAPTURE", captures, "capture files (grab or dyna), evaluated in this order")
        ->required();
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& answer) {  // --help or --version
        return app.exit(answer);
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what());
    }

    namespace files = corvane::files;
    const bool toStandardOutput = resultsPath == "-";
    if (!toStandardOutput && !settingsPath.empty() && files::SameFile(resultsPath, settingsPath)) {
        return UsageError(files::ResultsFileIsInputError(resultsPath, "the settings file").what());
    }

    const corvane::text::NumberFormat numbers = corvane::text::PointComma();
    corvane::analysis::DiskTable disks(corvane::settings::kDiskTableRows);
    if (!settingsPath.empty()) {
        const auto loaded = LoadDisks(settingsPath, numbers);
        if (!loaded) return kExitUsage;
        disks = *loaded;
    }
    files::HeadlessEvaluation evaluation(std::move(disks), numbers);
    evaluation.onDynaAdvice = [](const std::string& path, const std::string& advice) {
        Report(path, advice);
    };
    auto evaluate = [&evaluation](const std::string& path) { return evaluation.Evaluate(path); };

    try {
        if (toStandardOutput) {
            files::RunBatch(captures, evaluate, WriteStandardOutput);
        } else {
            files::RunBatchToFile(resultsPath, captures, evaluate);
        }
    } catch (const files::ResultsFileIsInputError& error) {
        return UsageError(error.what());
    } catch (const files::BatchFileError& error) {
        Report(error.path(), error.message());
        if (!toStandardOutput) Report(resultsPath, files::StoppedBatchNote(error));
        return kExitFailed;
    } catch (const std::exception& error) {
        // The results file itself could not be written; it is left as it was.
        Report(toStandardOutput ? std::string("standard output") : resultsPath, error.what());
        return kExitFailed;
    }
    return 0;
}
