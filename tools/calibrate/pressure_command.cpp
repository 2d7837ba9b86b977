#include "pressure_command.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <iostream>
#include <stdexcept>

#include "analysis/pressure_channel.h"
#include "files/batch.h"
#include "files/headless_evaluation.h"
#include "performance/pressure_calibration.h"
#include "settings/calibration_settings.h"
#include "settings/disk_table_settings.h"
#include "text/decimal_text.h"

namespace corvane::calibrate {

namespace {

constexpr int kScaleDecimals = 5;
constexpr int kVoltsDecimals = 4;

std::optional<double> Number(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return {};
    return value;
}

// A reading in volts, or the mean of a grab's pressure channel.
double ReadingVolts(const std::string& reading) {
    if (const auto volts = Number(reading)) return *volts;
    files::HeadlessEvaluation evaluation{analysis::DiskTable(settings::kDiskTableRows)};
    try {
        (void)evaluation.Evaluate(reading);
    } catch (const std::exception& error) {
        throw std::runtime_error(reading + ": " + error.what());
    }
    const analysis::CaptureRecord& record = evaluation.record();
    if (record.IsDyna) throw std::runtime_error(reading + ": a dyna has no pressure channel");
    if (record.SampleCount < 2) throw std::runtime_error(reading + ": no samples");
    return analysis::MeanPressureVolts(record);
}

performance::CalibrationPoint PointOf(const std::string& text) {
    const auto equals = text.find('=');
    const auto kpa = Number(text.substr(0, equals));
    if (equals == std::string::npos || !kpa)
        throw std::runtime_error(text + ": give a point as KPA=VOLTS or KPA=CAPTURE");
    return {*kpa, ReadingVolts(text.substr(equals + 1))};
}

}  // namespace

PressureCommand::PressureCommand(CLI::App& app) {
    command_ = app.add_subcommand(
        "pressure",
        "the pressure transducer's scale (over the nominal 0.4 V per kPa) and zero (volts at "
        "atmospheric pressure) from two known gauge pressures, one CSV line: "
        "pressure_scale,pressure_zero_volts");
    command_->add_option("POINT", points_,
                         "KPA=VOLTS or KPA=CAPTURE: a gauge pressure (kPa above atmospheric) and "
                         "the transducer's reading there, in volts or as a grab taken meanwhile")
        ->required()
        ->expected(2);
    command_->add_option("--store", store_,
                         "also write PressureScale and PressureZeroVolts into this settings file");
}

int PressureCommand::Run() const {
    try {
        const auto calibration = performance::TwoPointCalibration(PointOf(points_[0]), PointOf(points_[1]));
        if (!calibration) {
            throw std::runtime_error(
                "no calibration: the two pressures must differ and the reading rise with them");
        }
        std::cout << "pressure_scale,pressure_zero_volts\r\n"
                  << text::FixedText(calibration->scale, kScaleDecimals, ".", "") << ','
                  << text::FixedText(calibration->zeroVolts, kVoltsDecimals, ".", "") << "\r\n";
        if (!store_.empty()) {
            settings::IniFile ini(store_);
            settings::StorePressureCalibration(ini, *calibration);
            ini.Save();
        }
        return 0;
    } catch (const std::exception& error) {
        std::cerr << files::PrintableName(error.what()) << '\n';
        return 1;
    }
}

}  // namespace corvane::calibrate
