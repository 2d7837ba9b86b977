#pragma once
// The simulated engine's truth as one JSON object on one line.

#include <string>

#include "daq/engine_truth.h"

namespace corvane::simulate {

std::string GrabTruthJson(const daq::GrabTruth& truth, const daq::EngineModel& model);
std::string DynaTruthJson(const daq::DynaTruth& truth, const daq::EngineModel& model);

}  // namespace corvane::simulate
