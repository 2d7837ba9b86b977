#include "daq/simulated_board.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "daq/board_errors.h"
#include "daq/engine_model.h"
#include "daq/engine_run.h"
#include "daq/engine_scan.h"
#include "daq/run_scan.h"

namespace corvane::daq {

namespace {

constexpr auto kProducerTick = std::chrono::milliseconds(10);
// An overrun: the board stalls this long before the burst that overruns the
// buffer, so that a reader has taken everything before it.
constexpr auto kOverrunStall = std::chrono::seconds(1);

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
    checked.run = CheckedRun(parameters.run);
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
    StopContinuous();
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

int SimulatedBoard::cbStopBackground(int board, int functionType) {
    if (board != 0) return kBadArgument;
    {
        std::lock_guard lock(mutex_);
        ++stopRequests_;
    }
    changed_.notify_all();
    return BoardBackend::cbStopBackground(board, functionType);
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

namespace corvane::daq {

int SimulatedBoard::StartContinuous(const ScanRequest& request, long&) {
    std::lock_guard producing(producerMutex_);
    EngineParameters parameters;
    {
        std::lock_guard lock(mutex_);
        if (parameters_.faults.unplugged) return Unplugged();
        if (closing_) return Fail(kBoardNotFound, "simulated engine: closed");
        parameters = parameters_;
    }
    stopProducer_ = false;
    producer_ = std::thread([this, parameters, request] { Produce(parameters, request); });
    return kNoErrors;
}

void SimulatedBoard::StopContinuous() {
    std::lock_guard producing(producerMutex_);
    stopProducer_ = true;
    changed_.notify_all();
    if (producer_.joinable()) producer_.join();
}

// Waits, and says whether the producer goes on; a pulled cable ends the scan.
bool SimulatedBoard::Paced(std::chrono::steady_clock::duration wait) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, wait,
                      [this] { return stopProducer_ || closing_ || parameters_.faults.unplugged; });
    if (stopProducer_ || closing_) return false;
    if (!parameters_.faults.unplugged) return true;
    lock.unlock();
    EndContinuous(kBoardNotFound, "simulated engine: the USB cable is pulled out");
    return false;
}

// Delivers the run's scans until `scans` have gone to the buffer; at once
// (in one delivery) when the board falls behind.
bool SimulatedBoard::Feed(RunScan& scan, std::uint64_t scans, bool atOnce) {
    std::vector<std::uint16_t> burst;
    const auto width = static_cast<std::size_t>(scan.Channels());
    while (delivered_ < scans) {
        if (stopProducer_) return false;
        if (pendingAt_ == pending_.size()) {
            pending_ = scan.NextBlock();
            pendingAt_ = 0;
        }
        const std::uint64_t left = (pending_.size() - pendingAt_) / width;
        const std::uint64_t take = std::min(left, scans - delivered_);
        const std::span<const std::uint16_t> part(pending_.data() + pendingAt_, take * width);
        if (atOnce)
            burst.insert(burst.end(), part.begin(), part.end());
        else if (!Deliver(part))
            return false;
        pendingAt_ += part.size();
        delivered_ += take;
    }
    return !atOnce || Deliver(burst);
}

// The reader takes everything before `at`; then more than the buffer holds
// arrives at once, so the scans beyond it are overwritten unread. The board
// waits again before it goes on, so the reader can take the buffer-full the
// burst left without a board on its heels.
bool SimulatedBoard::Overrun(RunScan& scan, std::uint64_t at, std::uint64_t burst) {
    return Feed(scan, at) && Paced(kOverrunStall) && Feed(scan, at + burst, true) &&
           Paced(kOverrunStall);
}

void SimulatedBoard::Produce(const EngineParameters& parameters, const ScanRequest& request) {
    using Clock = std::chrono::steady_clock;
    RunScan scan(parameters, request);
    pending_.clear();
    pendingAt_ = 0;
    delivered_ = 0;
    const double rate = static_cast<double>(request.rate);
    const auto& run = parameters.run;
    const bool overruns = run.overrunAtS >= 0.0 && run.overrunS > 0.0;
    const auto overrunAt =
        static_cast<std::uint64_t>(std::llround(std::max(run.overrunAtS, 0.0) * rate));
    const auto lost = static_cast<std::uint64_t>(std::llround(run.overrunS * rate));
    const auto bufferScans = static_cast<std::uint64_t>(request.count / request.Channels());
    bool overrunDone = !overruns;
    auto paceFrom = Clock::now();
    std::uint64_t paceFromScan = 0;
    while (Paced(kProducerTick)) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - paceFrom).count();
        const auto due = paceFromScan + static_cast<std::uint64_t>(elapsed * run.speedUp * rate);
        if (!overrunDone && due >= overrunAt) {
            if (!Overrun(scan, overrunAt, bufferScans + lost)) return;
            overrunDone = true;
            // The pace goes on from the burst: the scans of the stalls are not
            // owed, or they would come at once and overrun the buffer again.
            paceFrom = Clock::now();
            paceFromScan = delivered_;
            continue;
        }
        if (!Feed(scan, due)) return;
    }
}

}  // namespace corvane::daq
