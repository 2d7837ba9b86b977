#include "daq/board_stream.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace corvane::daq {

namespace {

constexpr double kLongestChunkS = 0.25;

StreamChunk Ended(StreamChunk::Kind kind, std::string message = {}) {
    StreamChunk chunk;
    chunk.kind = kind;
    chunk.message = std::move(message);
    return chunk;
}

std::string BoardWords(const Board& board, int result, const std::string& what) {
    const std::string words = board.LastError();
    return what + ": " + (words.empty() ? "board error " + std::to_string(result) : words);
}

class BoardStream : public ScanStream {
public:
    BoardStream(Board& board, const StreamFormat& format, const BoardStreamOptions& options);
    ~BoardStream() override { Finish(); }
    BoardStream(const BoardStream&) = delete;
    BoardStream& operator=(const BoardStream&) = delete;

    StreamFormat Format() const override { return format_; }
    StreamChunk Read() override;
    void Stop() override;

private:
    struct Status {
        int result = kNoErrors;
        short state = kIdle;
        std::uint64_t samples = 0;
    };
    Status Ask() const;
    StreamChunk Take(std::uint64_t samples);
    StreamChunk Gap(std::uint64_t overwrittenSamples);
    int CopyOut(std::uint64_t first, std::size_t count, std::uint16_t* target) const;
    void Finish();

    Board& board_;
    StreamFormat format_;
    std::chrono::milliseconds poll_;
    std::size_t channels_ = 1;
    std::size_t size_ = 0;  // samples round the buffer
    std::size_t longestChunk_ = 0;
    BufferHandle buffer_ = 0;
    bool scanning_ = false;
    bool ended_ = false;
    std::string startFailure_;
    std::uint64_t taken_ = 0;  // samples passed on or reported lost
    std::atomic<bool> stop_{false};
    std::mutex waitMutex_;
    std::condition_variable wake_;
};

BoardStream::BoardStream(Board& board, const StreamFormat& format,
                         const BoardStreamOptions& options)
    : board_(board), format_(format), poll_(options.poll) {
    const long channels = std::max(format.Channels(), 1);
    channels_ = static_cast<std::size_t>(channels);
    const double speedUp =
        std::isfinite(options.speedUp) && options.speedUp > 0.0 ? options.speedUp : 1.0;
    const double wanted = options.bufferSeconds * speedUp * static_cast<double>(format.rate);
    const long scans = std::clamp(std::lround(std::min(wanted, 1e15)), 2L,
                                  std::max(kLargestStreamBuffer / channels, 2L));
    size_ = static_cast<std::size_t>(scans * channels);
    longestChunk_ =
        static_cast<std::size_t>(std::max(std::lround(kLongestChunkS * format.rate), 1L)) *
        channels_;
    buffer_ = board_.cbWinBufAlloc(static_cast<long>(size_));
    if (buffer_ == 0) {
        startFailure_ = "no memory for the board's scan buffer";
        return;
    }
    long rate = format.rate;
    const int result =
        board_.cbAInScan(0, format.lowChannel, format.highChannel, static_cast<long>(size_), &rate,
                         kBip10Volts, buffer_, kBackground | kContinuous);
    if (result != kNoErrors) {
        startFailure_ = BoardWords(board_, result, "the board's scan did not start");
        return;
    }
    scanning_ = true;
    format_.rate = rate;
}

StreamChunk BoardStream::Read() {
    if (ended_) return Ended(StreamChunk::Kind::End);
    if (!startFailure_.empty()) {
        ended_ = true;
        Finish();
        return Ended(StreamChunk::Kind::Failed, startFailure_);
    }
    while (!stop_) {
        const Status status = Ask();
        if (status.samples >= taken_ + channels_) return Take(status.samples);
        if (status.result != kNoErrors || status.state == kIdle) {
            ended_ = true;
            Finish();
            if (status.result == kNoErrors) return Ended(StreamChunk::Kind::End);
            return Ended(StreamChunk::Kind::Failed,
                         BoardWords(board_, status.result, "the board's scan broke off"));
        }
        std::unique_lock lock(waitMutex_);
        wake_.wait_for(lock, poll_, [this] { return stop_.load(); });
    }
    ended_ = true;
    Finish();
    return Ended(StreamChunk::Kind::End);
}

void BoardStream::Stop() {
    {
        std::lock_guard lock(waitMutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

BoardStream::Status BoardStream::Ask() const {
    Status status;
    long count = 0, index = 0;
    status.result = board_.cbGetStatus(0, &status.state, &count, &index, kAiFunction);
    status.samples = static_cast<std::uint64_t>(std::max(count, 0L));
    return status;
}

// The scans the board has put in the buffer since the last Read, at most a
// chunk of them; a gap instead for those it has come round and overwritten.
StreamChunk BoardStream::Take(std::uint64_t samples) {
    if (samples - taken_ > size_) return Gap(samples - size_);
    const std::size_t whole = (samples - taken_) / channels_ * channels_;
    const std::size_t count = std::min(whole, longestChunk_);
    StreamChunk chunk;
    chunk.kind = StreamChunk::Kind::Scans;
    chunk.firstScan = taken_ / channels_;
    chunk.counts.resize(count);
    if (const int result = CopyOut(taken_, count, chunk.counts.data()); result != kNoErrors) {
        ended_ = true;
        Finish();
        return Ended(StreamChunk::Kind::Failed,
                     BoardWords(board_, result, "the board's scan buffer could not be read"));
    }
    // The board may have come round while the samples were copied.
    const std::uint64_t now = Ask().samples;
    if (now > taken_ + size_) return Gap(now - size_);
    taken_ += count;
    return chunk;
}

// Whole scans from the next one up to the first scan not yet overwritten.
StreamChunk BoardStream::Gap(std::uint64_t overwrittenSamples) {
    const std::uint64_t next = (overwrittenSamples + channels_ - 1) / channels_;
    StreamChunk chunk;
    chunk.kind = StreamChunk::Kind::Gap;
    chunk.firstScan = taken_ / channels_;
    chunk.lostScans = next - chunk.firstScan;
    taken_ = next * channels_;
    return chunk;
}

int BoardStream::CopyOut(std::uint64_t first, std::size_t count, std::uint16_t* target) const {
    const std::size_t at = first % size_;
    const std::size_t before = std::min(count, size_ - at);  // up to the buffer's end
    int result =
        board_.cbWinBufToArray(buffer_, target, static_cast<long>(at), static_cast<long>(before));
    if (result == kNoErrors && before < count)
        result =
            board_.cbWinBufToArray(buffer_, target + before, 0, static_cast<long>(count - before));
    return result;
}

void BoardStream::Finish() {
    if (scanning_) board_.cbStopBackground(0, kAiFunction);
    scanning_ = false;
    if (buffer_ != 0) board_.cbWinBufFree(buffer_);
    buffer_ = 0;
}

}  // namespace

std::unique_ptr<ScanStream> OpenBoardStream(Board& board, const StreamFormat& format) {
    return OpenBoardStream(board, format, BoardStreamOptions{});
}

std::unique_ptr<ScanStream> OpenBoardStream(Board& board, const StreamFormat& format,
                                            const BoardStreamOptions& options) {
    return std::make_unique<BoardStream>(board, format, options);
}

}  // namespace corvane::daq
