#pragma once
// The pressure channel of a grab: the transducer gives 0.4 V per kPa, and the
// trace is the pressure relative to the capture's mean.

#include <cstdint>

#include "analysis/capture_record.h"

namespace corvane::analysis {

// Mean voltage of the pressure channel: the even values below SampleCount
// over SampleCount / 2 (computed for both kinds of capture).
double MeanPressureVolts(const CaptureRecord& record);

// Pressure in kPa of one pressure count relative to the capture's mean volts.
double PressureKpa(std::uint16_t count, double meanVolts);

}  // namespace corvane::analysis
