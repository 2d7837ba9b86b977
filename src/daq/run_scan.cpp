#include "daq/run_scan.h"

#include <algorithm>
#include <cmath>

#include "daq/engine_scan.h"

namespace corvane::daq {

namespace {

constexpr long kBlocksPerSecond = 10;
constexpr std::uint32_t kRunSalt = 0x52756eu;  // apart from the block scans' noise

}  // namespace

RunScan::RunScan(const EngineParameters& parameters, const ScanRequest& request)
    : run_(parameters),
      request_(request),
      blockScans_(std::max(request.rate / kBlocksPerSecond, 1L)),
      seed_(parameters.seed),
      noiseVolts_(parameters.noiseVolts) {}

std::vector<std::uint16_t> RunScan::NextBlock() {
    std::seed_seq sequence{static_cast<std::uint32_t>(seed_),
                           static_cast<std::uint32_t>(seed_ >> 32),
                           static_cast<std::uint32_t>(blocksDone_),
                           static_cast<std::uint32_t>(blocksDone_ >> 32), kRunSalt};
    std::mt19937_64 noise(sequence);
    ++blocksDone_;
    std::vector<std::uint16_t> samples;
    samples.reserve(static_cast<std::size_t>(blockScans_ * request_.Channels()));
    for (long i = 0; i < blockScans_; ++i) SampleScan(samples, noise);
    return samples;
}

void RunScan::SampleScan(std::vector<std::uint16_t>& samples, std::mt19937_64& noise) {
    const double rate = static_cast<double>(request_.rate);
    while (static_cast<double>(scansDone_) / rate >= run_.State().timeS + kRunStepS) run_.Advance();
    const EngineModel& model = run_.Model();
    const double crankDeg = model.RippledCrankDeg(smoothDeg_);
    std::normal_distribution<double> volts(0.0, noiseVolts_);
    for (int channel = request_.lowChannel; channel <= request_.highChannel; ++channel) {
        const double noisy =
            model.ChannelVolts(channel, crankDeg) + (noiseVolts_ > 0.0 ? volts(noise) : 0.0);
        samples.push_back(BoardCount(noisy));
    }
    // 360 degrees a revolution, 60 s a minute; kept within a turn for precision.
    const double rpm = run_.RpmAt(static_cast<double>(scansDone_) / rate);
    smoothDeg_ = std::fmod(smoothDeg_ + rpm * 6.0 / rate, 360.0);
    ++scansDone_;
}

}  // namespace corvane::daq
