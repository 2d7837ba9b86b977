#pragma once
// Turning the engine model into what the board delivers: 12-bit counts with
// noise, channels interleaved lowest first, sampled at the scan rate.

#include <cstdint>
#include <random>
#include <vector>

#include "daq/engine_model.h"
#include "daq/scan_request.h"

namespace corvane::daq {

// A voltage as the converter codes it: clipped to 0..4095.
std::uint16_t BoardCount(double volts);

// The n-th scan of a board seeded with seed; the same pair gives the same samples.
std::vector<std::uint16_t> SimulateScan(const EngineModel& model, const ScanRequest& request,
                                        std::uint64_t seed, std::uint64_t scanNumber);

// One single reading of a channel at a moment taken at random from the generator.
std::uint16_t SimulateReading(const EngineModel& model, int channel, std::mt19937_64& generator);

}  // namespace corvane::daq
