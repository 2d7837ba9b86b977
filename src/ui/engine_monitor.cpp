#include "ui/engine_monitor.h"

#include "analysis/capture_record.h"
#include "text/format.h"

namespace corvane::ui {

namespace {

// One sample; nothing when the board does not answer. The board's library
// may throw where a driver fails: that counts as no answer.
std::optional<std::uint16_t> Sample(daq::Board& board, int channel) {
    std::uint16_t value = 0;
    try {
        if (board.cbAIn(0, channel, daq::kBip10Volts, &value) != daq::kNoErrors)
            return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    return value;
}

double Kelvin(std::uint16_t count) { return analysis::CountToVolts(count) * 100.0; }

}  // namespace

std::optional<EngineReading> ReadEngineChannels(daq::Board& board, const EngineReading& previous,
                                                const std::function<void()>& answered) {
    const auto low = Sample(board, kLowTempChannel);
    if (!low) return std::nullopt;
    if (answered) answered();
    const auto resistor = Sample(board, kResistorChannel);
    const auto high = Sample(board, kHighTempChannel);
    EngineReading reading = previous;
    reading.loTemp = Kelvin(*low);
    if (resistor) {
        double power = analysis::CountToVolts(*resistor);
        power = power * power * 4.0;
        reading.resistorPower = power;
    }
    if (high) reading.hiTemp = Kelvin(*high);
    return reading;
}

std::optional<MonitorTick> ReadMonitorTick(daq::Board& board) {
    const auto low = Sample(board, kLowTempChannel);
    if (!low) return std::nullopt;
    const auto high = Sample(board, kHighTempChannel);
    if (!high) return std::nullopt;
    const auto pressure = Sample(board, kPressureChannel);
    if (!pressure) return std::nullopt;
    return MonitorTick{Kelvin(*low), Kelvin(*high), *pressure};
}

QString PressureCaption(std::uint16_t count, const text::NumberFormat& fmt) {
    const QString volts = QString::fromStdString(text::FormatVolts(count, fmt));
    QString caption;
    for (QChar c : volts) caption += QString(c) + "\r\n";
    return caption;
}

}  // namespace corvane::ui
