// corvane-calibrate: a bench's calibrations from captures taken for them.
//   corvane-calibrate phase CAPTURE...   crank-phase offset from motored grabs
//   corvane-calibrate pressure KPA=READING KPA=READING   the transducer's scale and zero
//   corvane-calibrate friction CAPTURE... friction a + b n from coast-down dynas

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "corvane/version.h"
#include "files/batch.h"
#include "friction_command.h"
#include "files/headless_evaluation.h"
#include "performance/crank_phase.h"
#include "performance/details_csv.h"
#include "performance/performance.h"
#include "settings/disk_table_settings.h"
#include "text/decimal_text.h"
#include "pressure_command.h"

namespace {

constexpr const char* kProgram = "corvane-calibrate";
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kPhaseDecimals = 3;

void Report(const std::string& path, const std::string& message) {
    std::cerr << corvane::files::PrintableName(path) << ": " << message << '\n';
}

std::string Degrees(std::optional<double> value) {
    if (!value) return "";
    return corvane::text::FixedText(*value, kPhaseDecimals, ".", "");
}

// The offset of one motored grab, or the reason there is none.
std::optional<corvane::performance::PhaseEstimate> PhaseOf(
    corvane::files::HeadlessEvaluation& evaluation, const std::string& path) {
    namespace performance = corvane::performance;
    (void)evaluation.Evaluate(path);
    const corvane::analysis::CaptureRecord& record = evaluation.record();
    if (record.IsDyna) throw std::runtime_error("a dyna: the phase needs a motored grab");
    const performance::PerformanceResult result =
        performance::AnalysePerformance(record, evaluation.disks(), corvane::text::PointComma());
    if (result.status != performance::Status::Evaluated) {
        throw std::runtime_error(std::string(performance::StatusText(result.status)));
    }
    return performance::EstimatePhaseOffset(result);
}

// The fields after the file name: the estimate, or empty with the reason on
// standard error.
std::string PhaseFields(corvane::files::HeadlessEvaluation& evaluation, const std::string& path,
                        int& status) {
    try {
        if (const auto estimate = PhaseOf(evaluation, path)) {
            return Degrees(estimate->offsetDeg) + "," + Degrees(estimate->uncertaintyDeg);
        }
        Report(path, "no complete cycle");
    } catch (const std::exception& error) {
        Report(path, error.what());
    }
    status = kExitFailed;
    return ",";
}

// One CSV line per capture.
int CalibratePhase(const std::vector<std::string>& captures) {
    corvane::files::HeadlessEvaluation evaluation{
        corvane::analysis::DiskTable(corvane::settings::kDiskTableRows)};
    std::cout << "file,phase_offset_deg,phase_offset_u_deg\r\n";
    int status = 0;
    for (const std::string& path : captures) {
        const std::string fields = PhaseFields(evaluation, path, status);
        std::cout << corvane::performance::CsvField(
                         corvane::files::PrintableName(corvane::files::FileNameOf(path)))
                  << ',' << fields << "\r\n";
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Calibrations of the bench from captures taken for them.", kProgram};
    app.set_version_flag("--version", corvane::VersionLine(kProgram));
    app.require_subcommand(1);
    std::vector<std::string> captures;
    CLI::App* phase = app.add_subcommand(
        "phase",
        "the crank-phase offset (degrees; the crank angle from maximum volume is the holes' "
        "angle plus it) from grabs of the engine turned with the heater off, one CSV line "
        "each: file,phase_offset_deg,phase_offset_u_deg");
    phase->add_option("CAPTURE", captures, "motored grab capture files")->required();
    corvane::calibrate::PressureCommand pressure(app);
    CLI::App* friction = app.add_subcommand(
        "friction",
        "the friction torque a + b n (mN m, n in rpm, b per 1000 rpm) from dynas taken while the "
        "engine slows with nothing driving it, one CSV line each: " +
            std::string(corvane::calibrate::kFrictionHeader));
    friction->add_option("CAPTURE", captures, "coast-down dyna capture files")->required();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : kExitUsage;
    }
    if (pressure.chosen()) return pressure.Run();
    if (friction->parsed()) return corvane::calibrate::CalibrateFriction(captures);
    return CalibratePhase(captures);
}
