#pragma once
// The board's background scan as a stream of scans: started at once without
// end round a circular buffer, read as it fills. Scans the reader did not take
// before the board came round again are reported as a gap of their length,
// never passed on as stale samples; a scan the board breaks off (a lost board)
// ends the stream as Failed with the board's words, after the scans it took.

#include <chrono>
#include <memory>

#include "daq/board.h"
#include "daq/scan_stream.h"

namespace corvane::daq {

// The most samples a stream's buffer holds (32 MB), however fast the board:
// the most a board lends for a scan buffer.
inline constexpr long kLargestStreamBuffer = 1L << 24;

struct BoardStreamOptions {
    // The circular buffer, in seconds of real time: how far the reader may
    // fall behind.
    double bufferSeconds = 10.0;
    // How often a waiting Read asks the board how far it has come.
    std::chrono::milliseconds poll{5};
    // Board seconds per real second. A sped-up simulated board fills its
    // buffer that much faster, so the buffer holds that many more scans (up to
    // kLargestStreamBuffer samples); a real board keeps 1.
    double speedUp = 1.0;
};

// The stream starts the board's scan before it returns; a scan that does not
// start gives a stream whose first Read is Failed, saying why. The board must
// outlive the stream; destroying the stream stops the scan.
std::unique_ptr<ScanStream> OpenBoardStream(Board& board, const StreamFormat& format);
std::unique_ptr<ScanStream> OpenBoardStream(Board& board, const StreamFormat& format,
                                            const BoardStreamOptions& options);

}  // namespace corvane::daq
