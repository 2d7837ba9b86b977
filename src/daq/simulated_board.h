#pragma once
// The board that stands in for the hardware by default: it samples the engine
// model, blocks a scan for the real acquisition time (unless told to return at
// once), and fails every board access while "unplugged". Its parameters may be
// changed from another thread while a scan runs; a scan uses the parameters it
// started with, but unplugging during a scan fails it at once.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <random>

#include "daq/board.h"
#include "daq/buffer_pool.h"
#include "daq/engine_model.h"
#include "daq/engine_parameters.h"

namespace corvane::daq {

class SimulatedBoard : public Board {
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

    int cbDeclareRevision(float* revision) override;
    int cbErrHandling(int reporting, int handling) override;
    int cbAIn(int board, int channel, int range, std::uint16_t* value) override;
    int cbAInScan(int board, int lowChannel, int highChannel, long count, long* rate, int range,
                  BufferHandle buffer, int options) override;
    BufferHandle cbWinBufAlloc(long count) override;
    int cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long firstPoint,
                        long count) override;
    int cbWinBufFree(BufferHandle buffer) override;
    // Ends the scans running now (they fail with kScanStopped).
    int cbStopBackground(int board, int functionType) override;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;  // a pulled cable, closing, a scan leaving
    EngineParameters parameters_;
    EngineModel model_;  // of parameters_, kept so that single reads stay cheap
    BufferPool buffers_;
    std::uint64_t scansTaken_ = 0;
    std::uint64_t stopRequests_ = 0;
    int activeScans_ = 0;
    bool closing_ = false;
    std::mt19937_64 readings_;
};

// The parameters with every value outside its sensible range (or not a number)
// replaced by its default.
EngineParameters CheckedParameters(const EngineParameters& parameters);

}  // namespace corvane::daq
