#pragma once
// The latest seconds of a running recording's stream, kept for the main
// window: while the board streams, a Grab takes its second from here, a Dyna
// the next seconds of the tachometer, and the engine monitor its values, so
// that no second scan and no single reading competes with the recording.
// The recording's thread adds the stream's chunks; the window's thread copies
// and waits. Scans are numbered as the stream numbers them.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "daq/scan_stream.h"

namespace corvane::recording {

// Scans first .. first + count - 1 of a stream.
struct ScanSpan {
    std::uint64_t first = 0;
    std::uint64_t count = 0;

    std::uint64_t End() const { return first + count; }
};

class LatestScans {
public:
    // Keeps the last `seconds` of every stream it is given.
    explicit LatestScans(double seconds = 10.0);

    // A stream begins: what an earlier one left is dropped.
    void Begin(const daq::StreamFormat& format);
    // Each chunk the stream gives, in order; End and Failed finish it.
    void Add(const daq::StreamChunk& chunk);
    // The stream is gone; waiters wake.
    void Finish(bool failed = false);

    // Between Begin and Finish.
    bool Live() const;
    // Which stream, counting Begin calls: scan numbers restart with each.
    std::uint64_t Session() const;
    bool Failed() const;
    daq::StreamFormat Format() const;
    // Scans the stream has given, lost ones included: the next scan's number.
    std::uint64_t Reached() const;
    // The first scan after the latest gap (0 without one).
    std::uint64_t UnbrokenFrom() const;

    // Channels low..high of each scan of `span`, interleaved lowest first;
    // nothing when a scan of it was lost, is no longer kept or has not come.
    std::optional<std::vector<std::uint16_t>> Copy(ScanSpan span, int lowChannel,
                                                   int highChannel) const;

    // Blocks until scan `until - 1` has come (Reached() >= until), the stream
    // is no longer live, `cancelled` is set (then Wake) or the timeout passes;
    // returns whether the scan has come.
    bool WaitFor(std::uint64_t until, const std::atomic<bool>& cancelled,
                 std::chrono::milliseconds timeout) const;
    // Wakes every waiter to look at its `cancelled` again.
    void Wake() const;

private:
    bool Kept(ScanSpan span) const;
    void Store(const daq::StreamChunk& chunk);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    double seconds_;
    daq::StreamFormat format_;
    std::uint64_t capacity_ = 1;  // scans kept
    std::vector<std::uint16_t> ring_;
    std::vector<ScanSpan> gaps_;  // those that end within what is kept
    std::uint64_t reached_ = 0;
    std::uint64_t session_ = 0;
    bool live_ = false;
    bool failed_ = false;
};

// A stream whose every chunk also goes to `latest`: Begin when it is made,
// Finish when it ends, fails or is destroyed.
std::unique_ptr<daq::ScanStream> TapStream(std::unique_ptr<daq::ScanStream> stream,
                                           std::shared_ptr<LatestScans> latest);

}  // namespace corvane::recording
