// corvane-record: records a whole experiment into a recording folder (every
// scan, every cycle evaluated, events), from the board or replayed from a
// file, for unattended runs; and takes one second of a recording out as a
// grab capture file.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "analysis/capture_plan.h"
#include "analysis/moment_of_inertia.h"
#include "corvane/version.h"
#include "daq/board_factory.h"
#include "daq/board_stream.h"
#include "daq/simulated_board.h"
#include "files/capture_writer.h"
#include "recording/grab_export.h"
#include "recording/recorder.h"
#include "recording/recording_error.h"
#include "recording/recording_reader.h"
#include "recording/replay_stream.h"
#include "recording/recording_settings.h"
#include "settings/board_settings.h"
#include "settings/disk_table_settings.h"
#include "settings/ini_file.h"
#include "stop_signals.h"
#include "text/number_format.h"

namespace {

using namespace corvane;

constexpr const char* kProgram = "corvane-record";
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr double kLongestSeconds = 1e8;  // three years
constexpr const char* kUsage =
    "Usage: corvane-record -o RUN [--seconds S] [--settings INI]\n"
    "       corvane-record --replay SOURCE -o RUN [--fast] [--rate R] [--seconds S]\n"
    "       corvane-record --export RUN --at SECONDS -o CAPTURE.csv";

constexpr const char* kFooter =
    "RUN is a folder of its own (made new, or empty): samples.u16 (every scan's\n"
    "converter counts, little-endian 16-bit, channels interleaved; in numpy\n"
    "np.fromfile('RUN/samples.u16', '<u2').reshape(-1, 5)), cycles.csv (one line\n"
    "per engine cycle), events.csv (start, stop, gaps, failures) and manifest.ini.\n"
    "Everything up to a second before a crash or power cut stays readable;\n"
    "Ctrl+C or SIGTERM ends the recording cleanly.\n"
    "\n"
    "Exit status: 0 recorded (or exported) as asked; 1 a failure during the run\n"
    "(what was recorded is kept); 2 a wrong command line, nothing recorded.";

struct Options {
    std::string output;
    std::optional<double> seconds;
    std::string settingsPath;
    std::string replay;
    bool fast = false;
    std::optional<long> rate;
    std::string exportRun;
    std::optional<double> at;
};

int UsageError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n%s\n", kProgram, message.c_str(), kUsage);
    return kExitUsage;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
    return kExitFailed;
}

// CLI11's ranges let NaN through (every comparison with it is false).
const CLI::Validator kPositive(
    [](std::string& text) {
        double value = 0.0;
        if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || !(value > 0))
            return "Value " + text + " is not a positive number";
        return std::string();
    },
    "POSITIVE");

const CLI::Validator kNotNegative(
    [](std::string& text) {
        double value = 0.0;
        if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value < 0)
            return "Value " + text + " is not a number of seconds from the start";
        return std::string();
    },
    "NOT NEGATIVE");

void AddOptions(CLI::App& app, Options& options) {
    app.add_option("-o,--output", options.output,
                   "the recording folder to make; with --export, the capture file to write")
        ->option_text("RUN|CAPTURE.csv");
    app.add_option("--seconds", options.seconds,
                   "stop after S seconds of the stream (default: until the source ends or "
                   "Ctrl+C)")
        ->option_text("S")
        ->check(kPositive)
        ->check(CLI::Range(0.0, kLongestSeconds));
    app.add_option("--settings", options.settingsPath,
                   "settings file: its [DAQ] Board is the board recorded from (without it: the "
                   "simulated engine) and its disk table goes into the manifest; a file that "
                   "cannot be read is an error")
        ->option_text("INI");
    app.add_option("--replay", options.replay,
                   "take the scans from SOURCE instead of the board: a recording folder, or a "
                   "CSV of volts with the header pressure_v,tach_v (optionally "
                   ",lo_temp_v,heater_v,hi_temp_v), one row per scan; in real time unless "
                   "--fast")
        ->option_text("SOURCE");
    app.add_flag("--fast", options.fast, "replay as fast as it can be evaluated");
    app.add_option("--rate", options.rate,
                   "scans per second of a CSV replay (default 1000); a recording keeps its own")
        ->option_text("R")
        ->check(CLI::Range(1L, 100000L));
    app.add_option("--export", options.exportRun,
                   "write one second of the recording RUN, from --at on, as a grab capture "
                   "file (-o); its monitor values are the means over that second")
        ->option_text("RUN");
    app.add_option("--at", options.at, "where the exported second starts, seconds from the start")
        ->option_text("SECONDS")
        ->check(kNotNegative);
}

// The combinations the three uses allow; empty when fine.
std::string Misuse(const Options& o) {
    if (o.output.empty()) return "-o is required";
    if (!o.exportRun.empty()) {
        if (!o.at) return "--export needs --at SECONDS";
        if (!o.replay.empty() || o.fast || o.seconds || o.rate)
            return "--export takes only --at and -o";
        return {};
    }
    if (o.at) return "--at belongs to --export";
    if (o.replay.empty() && o.fast) return "--fast belongs to --replay";
    if (o.rate && (o.replay.empty() || std::filesystem::is_directory(o.replay)))
        return "--rate belongs to a CSV --replay; a recording and the board keep their own";
    return {};
}

