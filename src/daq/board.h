#pragma once
// The DAQ board as the program sees it: the seven operations of the board
// maker's library, with its argument conventions (board number, range code,
// rate by pointer, buffer handle; integer result, 0 = success), and the
// library's way to stop a running scan, which the program uses only when it
// closes during a scan. The simulated engine and every hardware backend
// implement this, most of them through BoardBackend (board_backend.h).

#include <cstdint>
#include <string>

namespace corvane::daq {

using BufferHandle = std::intptr_t;  // 0: no buffer

inline constexpr int kNoErrors = 0;
inline constexpr int kNoBackgroundScan = 7;  // the board cannot scan in the background
inline constexpr int kBip10Volts = 1;        // range code of +-10 V
inline constexpr int kAiFunction = 1;        // cbStopBackground: the analogue input scan

// cbAInScan options. Both together start a scan that returns at once and runs
// without end round the buffer (of count samples, a whole number of scans)
// until cbStopBackground; cbGetStatus says how far it has come.
inline constexpr int kBackground = 0x0001;
inline constexpr int kContinuous = 0x0002;

// cbGetStatus: whether the background scan still runs.
inline constexpr short kIdle = 0;
inline constexpr short kRunning = 1;

class Board {
public:
    virtual ~Board() = default;

    virtual int cbDeclareRevision(float* revision) = 0;
    virtual int cbErrHandling(int reporting, int handling) = 0;
    // One sample of one channel, in 12-bit counts.
    virtual int cbAIn(int board, int channel, int range, std::uint16_t* value) = 0;
    // Blocks until count samples (channels interleaved, lowest first) are in the buffer.
    virtual int cbAInScan(int board, int lowChannel, int highChannel, long count, long* rate,
                          int range, BufferHandle buffer, int options) = 0;
    virtual BufferHandle cbWinBufAlloc(long count) = 0;
    virtual int cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long firstPoint,
                                long count) = 0;
    virtual int cbWinBufFree(BufferHandle buffer) = 0;

    // Called from another thread while cbAInScan blocks: ends that scan soon,
    // with a nonzero result. A board whose scans cannot hang need not override
    // it; the caller waits a bounded time for the scan either way.
    virtual int cbStopBackground(int /*board*/, int /*functionType*/) { return kNoErrors; }

    // The background scan: *status kRunning or kIdle, *curCount the samples it
    // has put into its buffer since it started (they keep counting round the
    // buffer), *curIndex where the last whole scan begins in the buffer (-1
    // before the first). Nonzero when the scan broke off (the board went
    // away): the samples counted so far are in the buffer. A board without
    // background scans says so with a nonzero result.
    virtual int cbGetStatus(int /*board*/, short* /*status*/, long* /*curCount*/,
                            long* /*curIndex*/, int /*functionType*/) {
        return kNoBackgroundScan;
    }

    // Why the last failed board access failed, in the backend's words (for the
    // board indicator's hint and the log); empty when it has not said.
    virtual std::string LastError() const { return {}; }
};

}  // namespace corvane::daq
