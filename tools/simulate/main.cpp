// corvane-simulate: one capture from the simulated engine, written as a capture
// file exactly as Export writes it, with the engine's truth as JSON on stdout.
// Teachers make exercise data with it; the tests check the analysis against it.

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdint>
#include <system_error>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "analysis/capture_plan.h"
#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "corvane/version.h"
#include "daq/capture_transaction.h"
#include "daq/engine_model.h"
#include "daq/engine_truth.h"
#include "daq/simulated_board.h"
#include "files/capture_writer.h"
#include "tool_messages.h"
#include "truth_json.h"

namespace {

using namespace corvane;

constexpr const char* kProgram = "corvane-simulate";
constexpr int kDiskRows = 5;
constexpr double kDynaMs = analysis::kDynaPlan.Seconds() * 1000.0;
constexpr double kTruthStepMs = 10.0;

std::string NumberText(double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// The disk table a student would type for this flywheel: one row per solid disk.
analysis::DiskTable DiskTableOf(const daq::EngineModel& model) {
    analysis::DiskTable table(kDiskRows);
    const auto disks = model.Disks();
    for (std::size_t row = 0; row < disks.size() && row < table.size(); ++row) {
        table[row] = {NumberText(disks[row].massG), NumberText(disks[row].diameterMm),
                      NumberText(disks[row].MomentOfInertiaGm2())};
    }
    return table;
}

using corvane::tools::kExitFailed;
using corvane::tools::kExitUsage;
constexpr int kExitNoBoard = 2;  // the simulated board is unplugged

// CLI11's ranges let NaN through (every comparison with it is false).
const CLI::Validator kFinite(
    [](std::string& text) {
        double value = 0.0;
        if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value))
            return "Value " + text + " is not a finite number";
        return std::string();
    },
    "FINITE");

// An unsigned option would take "-1" as 2^64 - 1, and clamp a seed beyond
// 2^64 - 1 to it without a word: either would be another capture than asked for.
const CLI::Validator kNotNegative(
    [](std::string& text) {
        const auto first = text.find_first_not_of(" \t");
        if (first != std::string::npos && text[first] == '-')
            return "Value " + text + " is negative";
        std::uint64_t seed = 0;
        const char* end = text.data() + text.size();
        const auto read = std::from_chars(text.data() + (first == std::string::npos ? 0 : first),
                                          end, seed);
        if (read.ec == std::errc::result_out_of_range)
            return "Value " + text + " is beyond the largest seed, 18446744073709551615";
        return std::string();
    },
    "NOT NEGATIVE");

constexpr double kEvaluableRpm = analysis::kHighestEvaluableRpm;

void SetFault(daq::EngineFaults& faults, const std::string& name) {
    if (name == "unplugged") faults.unplugged = true;
    if (name == "missed-hole") faults.missedHole = true;
    if (name == "too-hot") faults.tooHot = true;
    if (name == "stopped") faults.stopped = true;
}

// What the command line asks for.
struct SimulateCommand {
    std::string kind;
    std::string output;
    std::vector<std::string> faults;
    daq::EngineParameters parameters;
};

