#include "recording/grab_export.h"

#include <cmath>

#include "daq/engine_monitor.h"
#include "recording/recording_error.h"
#include "recording/recording_reader.h"
#include "recording/recording_texts.h"

namespace corvane::recording {

namespace {

struct Offsets {
    int pressure = 0, tach = 0;
    std::optional<int> low, heater, high;
};

std::optional<int> OffsetOf(const daq::StreamFormat& format, int channel) {
    if (channel < format.lowChannel || channel > format.highChannel) return std::nullopt;
    return channel - format.lowChannel;
}

Offsets OffsetsOf(const daq::StreamFormat& format, const std::string& folder) {
    const auto pressure = OffsetOf(format, daq::kPressureChannel);
    const auto tach = OffsetOf(format, 1);
    if (!pressure || !tach) throw RecordingError(folder + ": holds no pressure and tachometer");
    return {*pressure, *tach, OffsetOf(format, daq::kLowTempChannel),
            OffsetOf(format, daq::kResistorChannel), OffsetOf(format, daq::kHighTempChannel)};
}

std::uint64_t FirstScan(double atSeconds, long rate, std::uint64_t scans,
                        const std::string& folder) {
    const double first = std::round(atSeconds * static_cast<double>(rate));
    const double held = static_cast<double>(scans) / static_cast<double>(rate);
    if (!std::isfinite(first) || first < 0 ||
        first + static_cast<double>(rate) > static_cast<double>(scans)) {
        throw RecordingError(folder + ": holds no whole second from " + SecondsText(atSeconds) +
                             " s (it holds " + SecondsText(held) + " s)");
    }
    return static_cast<std::uint64_t>(first);
}

double Mean(double sum, long count) { return sum / static_cast<double>(count); }

// Nothing when the second holds a lost scan.
std::optional<analysis::CaptureRecord> SecondFrom(const std::string& folder,
                                                  const RecordingContents& contents,
                                                  double atSeconds) {
    const daq::StreamFormat& format = contents.manifest.format;
    const Offsets at = OffsetsOf(format, folder);
    const long rate = format.rate;
    if (2 * rate > analysis::kRawCapacity) {
        throw RecordingError(folder + ": a second at " + std::to_string(rate) +
                             " scans per second does not fit a capture");
    }
    const std::uint64_t first = FirstScan(atSeconds, rate, contents.scans, folder);
    const auto counts = SampleFile(folder, format).Read(first, static_cast<std::uint64_t>(rate));
    const auto channels = static_cast<std::size_t>(format.Channels());

    analysis::CaptureRecord record;
    record.SampleCount = static_cast<std::int32_t>(2 * rate);
    record.SamplePeriod = 1.0 / static_cast<double>(rate);
    double low = 0, heater = 0, high = 0;
    for (std::size_t scan = 0; scan < static_cast<std::size_t>(rate); ++scan) {
        const std::span<const std::uint16_t> values(counts.data() + scan * channels, channels);
        if (IsLostScan(values)) return std::nullopt;
        record.RawSamples[2 * scan] = values[static_cast<std::size_t>(at.pressure)];
        record.RawSamples[2 * scan + 1] = values[static_cast<std::size_t>(at.tach)];
        if (at.low) low += daq::TemperatureKelvin(values[static_cast<std::size_t>(*at.low)]);
        if (at.heater) heater += daq::HeaterPowerWatts(values[static_cast<std::size_t>(*at.heater)]);
        if (at.high) high += daq::TemperatureKelvin(values[static_cast<std::size_t>(*at.high)]);
    }
    record.LoTemp = Mean(low, rate);
    record.ResistorPower = Mean(heater, rate);
    record.HiTemp = Mean(high, rate);
    return record;
}

}  // namespace

std::optional<analysis::CaptureRecord> GrabWithoutGap(const std::string& folder,
                                                      const RecordingContents& contents,
                                                      double atSeconds) {
    return SecondFrom(folder, contents, atSeconds);
}

analysis::CaptureRecord GrabAt(const std::string& folder, double atSeconds) {
    auto second = SecondFrom(folder, ReadRecording(folder), atSeconds);
    if (!second) {
        throw RecordingError(folder + ": the second from " + SecondsText(atSeconds) +
                             " s holds lost scans");
    }
    return std::move(*second);
}

void ImportSecond(const std::string& folder, double atSeconds, analysis::CaptureRecord& record,
                  const files::PrepareCapture& prepare) {
    const analysis::CaptureRecord second = GrabAt(folder, atSeconds);
    analysis::CaptureRecord working = record;
    working.IsDyna = false;
    if (prepare) prepare(files::CaptureKind::Grab, working);
    working.RawSamples = second.RawSamples;
    working.SampleCount = second.SampleCount;
    working.SamplePeriod = second.SamplePeriod;
    working.LoTemp = second.LoTemp;
    working.ResistorPower = second.ResistorPower;
    working.HiTemp = second.HiTemp;
    record = std::move(working);
}

}  // namespace corvane::recording
