#pragma once
// A continuous acquisition as a recording sees it: whole scans of a fixed set
// of channels in converter counts, delivered in order until stopped, with every
// stretch the source lost said as a gap. The board's continuous scan, a
// replayed file and a test's script all feed a recording through this.
//
// Scan numbers count from 0 at the stream's start and keep counting through a
// gap, so a scan's number over the rate is its time since the start.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::daq {

struct StreamFormat {
    int lowChannel = 0;
    int highChannel = 4;
    long rate = 1000;  // scans per second

    int Channels() const { return highChannel - lowChannel + 1; }
};

// What one Read gives.
struct StreamChunk {
    enum class Kind {
        Scans,   // counts holds whole scans from firstScan on
        Gap,     // lostScans scans from firstScan on never arrived
        End,     // the stream ended as asked (stopped, or its source ran out)
        Failed,  // the stream ended on a failure: message says why (a lost board, a bad line)
    };
    Kind kind = Kind::End;
    std::uint64_t firstScan = 0;
    std::uint64_t lostScans = 0;
    std::vector<std::uint16_t> counts;  // channels interleaved, lowest first
    std::string message;
};

class ScanStream {
public:
    virtual ~ScanStream() = default;
    virtual StreamFormat Format() const = 0;
    // Blocks until scans, a gap, the end or a failure is there; a live source
    // gives at most a few tenths of a second at a time. After End or Failed,
    // every further Read gives End.
    virtual StreamChunk Read() = 0;
    // From any thread: a Read blocked now (or the next one) returns soon, and
    // the stream then ends with End.
    virtual void Stop() = 0;
};

}  // namespace corvane::daq