// The engine's settings; each is checked to be a finite number in its range.
void AddEngineOptions(CLI::App& app, daq::EngineParameters& parameters) {
    app.add_option("--rpm", parameters.rpm,
                   "steady speed of a grab; free-running speed a dyna accelerates towards. "
                   "Captures at 1000 scans/s can be evaluated up to 1000 rpm; above it the "
                   "analysis may stop at \"Bad red spikes\" (a warning says so)")
        ->check(kFinite)
        ->check(CLI::Range(10.0, 2000.0))
        ->capture_default_str();
    app.add_option("--seed", parameters.seed, "the same seed gives the same capture")
        ->check(kNotNegative)
        ->capture_default_str();
    app.add_option("--noise", parameters.noiseVolts,
                   "noise on every channel, volts (standard deviation)")
        ->check(kFinite)
        ->check(CLI::Range(0.0, 5.0))
        ->capture_default_str();
    app.add_option("--heater", parameters.heaterPowerW, "heater power, watts")
        ->check(kFinite)
        ->check(CLI::Range(0.0, 20.0))
        ->capture_default_str();
    app.add_option("--load", parameters.loadMilliNm, "friction torque, mNm")
        ->check(kFinite)
        ->check(CLI::Range(0.0, 1000.0))
        ->capture_default_str();
    app.add_option("--phase-offset", parameters.phaseOffsetDeg,
                   "crank angle of maximum volume past the wide hole's centre, degrees "
                   "(with --heater 0: a motored capture for corvane-calibrate phase)")
        ->check(kFinite)
        ->check(CLI::Range(-180.0, 180.0))
        ->capture_default_str();
    app.add_option("--pressure-drift", parameters.transducerDriftPercentPerS,
                   "the pressure transducer's zero drifting, % of the pressure swing per second")
        ->check(kFinite);
}

void AddOptions(CLI::App& app, SimulateCommand& command) {
    app.add_option("kind", command.kind, "grab or dyna")
        ->required()
        ->check(CLI::IsMember({"grab", "dyna"}));
    AddEngineOptions(app, command.parameters);
    app.add_flag("--coast-down", command.parameters.coastDown,
                 "dyna: the engine stops giving work as the capture starts and slows from "
                 "--rpm against its friction (a capture for corvane-calibrate friction)");
    app.add_option("--fault", command.faults,
                   "unplugged, missed-hole, too-hot or stopped (repeatable)")
        ->check(CLI::IsMember({"unplugged", "missed-hole", "too-hot", "stopped"}));
    app.add_option("-o,--output", command.output, "capture file to write")->required();
}

// The engine as asked for, its faults set, taking its captures at once.
daq::EngineParameters EngineOf(const SimulateCommand& command) {
    daq::EngineParameters parameters = command.parameters;
    for (const auto& fault : command.faults) SetFault(parameters.faults, fault);
    if (parameters.rpm > kEvaluableRpm) {
        std::fprintf(stderr,
                     "corvane-simulate: warning: above 1000 rpm a capture at 1000 scans/s may not "
                     "be evaluated (\"Bad red spikes\"); the file is written all the same\n");
    }
    parameters.instantScans = true;
    return parameters;
}

// The capture taken and written, the truth printed; the exit status.
int Simulate(const SimulateCommand& command) {
    daq::SimulatedBoard board(EngineOf(command));
    const daq::EngineModel model(board.Parameters());
    const auto captureKind =
        command.kind == "dyna" ? analysis::CaptureKind::Dyna : analysis::CaptureKind::Grab;
    analysis::CaptureRecord record;
    if (daq::TakeCapture(board, captureKind, record) != 0) {
        std::fprintf(stderr,
                     "corvane-simulate: DAQ hardware not found (the simulated board is "
                     "unplugged); no file written\n");
        return kExitNoBoard;
    }
    try {
        files::WriteCaptureFile(command.output, record, DiskTableOf(model));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvane-simulate: %s: %s\n", command.output.c_str(), error.what());
        return kExitFailed;
    }
    const std::string json =
        captureKind == analysis::CaptureKind::Dyna
            ? simulate::DynaTruthJson(daq::DynaTruthOf(model, kDynaMs, kTruthStepMs), model)
            : simulate::GrabTruthJson(daq::GrabTruthOf(model), model);
    std::printf("%s\n", json.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Takes one capture from the simulated engine, writes it as a capture file and prints "
        "the engine's truth as one JSON object.",
        kProgram};
    app.set_version_flag("--version", VersionLine(kProgram));
    SimulateCommand command;
    AddOptions(app, command);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& answer) {  // --help or --version
        return app.exit(answer);
    } catch (const CLI::ParseError& error) {
        app.exit(error);  // prints the message
        return kExitUsage;
    }
    return Simulate(command);
}
