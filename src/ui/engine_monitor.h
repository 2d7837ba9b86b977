#pragma once
// The engine monitor's board readings and the texts made from them: single
// samples of the temperatures, the heater voltage and the pressure transducer.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "daq/board.h"
#include "text/number_format.h"

namespace corvane::ui {

// Channels of board 0 on the +-10 V range.
inline constexpr int kPressureChannel = 0;
inline constexpr int kLowTempChannel = 2;
inline constexpr int kResistorChannel = 3;
inline constexpr int kHighTempChannel = 4;
inline constexpr double kHotEngineKelvin = 370.0;

struct EngineReading {
    double loTemp = 0;         // K
    double resistorPower = 0;  // W
    double hiTemp = 0;         // K
};

// ReadEngineMonitor's readings: nothing when channel 2 fails (nonzero result or an
// exception). A later channel that fails keeps the value given in `previous`.
// `answered` runs as soon as channel 2 has answered, before channels 3 and 4.
std::optional<EngineReading> ReadEngineChannels(daq::Board& board, const EngineReading& previous,
                                                const std::function<void()>& answered = {});

struct MonitorTick {
    double lowK = 0;
    double highK = 0;
    std::uint16_t pressureCount = 0;
};

// The monitor timer's readings of channels 2, 4 and 0: nothing at the first failure.
std::optional<MonitorTick> ReadMonitorTick(daq::Board& board);

// The pressure voltage with every character followed by CR LF, to read downwards.
QString PressureCaption(std::uint16_t count, const text::NumberFormat& fmt);
// Strictly above 370 K.
inline bool IsTooHot(double highK) { return highK > kHotEngineKelvin; }

}  // namespace corvane::ui
