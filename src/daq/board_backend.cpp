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
    if (range != kBip10Volts || options != 0 || lowChannel < 0 || channels < 1 ||
        highChannel > kHighestChannel || count <= 0 || count % channels != 0 || rate == nullptr ||
        *rate <= 0 || *rate > kHighestRate) {
        return Fail(kBadArgument, "scan: arguments out of range");
    }
    const ScanRequest request{lowChannel, highChannel, count, *rate};
    {
        std::lock_guard lock(mutex_);
        if (buffers_.Find(buffer).size() < static_cast<std::size_t>(count))
            return Fail(kBadBuffer, "scan: no buffer of that size");
        if (closing_) return Fail(kBoardNotFound, "scan: the board is closing");
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
