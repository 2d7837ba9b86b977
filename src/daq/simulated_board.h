#pragma once
// The board that stands in for the hardware by default: it samples the engine
// model, blocks a scan for the real acquisition time (unless told to return at
// once), and fails every board access while "unplugged". Its parameters may be
// changed from another thread while a scan runs; a scan uses the parameters it
// started with, but unplugging during a scan fails it at once.
//
// Its background scan is the engine's run (engine_run.h), sped up as the
// parameters say: scans arrive faster than real time, numbered as if real.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "daq/board_backend.h"
#include "daq/engine_model.h"
#include "daq/engine_parameters.h"

namespace corvane::daq {

class SimulatedBoard : public BoardBackend {
public:
    explicit SimulatedBoard(const EngineParameters& parameters = {});
    // Ends a scan still waiting on another thread (it fails) and waits until it
    // has left the board, so closing the program mid-scan is safe.
    ~SimulatedBoard() override;
    SimulatedBoard(const SimulatedBoard&) = delete;
    SimulatedBoard& operator=(const SimulatedBoard&) = delete;

    EngineParameters Parameters() const;
    // Values out of their range fall back to the defaults (see CheckedParameters).
    void SetParameters(const EngineParameters& parameters);

    // Ends the scans running now (they fail with kScanStopped).
    int cbStopBackground(int board, int functionType) override;

private:
    int ReadChannel(int channel, std::uint16_t& count) override;
    int ScanChannels(const ScanRequest& request, std::span<std::uint16_t> samples,
                     long& rate) override;
    int Unplugged();
    int StartContinuous(const ScanRequest& request, long& rate) override;
    void StopContinuous() override;
    void Produce(const EngineParameters& parameters, const ScanRequest& request);
    bool Paced(std::chrono::steady_clock::duration wait);
    bool Feed(class RunScan& scan, std::uint64_t scans, bool atOnce = false);
    bool Overrun(class RunScan& scan, std::uint64_t at, std::uint64_t burst);

    std::mutex producerMutex_;  // starting and joining the producer
    std::thread producer_;
    std::atomic<bool> stopProducer_{false};
    std::vector<std::uint16_t> pending_;  // the producer's block not yet delivered
    std::size_t pendingAt_ = 0;
    std::uint64_t delivered_ = 0;  // scans

    mutable std::mutex mutex_;
    std::condition_variable changed_;  // a pulled cable, closing, a stop
    EngineParameters parameters_;
    EngineModel model_;  // of parameters_, kept so that single reads stay cheap
    std::uint64_t scansTaken_ = 0;
    std::uint64_t stopRequests_ = 0;
    bool closing_ = false;
    std::mt19937_64 readings_;
};

// The parameters with every value outside its sensible range (or not a number)
// replaced by its default.
EngineParameters CheckedParameters(const EngineParameters& parameters);

}  // namespace corvane::daq
