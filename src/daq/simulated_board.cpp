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

constexpr int kHighestChannel = 7;
constexpr long kHighestRate = 100000;

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
    std::unique_lock lock(mutex_);
    closing_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return activeScans_ == 0; });
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

int SimulatedBoard::cbDeclareRevision(float* revision) {
    return revision != nullptr ? kNoErrors : kBadArgument;
}

int SimulatedBoard::cbErrHandling(int, int) { return kNoErrors; }

int SimulatedBoard::cbAIn(int board, int channel, int range, std::uint16_t* value) {
    std::lock_guard lock(mutex_);
    if (parameters_.faults.unplugged) return kBoardNotFound;
    if (board != 0) return kBoardNotFound;
    if (range != kBip10Volts || channel < 0 || channel > kHighestChannel || value == nullptr) {
        return kBadArgument;
    }
    *value = SimulateReading(model_, channel, readings_);
    return kNoErrors;
}

int SimulatedBoard::cbAInScan(int board, int lowChannel, int highChannel, long count, long* rate,
                              int range, BufferHandle buffer, int options) {
    std::optional<EngineModel> model;
    std::uint64_t scanNumber = 0;
    std::uint64_t stopsBefore = 0;
    const ScanRequest request{lowChannel, highChannel, count, rate != nullptr ? *rate : 0};
    {
        std::lock_guard lock(mutex_);
        if (parameters_.faults.unplugged || board != 0) return kBoardNotFound;
        if (range != kBip10Volts || options != 0 || lowChannel < 0 || highChannel < lowChannel ||
            highChannel > kHighestChannel || count <= 0 || request.rate <= 0 ||
            request.rate > kHighestRate) {
            return kBadArgument;
        }
        if (buffers_.Find(buffer).size() < static_cast<std::size_t>(count)) return kBadBuffer;
        model = model_;
        scanNumber = scansTaken_++;
        stopsBefore = stopRequests_;
        ++activeScans_;
    }
    // Declared before the lock below, so it runs after that lock is released.
    struct LeaveScan {
        SimulatedBoard& board;
        ~LeaveScan() {
            std::lock_guard lock(board.mutex_);
            --board.activeScans_;
            board.changed_.notify_all();
        }
    } leave{*this};

    const EngineParameters& parameters = model->Parameters();
    const auto samples = SimulateScan(*model, request, parameters.seed, scanNumber);

    std::unique_lock lock(mutex_);
    if (!parameters.instantScans) {
        const auto duration = std::chrono::duration<double>(request.Seconds());
        changed_.wait_for(lock, duration, [&] {
            return parameters_.faults.unplugged || closing_ || stopRequests_ != stopsBefore;
        });
    }
    if (parameters_.faults.unplugged || closing_) return kBoardNotFound;
    if (stopRequests_ != stopsBefore) return kScanStopped;
    // The buffer may have been freed by another thread while the scan ran.
    const auto target = buffers_.Find(buffer);
    if (target.size() < samples.size()) return kBadBuffer;
    std::copy(samples.begin(), samples.end(), target.begin());
    return kNoErrors;
}

int SimulatedBoard::cbStopBackground(int board, int) {
    if (board != 0) return kBoardNotFound;
    {
        std::lock_guard lock(mutex_);
        ++stopRequests_;
    }
    changed_.notify_all();
    return kNoErrors;
}

BufferHandle SimulatedBoard::cbWinBufAlloc(long count) {
    std::lock_guard lock(mutex_);
    return buffers_.Allocate(count);
}

int SimulatedBoard::cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long firstPoint,
                                    long count) {
    std::lock_guard lock(mutex_);
    return buffers_.CopyOut(buffer, array, firstPoint, count);
}

int SimulatedBoard::cbWinBufFree(BufferHandle buffer) {
    std::lock_guard lock(mutex_);
    return buffers_.Free(buffer);
}

}  // namespace corvane::daq
