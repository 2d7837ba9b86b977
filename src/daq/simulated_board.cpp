#include "daq/simulated_board.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "daq/board_errors.h"
#include "daq/engine_model.h"
#include "daq/engine_scan.h"

namespace corvane::daq {

namespace {

double Within(double value, double lowest, double highest, double fallback) {
    return (std::isfinite(value) && value >= lowest && value <= highest) ? value : fallback;
}

}  // namespace

EngineParameters CheckedParameters(const EngineParameters& parameters) {
    const EngineParameters defaults;
    EngineParameters checked = parameters;
    checked.rpm = Within(parameters.rpm, 10.0, 2000.0, defaults.rpm);
    checked.heaterPowerW = Within(parameters.heaterPowerW, 0.0, 20.0, defaults.heaterPowerW);
    checked.loadMilliNm = Within(parameters.loadMilliNm, 0.0, 1000.0, defaults.loadMilliNm);
    checked.noiseVolts = Within(parameters.noiseVolts, 0.0, 5.0, defaults.noiseVolts);
    // Both disk figures must be positive, or the dyna would have no flywheel.
    if (Within(parameters.flywheelMassG, 1.0, 100000.0, 0.0) == 0.0 ||
        Within(parameters.flywheelDiameterMm, 1.0, 2000.0, 0.0) == 0.0) {
        checked.flywheelMassG = defaults.flywheelMassG;
        checked.flywheelDiameterMm = defaults.flywheelDiameterMm;
    }
    return checked;
}

SimulatedBoard::SimulatedBoard(const EngineParameters& parameters)
    : parameters_(CheckedParameters(parameters)), model_(parameters_) {
    std::seed_seq sequence{static_cast<std::uint32_t>(parameters_.seed),
                           static_cast<std::uint32_t>(parameters_.seed >> 32), 0x41496eu};
    readings_.seed(sequence);
}

SimulatedBoard::~SimulatedBoard() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    CloseScans();
}

EngineParameters SimulatedBoard::Parameters() const {
    std::lock_guard lock(mutex_);
    return parameters_;
}

void SimulatedBoard::SetParameters(const EngineParameters& parameters) {
    {
        std::lock_guard lock(mutex_);
        parameters_ = CheckedParameters(parameters);
        model_ = EngineModel(parameters_);
    }
    changed_.notify_all();
}

int SimulatedBoard::cbStopBackground(int board, int) {
    if (board != 0) return kBadArgument;
    {
        std::lock_guard lock(mutex_);
        ++stopRequests_;
    }
    changed_.notify_all();
    return kNoErrors;
}

int SimulatedBoard::Unplugged() {
    return Fail(kBoardNotFound, "simulated engine: the USB cable is pulled out");
}

int SimulatedBoard::ReadChannel(int channel, std::uint16_t& count) {
    std::lock_guard lock(mutex_);
    if (parameters_.faults.unplugged) return Unplugged();
    count = SimulateReading(model_, channel, readings_);
    return kNoErrors;
}

int SimulatedBoard::ScanChannels(const ScanRequest& request, std::span<std::uint16_t> samples,
                                 long&) {
    std::optional<EngineModel> model;
    std::uint64_t scanNumber = 0;
    std::uint64_t stopsBefore = 0;
    {
        std::lock_guard lock(mutex_);
        if (parameters_.faults.unplugged) return Unplugged();
        if (closing_) return Fail(kBoardNotFound, "simulated engine: closed");
        model = model_;
        scanNumber = scansTaken_++;
        stopsBefore = stopRequests_;
    }
    const EngineParameters& parameters = model->Parameters();
    const auto simulated = SimulateScan(*model, request, parameters.seed, scanNumber);

    std::unique_lock lock(mutex_);
    if (!parameters.instantScans) {
        const auto duration = std::chrono::duration<double>(request.Seconds());
        changed_.wait_for(lock, duration, [&] {
            return parameters_.faults.unplugged || closing_ || stopRequests_ != stopsBefore;
        });
    }
    if (parameters_.faults.unplugged) return Unplugged();
    if (closing_) return Fail(kBoardNotFound, "simulated engine: closed during the scan");
    if (stopRequests_ != stopsBefore) return Fail(kScanStopped, "simulated engine: scan stopped");
    if (simulated.size() != samples.size()) return Fail(kBadArgument, "scan: not whole scans");
    std::copy(simulated.begin(), simulated.end(), samples.begin());
    return kNoErrors;
}

}  // namespace corvane::daq
