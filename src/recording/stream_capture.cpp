#include "recording/stream_capture.h"

#include <algorithm>
#include <cmath>

namespace corvane::recording {

namespace {

using Clock = std::chrono::steady_clock;

std::uint64_t PlanScans(const analysis::CapturePlan& plan) {
    return static_cast<std::uint64_t>(plan.sampleCount / plan.Channels());
}

bool Holds(const daq::StreamFormat& format, int low, int high) {
    return low >= format.lowChannel && high <= format.highChannel;
}

std::chrono::milliseconds Left(Clock::time_point deadline) {
    return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()),
                    std::chrono::milliseconds(0));
}

// Means of channels 2, 3 and 4 (interleaved in `counts`) as the monitor's values.
daq::EngineReading MeanReading(const std::vector<std::uint16_t>& counts) {
    double low = 0, heater = 0, high = 0;
    const std::size_t scans = counts.size() / 3;
    for (std::size_t i = 0; i < scans; ++i) {
        low += daq::TemperatureKelvin(counts[3 * i]);
        heater += daq::HeaterPowerWatts(counts[3 * i + 1]);
        high += daq::TemperatureKelvin(counts[3 * i + 2]);
    }
    const auto n = static_cast<double>(std::max<std::size_t>(scans, 1));
    return {low / n, heater / n, high / n};
}

std::optional<daq::EngineReading> ReadingOver(const LatestScans& scans, ScanSpan span) {
    const auto counts = scans.Copy(span, daq::kLowTempChannel, daq::kHighTempChannel);
    if (!counts || counts->empty()) return std::nullopt;
    return MeanReading(*counts);
}

}  // namespace

StreamCapture::StreamCapture(const LatestScans& scans, const analysis::CapturePlan& plan,
                             std::uint64_t notBefore)
    : scans_(scans), plan_(plan), notBefore_(notBefore), session_(scans.Session()) {
    const daq::StreamFormat format = scans.Format();
    suited_ = format.rate == plan.rate && Holds(format, plan.lowChannel, plan.highChannel) &&
              plan.sampleCount % plan.Channels() == 0 && plan.sampleCount <= analysis::kRawCapacity;
    span_ = {scans.Reached(), PlanScans(plan)};
}

StreamWait StreamCapture::Wait(std::chrono::milliseconds slack) {
    if (!suited_) return StreamWait::Unsuited;
    const auto length = std::chrono::duration<double>(plan_.Seconds());
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(length) + slack;
    return plan_.kind == analysis::CaptureKind::Dyna ? Next(deadline) : Newest(deadline);
}

// The newest whole second after the latest gap and not before notBefore: a
// gap that comes meanwhile moves it on.
StreamWait StreamCapture::Newest(Clock::time_point deadline) {
    const std::uint64_t count = PlanScans(plan_);
    for (;;) {
        const std::uint64_t from = std::max(notBefore_, scans_.UnbrokenFrom());
        if (!scans_.WaitFor(from + count, cancelled_, Left(deadline))) return NotTaken();
        if (scans_.Session() != session_) return StreamWait::Ended;
        const std::uint64_t reached = scans_.Reached();
        span_ = {reached - count, count};
        if (span_.first >= scans_.UnbrokenFrom()) return StreamWait::Taken;
        if (Clock::now() >= deadline) return StreamWait::Failed;
    }
}

// The plan's stretch from the scan reached when it was asked for.
StreamWait StreamCapture::Next(Clock::time_point deadline) {
    if (!scans_.WaitFor(span_.End(), cancelled_, Left(deadline))) return NotTaken();
    if (scans_.Session() != session_) return StreamWait::Ended;
    if (!scans_.Copy(span_, plan_.lowChannel, plan_.highChannel)) return StreamWait::Lost;
    return StreamWait::Taken;
}

// Why the wait ended without its scans.
StreamWait StreamCapture::NotTaken() const {
    if (cancelled_) return StreamWait::Cancelled;
    if (scans_.Session() != session_) return StreamWait::Ended;
    if (!scans_.Live()) return scans_.Failed() ? StreamWait::Failed : StreamWait::Ended;
    return StreamWait::Failed;  // no scans came in time
}

void StreamCapture::Cancel() {
    cancelled_ = true;
    scans_.Wake();
}

bool StreamCapture::Into(analysis::CaptureRecord& record) const {
    const auto counts = scans_.Copy(span_, plan_.lowChannel, plan_.highChannel);
    if (!counts || scans_.Session() != session_) return false;
    std::copy(counts->begin(), counts->end(), record.RawSamples.begin());
    record.SampleCount = static_cast<std::int32_t>(plan_.sampleCount);
    record.SamplePeriod = plan_.ScanPeriod();
    record.IsDyna = plan_.kind == analysis::CaptureKind::Dyna;
    if (const auto reading = ReadingOver(scans_, span_)) {
        record.LoTemp = reading->loTemp;
        record.ResistorPower = reading->resistorPower;
        record.HiTemp = reading->hiTemp;
    }
    return true;
}

std::optional<daq::EngineReading> NewestReading(const LatestScans& scans, double seconds) {
    const long rate = std::max(scans.Format().rate, 1L);
    const auto wanted =
        static_cast<std::uint64_t>(std::max(std::lround(seconds * static_cast<double>(rate)), 1L));
    const std::uint64_t reached = scans.Reached();
    const std::uint64_t first = std::max(reached - std::min(reached, wanted), scans.UnbrokenFrom());
    if (first >= reached) return std::nullopt;
    return ReadingOver(scans, {first, reached - first});
}

std::optional<daq::MonitorTick> NewestTick(const LatestScans& scans, double seconds) {
    const auto reading = NewestReading(scans, seconds);
    if (!reading) return std::nullopt;
    const std::uint64_t reached = scans.Reached();
    const auto pressure =
        scans.Copy({reached - 1, 1}, daq::kPressureChannel, daq::kPressureChannel);
    if (!pressure) return std::nullopt;
    return daq::MonitorTick{reading->loTemp, reading->hiTemp, pressure->front()};
}

}  // namespace corvane::recording
