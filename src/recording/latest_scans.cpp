#include "recording/latest_scans.h"

#include <algorithm>
#include <cmath>

namespace corvane::recording {

LatestScans::LatestScans(double seconds)
    : seconds_(std::isfinite(seconds) && seconds > 0.0 ? seconds : 10.0) {}

void LatestScans::Begin(const daq::StreamFormat& format) {
    {
        const std::lock_guard lock(mutex_);
        format_ = format;
        const double scans = seconds_ * static_cast<double>(std::max(format.rate, 1L));
        capacity_ = static_cast<std::uint64_t>(std::clamp(std::ceil(scans), 1.0, 1e8));
        ring_.assign(capacity_ * static_cast<std::uint64_t>(std::max(format.Channels(), 1)), 0);
        gaps_.clear();
        reached_ = 0;
        ++session_;
        live_ = true;
        failed_ = false;
    }
    changed_.notify_all();
}

void LatestScans::Add(const daq::StreamChunk& chunk) {
    using Kind = daq::StreamChunk::Kind;
    if (chunk.kind == Kind::End || chunk.kind == Kind::Failed) {
        Finish(chunk.kind == Kind::Failed);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        if (!live_) return;
        Store(chunk);
    }
    changed_.notify_all();
}

// Under the lock. A chunk that starts beyond the scans reached leaves a gap
// in between, as the recording counts it.
void LatestScans::Store(const daq::StreamChunk& chunk) {
    if (chunk.firstScan > reached_) gaps_.push_back({reached_, chunk.firstScan - reached_});
    const auto channels = static_cast<std::uint64_t>(std::max(format_.Channels(), 1));
    std::uint64_t scan = chunk.firstScan;
    if (chunk.kind == daq::StreamChunk::Kind::Gap) {
        gaps_.push_back({scan, chunk.lostScans});
        scan += chunk.lostScans;
    } else {
        for (std::size_t at = 0; at + channels <= chunk.counts.size(); at += channels, ++scan) {
            std::copy_n(chunk.counts.begin() + static_cast<std::ptrdiff_t>(at), channels,
                        ring_.begin() + static_cast<std::ptrdiff_t>(scan % capacity_ * channels));
        }
    }
    reached_ = std::max(reached_, scan);
    const std::uint64_t oldest = reached_ - std::min(reached_, capacity_);
    std::erase_if(gaps_, [oldest](const ScanSpan& gap) { return gap.End() <= oldest; });
}

void LatestScans::Finish(bool failed) {
    {
        const std::lock_guard lock(mutex_);
        if (live_) failed_ = failed;
        live_ = false;
    }
    changed_.notify_all();
}

bool LatestScans::Live() const {
    const std::lock_guard lock(mutex_);
    return live_;
}

std::uint64_t LatestScans::Session() const {
    const std::lock_guard lock(mutex_);
    return session_;
}

bool LatestScans::Failed() const {
    const std::lock_guard lock(mutex_);
    return failed_;
}

daq::StreamFormat LatestScans::Format() const {
    const std::lock_guard lock(mutex_);
    return format_;
}

std::uint64_t LatestScans::Reached() const {
    const std::lock_guard lock(mutex_);
    return reached_;
}

std::uint64_t LatestScans::UnbrokenFrom() const {
    const std::lock_guard lock(mutex_);
    std::uint64_t from = 0;
    for (const ScanSpan& gap : gaps_) from = std::max(from, gap.End());
    return from;
}

// Under the lock: every scan of the span has come, is still in the ring and
// was not lost.
bool LatestScans::Kept(ScanSpan span) const {
    if (span.End() > reached_ || reached_ - span.first > capacity_) return false;
    return std::none_of(gaps_.begin(), gaps_.end(), [span](const ScanSpan& gap) {
        return gap.first < span.End() && span.first < gap.End();
    });
}

std::optional<std::vector<std::uint16_t>> LatestScans::Copy(ScanSpan span, int lowChannel,
                                                            int highChannel) const {
    const std::lock_guard lock(mutex_);
    if (lowChannel < format_.lowChannel || highChannel > format_.highChannel ||
        lowChannel > highChannel || !Kept(span))
        return std::nullopt;
    const auto channels = static_cast<std::uint64_t>(format_.Channels());
    const auto skip = static_cast<std::uint64_t>(lowChannel - format_.lowChannel);
    const auto width = static_cast<std::uint64_t>(highChannel - lowChannel + 1);
    std::vector<std::uint16_t> counts;
    counts.reserve(span.count * width);
    for (std::uint64_t scan = span.first; scan < span.End(); ++scan) {
        const auto at =
            ring_.begin() + static_cast<std::ptrdiff_t>(scan % capacity_ * channels + skip);
        counts.insert(counts.end(), at, at + static_cast<std::ptrdiff_t>(width));
    }
    return counts;
}

bool LatestScans::WaitFor(std::uint64_t until, const std::atomic<bool>& cancelled,
                          std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout,
                      [&] { return reached_ >= until || !live_ || cancelled.load(); });
    return reached_ >= until;
}

void LatestScans::Wake() const {
    { const std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

namespace {

class TappedStream : public daq::ScanStream {
public:
    TappedStream(std::unique_ptr<daq::ScanStream> stream, std::shared_ptr<LatestScans> latest)
        : stream_(std::move(stream)), latest_(std::move(latest)) {
        latest_->Begin(stream_->Format());
    }
    ~TappedStream() override { latest_->Finish(); }
    TappedStream(const TappedStream&) = delete;
    TappedStream& operator=(const TappedStream&) = delete;

    daq::StreamFormat Format() const override { return stream_->Format(); }
    daq::StreamChunk Read() override {
        daq::StreamChunk chunk = stream_->Read();
        latest_->Add(chunk);
        return chunk;
    }
    void Stop() override { stream_->Stop(); }

private:
    std::unique_ptr<daq::ScanStream> stream_;
    std::shared_ptr<LatestScans> latest_;
};

}  // namespace

std::unique_ptr<daq::ScanStream> TapStream(std::unique_ptr<daq::ScanStream> stream,
                                           std::shared_ptr<LatestScans> latest) {
    return std::make_unique<TappedStream>(std::move(stream), std::move(latest));
}

}  // namespace corvane::recording
