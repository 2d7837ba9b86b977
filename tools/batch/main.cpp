// corvane-batch: evaluates capture files into one results file, as the
// window's Multiple button does, for scripts and CI.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "corvane/version.h"
#include "files/batch.h"
#include "files/file_error.h"
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
                   "(default: five blank rows)")
        ->option_text("INI")
        ->check(CLI::ExistingFile);
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
    if (!toStandardOutput) {
        try {
            files::CheckResultsFileIsNotInput(resultsPath, captures);
        } catch (const files::ResultsFileIsInputError& error) {
            return UsageError(error.what());
        }
    }

    const corvane::text::NumberFormat numbers = corvane::text::PointComma();
    corvane::analysis::DiskTable disks(corvane::settings::kDiskTableRows);
    if (!settingsPath.empty()) {
        corvane::settings::IniFile ini(settingsPath);
        disks = corvane::settings::LoadDiskTable(ini, numbers);
    }
    files::HeadlessEvaluation evaluation(std::move(disks), numbers);
    evaluation.onDynaAdvice = [](const std::string& path, const std::string& advice) {
        std::cerr << path << ": " << advice << '\n';
    };
    auto evaluate = [&evaluation](const std::string& path) { return evaluation.Evaluate(path); };

    try {
        if (toStandardOutput) {
            files::RunBatch(captures, evaluate, WriteStandardOutput);
        } else {
            files::RunBatchToFile(resultsPath, captures, evaluate);
        }
    } catch (const files::BatchFileError& error) {
        std::cerr << error.what() << '\n';
        return kExitFailed;
    } catch (const std::exception& error) {
        // The results file itself could not be created or written.
        std::cerr << (toStandardOutput ? std::string("standard output") : resultsPath) << ": "
                  << error.what() << '\n';
        return kExitFailed;
    }
    return 0;
}
