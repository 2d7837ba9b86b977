#pragma once
// Result codes our boards return. The program only tests them against zero;
// distinct codes make test failures and logs easier to read.

namespace corvane::daq {

inline constexpr int kBoardNotFound = 1;  // unplugged, absent or unknown board
inline constexpr int kBadArgument = 2;    // board number, channel, range, count or rate
inline constexpr int kBadBuffer = 3;      // no buffer, unknown handle, or too small
inline constexpr int kScanStopped = 5;    // cbStopBackground ended the scan
inline constexpr int kScanRunning = 6;    // a background scan runs already
// 7 is kNoBackgroundScan (board.h)

}  // namespace corvane::daq
