#include "daq/engine_scan.h"

#include <algorithm>

#include "analysis/capture_record.h"

namespace corvane::daq {

namespace {

double Noise(const EngineModel& model, std::mt19937_64& generator) {
    const double sigma = model.Parameters().noiseVolts;
    if (sigma <= 0.0) return 0.0;
    return std::normal_distribution<double>(0.0, sigma)(generator);
}

}  // namespace

std::uint16_t BoardCount(double volts) {
    static const double lowest = analysis::CountToVolts(0);
    static const double highest = analysis::CountToVolts(4095);
    return analysis::VoltsToCount(std::clamp(volts, lowest, highest));
}

std::vector<std::uint16_t> SimulateScan(const EngineModel& model, const ScanRequest& request,
                                        std::uint64_t seed, std::uint64_t scanNumber) {
    std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                           static_cast<std::uint32_t>(scanNumber),
                           static_cast<std::uint32_t>(scanNumber >> 32)};
    std::mt19937_64 generator(sequence);
    // The crank stands wherever the last capture left it.
    const double startDeg = std::uniform_real_distribution<double>(0.0, 360.0)(generator);

    std::vector<std::uint16_t> samples;
    samples.reserve(static_cast<std::size_t>(std::max(request.count, 0L)));
    const int channels = request.Channels();
    for (long i = 0; i < request.count; ++i) {
        const long scan = i / channels;
        const int channel = request.lowChannel + static_cast<int>(i % channels);
        const double t = static_cast<double>(scan) / static_cast<double>(request.rate);
        const double crankDeg = request.IsDynaRun() ? model.DynaCrankDeg(t, startDeg)
                                                    : model.SteadyCrankDeg(t, startDeg);
        const double drift = channel == 0 ? model.TransducerDriftVolts(t) : 0.0;
        samples.push_back(
            BoardCount(model.ChannelVolts(channel, crankDeg) + drift + Noise(model, generator)));
    }
    return samples;
}

std::uint16_t SimulateReading(const EngineModel& model, int channel, std::mt19937_64& generator) {
    const double crankDeg = std::uniform_real_distribution<double>(0.0, 360.0)(generator);
    return BoardCount(model.ChannelVolts(channel, crankDeg) + Noise(model, generator));
}

}  // namespace corvane::daq
