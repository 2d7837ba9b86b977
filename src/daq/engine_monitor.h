#pragma once
// The engine monitor's single readings and their one conversion into
// engineering values: temperatures (channels 2 and 4), the heater resistor's
// power (channel 3) and the pressure transducer's count (channel 0).

#include <cstdint>
#include <functional>
#include <optional>

#include "analysis/capture_record.h"
#include "daq/board.h"

namespace corvane::daq {

// Channels of board 0 on the +-10 V range.
inline constexpr int kPressureChannel = 0;
inline constexpr int kLowTempChannel = 2;
inline constexpr int kResistorChannel = 3;
inline constexpr int kHighTempChannel = 4;
inline constexpr double kHotEngineKelvin = 370.0;

// A temperature channel reads 10 mV per kelvin.
double TemperatureKelvin(std::uint16_t count);
// The heater's power from the voltage across it: 4 x volts squared.
double HeaterPowerWatts(std::uint16_t count);
// Strictly above 370 K.
inline bool IsTooHot(double highKelvin) { return highKelvin > kHotEngineKelvin; }

struct EngineReading {
    double loTemp = 0;         // K
    double resistorPower = 0;  // W
    double hiTemp = 0;         // K
};

// The reading taken before every capture and import: nothing when channel 2
// fails (a nonzero result or an exception). A later channel that fails keeps
// the value given in `previous`. `answered` runs as soon as channel 2 has
// answered, before channels 3 and 4.
std::optional<EngineReading> ReadEngineChannels(Board& board, const EngineReading& previous,
                                                const std::function<void()>& answered = {});

// The reading into the record's LoTemp, ResistorPower and HiTemp (a later
// channel that fails keeps the record's value); false, and the record as it
// was, when channel 2 does not answer.
bool ReadEngineMonitorInto(Board& board, analysis::CaptureRecord& record,
                           const std::function<void()>& answered = {});

struct MonitorTick {
    double lowK = 0;
    double highK = 0;
    std::uint16_t pressureCount = 0;
};

// The monitor timer's readings of channels 2, 4 and 0: nothing at the first failure.
std::optional<MonitorTick> ReadMonitorTick(Board& board);

}  // namespace corvane::daq
