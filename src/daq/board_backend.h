#pragma once
// What every board backend shares: scan buffers in host memory, the checks of
// the arguments the program passes, the copy of a finished scan into its
// buffer, the words of the last failure, and a safe end while a scan runs on
// another thread. A backend implements only its single reading and its scan.
//
// Buffers may be allocated, read and freed from any thread while a scan runs;
// a backend locks its own state in ReadChannel and ScanChannels.
//
// A background scan (kBackground | kContinuous) is the backend's producer
// handing scans to Deliver; the base writes them round the circular buffer and
// answers cbGetStatus. The backend starts and stops its producer.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "daq/board.h"
#include "daq/buffer_pool.h"
#include "daq/scan_request.h"

namespace corvane::daq {

class BoardBackend : public Board {
public:
    // The inputs every supported board has (single-ended) and the fastest scan
    // the program may ask for, in scans per second.
    static constexpr int kHighestChannel = 7;
    static constexpr long kHighestRate = 100000;

    BoardBackend() = default;
    ~BoardBackend() override;
    BoardBackend(const BoardBackend&) = delete;
    BoardBackend& operator=(const BoardBackend&) = delete;

    // kBadArgument without a revision, otherwise kNoErrors.
    int cbDeclareRevision(float* revision) override;
    int cbErrHandling(int reporting, int handling) override;  // kNoErrors
    // Board 0, a channel 0..kHighestChannel, +-10 V and a result to fill, or
    // kBadArgument; *value is written only on success.
    int cbAIn(int board, int channel, int range, std::uint16_t* value) override;
    // Board 0, +-10 V, options 0 (or kBackground | kContinuous), channels low..high within
    // 0..kHighestChannel, whole scans, a rate 1..kHighestRate, or kBadArgument; a buffer of at
    // least count samples, or kBadBuffer. The samples reach the buffer only when the whole scan
    // succeeded (and the buffer still exists); *rate then holds the rate the board used. A
    // background scan returns at once (kScanRunning while one runs); its count is the circular
    // buffer's size.
    int cbAInScan(int board, int lowChannel, int highChannel, long count, long* rate, int range,
                  BufferHandle buffer, int options) override;
    BufferHandle cbWinBufAlloc(long count) override;
    int cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long firstPoint,
                        long count) override;
    int cbWinBufFree(BufferHandle buffer) override;
    std::string LastError() const override;
    int cbGetStatus(int board, short* status, long* curCount, long* curIndex,
                    int functionType) override;
    // Ends the background scan (its producer stops before this returns);
    // backends whose blocking scans can hang extend it.
    int cbStopBackground(int board, int functionType) override;

    std::size_t LiveBuffers() const;

protected:
    // One reading of a checked channel, in 12-bit counts.
    virtual int ReadChannel(int channel, std::uint16_t& count) = 0;
    // Fills samples (request.count of them, channels interleaved lowest first)
    // for a checked request; may set rate to the rate the board actually used.
    // Runs without any lock of this class, usually on a worker thread.
    virtual int ScanChannels(const ScanRequest& request, std::span<std::uint16_t> samples,
                             long& rate) = 0;

    // Starts the backend's producer of a checked background scan; may set
    // rate. Its samples go to Deliver until StopContinuous. Without one, a
    // board has no background scan.
    virtual int StartContinuous(const ScanRequest& request, long& rate);
    // Makes the producer stop and waits until it has; called without any lock
    // of this class, also when the producer ended the scan itself.
    virtual void StopContinuous() {}
    // From the producer: whole scans, written round the buffer, after
    // lostBefore samples the producer could not take from its board (more
    // than the buffer holds, so a reader sees them as lost). False once the
    // scan has ended (stopped, or its buffer freed): the producer stops.
    bool Deliver(std::span<const std::uint16_t> samples, std::uint64_t lostBefore = 0);
    // From the producer: the scan broke off; cbGetStatus gives result.
    void EndContinuous(int result, std::string why);

    // Notes why an access failed (for LastError) and returns result.
    int Fail(int result, std::string why);

    // For a backend's destructor, once it has made a running scan end: refuses
    // new scans and waits until every scan has left the board, so that closing
    // the program during a scan is safe.
    void CloseScans();

private:
    struct Continuous {
        bool running = false;
        BufferHandle buffer = 0;
        std::size_t size = 0;     // samples round the buffer
        std::uint64_t total = 0;  // samples delivered since the start
        int channels = 1;
        int result = kNoErrors;  // why it broke off
    };
    int StartBackgroundScan(const ScanRequest& request, long* rate, BufferHandle buffer);
    // A checked scan that returns once its samples are in the buffer.
    int ForegroundScan(const ScanRequest& request, long* rate, BufferHandle buffer);

    mutable std::mutex mutex_;  // buffers, scan count, closing, the background scan
    Continuous continuous_;
    std::condition_variable scanLeft_;
    BufferPool buffers_;
    int scansRunning_ = 0;
    bool closing_ = false;
    mutable std::mutex errorMutex_;  // never held during a board access
    std::string lastError_;
};

}  // namespace corvane::daq
