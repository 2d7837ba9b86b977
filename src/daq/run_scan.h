#pragma once
// The simulated board's continuous scan: the run's engine sampled scan after
// scan without a break, the crank turning at the run's speed, in blocks of a
// tenth of a second. The noise of each block comes from the seed and the
// block's number alone, so the same run always gives the same samples,
// however the blocks are fetched.

#include <cstdint>
#include <random>
#include <vector>

#include "daq/engine_run.h"
#include "daq/scan_request.h"

namespace corvane::daq {

class RunScan {
public:
    // request: the channels and the rate (its count is not used).
    RunScan(const EngineParameters& parameters, const ScanRequest& request);

    long BlockScans() const { return blockScans_; }
    int Channels() const { return request_.Channels(); }
    std::uint64_t ScansDone() const { return scansDone_; }
    // The next block's samples, channels interleaved lowest first.
    std::vector<std::uint16_t> NextBlock();

private:
    void SampleScan(std::vector<std::uint16_t>& samples, std::mt19937_64& noise);

    EngineRun run_;
    ScanRequest request_;
    long blockScans_ = 1;
    std::uint64_t seed_ = 0;
    double noiseVolts_ = 0.0;
    std::uint64_t scansDone_ = 0;
    std::uint64_t blocksDone_ = 0;
    double smoothDeg_ = 0.0;  // crank angle turned at the run's speed, without the ripple
};

}  // namespace corvane::daq
