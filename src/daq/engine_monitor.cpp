#include "daq/engine_monitor.h"

#include "text/converter_counts.h"

namespace corvane::daq {

namespace {

// One sample; nothing when the board does not answer. The board's library
// may throw where a driver fails: that counts as no answer.
std::optional<std::uint16_t> Sample(Board& board, int channel) {
    std::uint16_t value = 0;
    try {
        if (board.cbAIn(0, channel, kBip10Volts, &value) != kNoErrors) return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

double TemperatureKelvin(std::uint16_t count) { return text::CountToVolts(count) * 100.0; }

double HeaterPowerWatts(std::uint16_t count) {
    const double volts = text::CountToVolts(count);
    return volts * volts * 4.0;
}

std::optional<EngineReading> ReadEngineChannels(Board& board, const EngineReading& previous,
                                                const std::function<void()>& answered) {
    const auto low = Sample(board, kLowTempChannel);
    if (!low) return std::nullopt;
    if (answered) answered();
    const auto resistor = Sample(board, kResistorChannel);
    const auto high = Sample(board, kHighTempChannel);
    EngineReading reading = previous;
    reading.loTemp = TemperatureKelvin(*low);
    if (resistor) reading.resistorPower = HeaterPowerWatts(*resistor);
    if (high) reading.hiTemp = TemperatureKelvin(*high);
    return reading;
}

bool ReadEngineMonitorInto(Board& board, analysis::CaptureRecord& record,
                           const std::function<void()>& answered) {
    const EngineReading previous{record.LoTemp, record.ResistorPower, record.HiTemp};
    const auto reading = ReadEngineChannels(board, previous, answered);
    if (!reading) return false;
    record.LoTemp = reading->loTemp;
    record.ResistorPower = reading->resistorPower;
    record.HiTemp = reading->hiTemp;
    return true;
}

std::optional<MonitorTick> ReadMonitorTick(Board& board) {
    const auto low = Sample(board, kLowTempChannel);
    if (!low) return std::nullopt;
    const auto high = Sample(board, kHighTempChannel);
    if (!high) return std::nullopt;
    const auto pressure = Sample(board, kPressureChannel);
    if (!pressure) return std::nullopt;
    return MonitorTick{TemperatureKelvin(*low), TemperatureKelvin(*high), *pressure};
}

}  // namespace corvane::daq
