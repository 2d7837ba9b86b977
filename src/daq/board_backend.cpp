#include "daq/board_backend.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "daq/board_errors.h"

namespace corvane::daq {

BoardBackend::~BoardBackend() { CloseScans(); }

void BoardBackend::CloseScans() {
    std::unique_lock lock(mutex_);
    closing_ = true;
    scanLeft_.wait(lock, [this] { return scansRunning_ == 0; });
}

int BoardBackend::cbDeclareRevision(float* revision) {
    return revision != nullptr ? kNoErrors : Fail(kBadArgument, "no revision to declare");
}

int BoardBackend::cbErrHandling(int, int) { return kNoErrors; }

int BoardBackend::cbAIn(int board, int channel, int range, std::uint16_t* value) {
    if (board != 0) return Fail(kBadArgument, "board " + std::to_string(board) + " asked for");
    if (range != kBip10Volts || value == nullptr)
        return Fail(kBadArgument, "single reading: not on +-10 V, or nowhere to put it");
    if (channel < 0 || channel > kHighestChannel)
        return Fail(kBadArgument, "single reading: no input " + std::to_string(channel));
    std::uint16_t count = 0;
    const int result = ReadChannel(channel, count);
    if (result == kNoErrors) *value = count;
    return result;
}

int BoardBackend::cbAInScan(int board, int lowChannel, int highChannel, long count, long* rate,
                            int range, BufferHandle buffer, int options) {
    if (board != 0) return Fail(kBadArgument, "board " + std::to_string(board) + " asked for");
    const long channels = static_cast<long>(highChannel) - lowChannel + 1;
    const bool background = options == (kBackground | kContinuous);
    if (range != kBip10Volts || (options != 0 && !background) || lowChannel < 0 || channels < 1 ||
        highChannel > kHighestChannel || count <= 0 || count % channels != 0 || rate == nullptr ||
        *rate <= 0 || *rate > kHighestRate) {
        return Fail(kBadArgument, "scan: arguments out of range");
    }
    const ScanRequest request{lowChannel, highChannel, count, *rate};
    if (background) return StartBackgroundScan(request, rate, buffer);
    return ForegroundScan(request, rate, buffer);
}

int BoardBackend::ForegroundScan(const ScanRequest& request, long* rate, BufferHandle buffer) {
    const long count = request.count;
    {
        std::lock_guard lock(mutex_);
        if (buffers_.Find(buffer).size() < static_cast<std::size_t>(count))
            return Fail(kBadBuffer, "scan: no buffer of that size");
        if (closing_) return Fail(kBoardNotFound, "scan: the board is closing");
        if (continuous_.running) return Fail(kScanRunning, "scan: a background scan runs");
        ++scansRunning_;
    }
    struct LeaveScan {
        BoardBackend& board;
        ~LeaveScan() {
            std::lock_guard lock(board.mutex_);
            --board.scansRunning_;
            board.scanLeft_.notify_all();
        }
    } leave{*this};

    std::vector<std::uint16_t> samples(static_cast<std::size_t>(count));
    long actualRate = request.rate;
    const int result = ScanChannels(request, samples, actualRate);
    if (result != kNoErrors) return result;

    std::lock_guard lock(mutex_);
    // Another thread may have freed the buffer while the board scanned.
    const auto target = buffers_.Find(buffer);
    if (target.size() < samples.size()) return Fail(kBadBuffer, "scan: its buffer was freed");
    std::copy(samples.begin(), samples.end(), target.begin());
    *rate = actualRate;
    return kNoErrors;
}

int BoardBackend::StartBackgroundScan(const ScanRequest& request, long* rate, BufferHandle buffer) {
    {
        std::lock_guard lock(mutex_);
        if (buffers_.Find(buffer).size() < static_cast<std::size_t>(request.count))
            return Fail(kBadBuffer, "background scan: no buffer of that size");
        if (closing_) return Fail(kBoardNotFound, "background scan: the board is closing");
        if (continuous_.running) return Fail(kScanRunning, "background scan: one runs already");
        continuous_ = Continuous{
            true,     buffer, static_cast<std::size_t>(request.count), 0, request.Channels(),
            kNoErrors};
    }
    // A scan that ended by itself may leave its producer to be collected.
    StopContinuous();
    long actualRate = request.rate;
    const int result = StartContinuous(request, actualRate);
    std::lock_guard lock(mutex_);
    if (result != kNoErrors) {
        continuous_.running = false;
        return result;
    }
    *rate = actualRate;
    return kNoErrors;
}

int BoardBackend::StartContinuous(const ScanRequest&, long&) {
    return Fail(kNoBackgroundScan, "background scan: this board has none");
}

bool BoardBackend::Deliver(std::span<const std::uint16_t> samples, std::uint64_t lostBefore) {
    std::lock_guard lock(mutex_);
    Continuous& scan = continuous_;
    if (!scan.running) return false;
    scan.total += lostBefore;
    const auto target = buffers_.Find(scan.buffer);
    if (target.size() < scan.size) {
        scan.running = false;
        scan.result = kBadBuffer;
        return false;
    }
    // Only the newest buffer-full of a long delivery survives the round trip.
    const std::size_t skipped = samples.size() > scan.size ? samples.size() - scan.size : 0;
    std::uint64_t position = scan.total + skipped;
    for (std::size_t i = skipped; i < samples.size(); ++i, ++position)
        target[position % scan.size] = samples[i];
    scan.total += samples.size();
    return true;
}

void BoardBackend::EndContinuous(int result, std::string why) {
    Fail(result, std::move(why));
    std::lock_guard lock(mutex_);
    continuous_.running = false;
    continuous_.result = result;
}

int BoardBackend::cbGetStatus(int board, short* status, long* curCount, long* curIndex,
                              int functionType) {
    if (board != 0 || functionType != kAiFunction || status == nullptr || curCount == nullptr ||
        curIndex == nullptr)
        return Fail(kBadArgument, "status: bad argument");
    std::lock_guard lock(mutex_);
    const Continuous& scan = continuous_;
    const std::uint64_t scans = scan.total / static_cast<std::uint64_t>(scan.channels);
    *status = scan.running ? kRunning : kIdle;
    *curCount = static_cast<long>(scan.total);
    *curIndex = scans == 0
                    ? -1L
                    : static_cast<long>(((scans - 1) * static_cast<std::uint64_t>(scan.channels)) %
                                        scan.size);
    return scan.result;
}

int BoardBackend::cbStopBackground(int board, int functionType) {
    if (board != 0 || functionType != kAiFunction) return Fail(kBadArgument, "stop: bad argument");
    {
        std::lock_guard lock(mutex_);
        continuous_.running = false;
    }
    StopContinuous();
    return kNoErrors;
}

BufferHandle BoardBackend::cbWinBufAlloc(long count) {
    std::lock_guard lock(mutex_);
    return buffers_.Allocate(count);
}

int BoardBackend::cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long firstPoint,
                                  long count) {
    std::lock_guard lock(mutex_);
    return buffers_.CopyOut(buffer, array, firstPoint, count);
}

int BoardBackend::cbWinBufFree(BufferHandle buffer) {
    std::lock_guard lock(mutex_);
    return buffers_.Free(buffer);
}

std::string BoardBackend::LastError() const {
    std::lock_guard lock(errorMutex_);
    return lastError_;
}

std::size_t BoardBackend::LiveBuffers() const {
    std::lock_guard lock(mutex_);
    return buffers_.LiveBuffers();
}

int BoardBackend::Fail(int result, std::string why) {
    std::lock_guard lock(errorMutex_);
    lastError_ = std::move(why);
    return result;
}

}  // namespace corvane::daq