int Export(const Options& options) {
    try {
        const analysis::CaptureRecord record = recording::GrabAt(options.exportRun, *options.at);
        files::WriteCaptureFile(options.output, record,
                                analysis::DiskTable(settings::kDiskTableRows));
    } catch (const recording::RecordingError& error) {
        return Failure(error.what());
    } catch (const std::exception& error) {
        return Failure(options.output + ": " + error.what());
    }
    return 0;
}

std::string Clock(double seconds) {
    const auto whole = static_cast<long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

std::string StatusLine(const recording::RecordingStatus& status) {
    char text[160];
    const auto& cycle = status.lastCycle;
    std::snprintf(text, sizeof text, "%s  cycles %llu  rpm %.1f  indicated power %.2f mW  gaps %llu",
                  Clock(status.seconds).c_str(), static_cast<unsigned long long>(status.cycles),
                  cycle ? cycle->rpm : 0.0, cycle ? cycle->indicatedPowerMilliW : 0.0,
                  static_cast<unsigned long long>(status.gaps));
    return text;
}

struct Source {
    daq::BoardChoice board;  // outlives the stream that scans it
    std::unique_ptr<daq::ScanStream> stream;
    std::string name;
    bool simulated = false;
};

// The board the settings file configures ([DAQ] Board); without one, the
// simulated engine.
Source OpenBoard(const Options& options) {
    const settings::IniFile ini = options.settingsPath.empty()
                                      ? settings::IniFile::FromText("", "")
                                      : settings::IniFile(options.settingsPath,
                                                          settings::IniFile::Missing::IsAnError);
    Source source;
    source.board = daq::MakeBoard(settings::ReadBoardSettings(ini));
    source.name = source.board.name;
    source.simulated = source.board.simulated != nullptr;
    const daq::StreamFormat format{analysis::kRecordingPlan.lowChannel,
                                   analysis::kRecordingPlan.highChannel,
                                   analysis::kRecordingPlan.rate};
    // A sped-up simulated engine fills the buffer faster: it gets the
    // buffer's real time all the same.
    daq::BoardStreamOptions stream;
    if (source.board.simulated != nullptr)
        stream.speedUp = source.board.simulated->Parameters().run.speedUp;
    source.stream = daq::OpenBoardStream(*source.board.board, format, stream);
    return source;
}

Source OpenSource(const Options& options) {
    if (options.replay.empty()) return OpenBoard(options);
    Source source;
    source.stream = recording::OpenReplay(options.replay, options.rate.value_or(1000));
    source.name = "replay of " + options.replay;
    if (std::filesystem::is_directory(options.replay)) {
        source.simulated = recording::ReadRecording(options.replay).manifest.simulated;
    }
    if (!options.fast) {
        source.stream = std::make_unique<recording::PacedStream>(std::move(source.stream));
    }
    return source;
}

int RecordRun(const Options& options, const analysis::DiskTable& disks,
              const recording::SteadyCriteria& steady) {
    Source source;
    std::unique_ptr<recording::RecordingWriter> writer;
    try {
        source = OpenSource(options);
        recording::Manifest manifest{recording::UtcNow(), source.stream->Format(), source.name,
                                     source.simulated, VersionLine(kProgram), disks, 0};
        writer = std::make_unique<recording::RecordingWriter>(options.output, manifest);
    } catch (const std::exception& error) {
        return Failure(error.what());
    }
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    recording::RecorderOptions run;
    run.steady = steady;
    if (options.seconds) {
        run.scanLimit = static_cast<std::uint64_t>(
            std::llround(*options.seconds * static_cast<double>(source.stream->Format().rate)));
    }
    if (terminal) {
        run.everySecond = [](const recording::RecordingStatus& status) {
            std::printf("\r%s ", StatusLine(status).c_str());
            std::fflush(stdout);
        };
    }
    const record::StopOnSignal signals(*source.stream);
    recording::RecordingEnd end;
    try {
        end = recording::Record(*source.stream, *writer, run);
    } catch (const std::exception& error) {  // a source without pressure and tachometer
        return Failure(options.replay + ": " + error.what());
    }
    std::printf("%s%s: %s\n", terminal ? "\r" : "", options.output.c_str(),
                StatusLine(end.status).c_str());
    if (end.failed) return Failure(end.message);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    record::BlockStopSignals();
    CLI::App app{
        "Records the engine into a recording folder: every scan of the five channels, every "
        "cycle evaluated (speed, work, indicated power, temperatures, heater power) and the "
        "run's events; shows the elapsed time, cycles, speed and indicated power once a second "
        "on a terminal.",
        kProgram};
    app.set_version_flag("--version", VersionLine(kProgram));
    app.footer(kFooter);
    Options options;
    AddOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& answer) {  // --help or --version
        return app.exit(answer);
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what());
    }
    if (const std::string misuse = Misuse(options); !misuse.empty()) return UsageError(misuse);
    if (!options.exportRun.empty()) return Export(options);

    analysis::DiskTable disks(settings::kDiskTableRows);
    recording::SteadyCriteria steady;
    if (!options.settingsPath.empty()) {
        auto loaded = settings::LoadDiskTableFile(options.settingsPath, text::PointComma());
        if (!loaded.error.empty()) {
            std::fprintf(stderr, "%s: %s\n", options.settingsPath.c_str(), loaded.error.c_str());
            return kExitUsage;
        }
        disks = std::move(loaded.disks);
        steady = recording::LoadSteadyCriteria(settings::IniFile(options.settingsPath));
    }
    return RecordRun(options, disks, steady);
}
