#include "daq/board_stream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <thread>
#include <vector>

#include "daq/board_backend.h"
#include "daq/board_errors.h"
#include "daq/run_scan.h"
#include "daq/simulated_board.h"

namespace corvane::daq {
namespace {

using Kind = StreamChunk::Kind;

// A board whose background scan is fed by the test: scan k of channel c reads
// 10 k + c, so every sample says where it came from.
class HandFedBoard : public BoardBackend {
public:
    ~HandFedBoard() override { CloseScans(); }
    void Feed(long scans) {
        std::vector<std::uint16_t> samples;
        for (long k = 0; k < scans; ++k, ++next_)
            for (int c = 0; c < channels_; ++c)
                samples.push_back(static_cast<std::uint16_t>((10 * next_ + c) % 65536));
        Deliver(samples);
    }
    void Break() { EndContinuous(kBoardNotFound, "cable out"); }
    // Scans that arrive while the reader copies the buffer.
    long feedDuringCopy = 0;
    long bufferSamples = 0;  // the buffer the stream asked for
    int cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long first,
                        long count) override {
        Feed(std::exchange(feedDuringCopy, 0));
        return BoardBackend::cbWinBufToArray(buffer, array, first, count);
    }

private:
    int ReadChannel(int, std::uint16_t&) override { return kBadArgument; }
    int ScanChannels(const ScanRequest&, std::span<std::uint16_t>, long&) override {
        return kBadArgument;
    }
    int StartContinuous(const ScanRequest& request, long&) override {
        channels_ = request.Channels();
        bufferSamples = request.count;
        return kNoErrors;
    }
    int channels_ = 1;
    long next_ = 0;
};

constexpr StreamFormat kTwoChannels{0, 1, 1000};

// Buffer of 10 scans: whatever the reader leaves behind longer is a gap of
// exactly the scans overwritten, and the scans after it are the right ones.
TEST(BoardStream, ScansInOrderAndOverwrittenScansAsGaps) {
    HandFedBoard board;
    auto stream = OpenBoardStream(board, kTwoChannels, {0.01, std::chrono::milliseconds(1)});
    struct Step {
        long feed, duringCopy;
        Kind kind;
        std::uint64_t first, scansOrLost;
    };
    const Step steps[] = {
        {3, 0, Kind::Scans, 0, 3},   // plain
        {14, 0, Kind::Gap, 3, 4},    // 17 fed, 10 kept: 3..6 lost
        {0, 0, Kind::Scans, 7, 10},  // the rest, round the buffer's end
        {10, 5, Kind::Gap, 17, 5},   // came round while copying: the copy is not trusted
        {0, 0, Kind::Scans, 22, 10},
    };
    for (const Step& step : steps) {
        board.Feed(step.feed);
        board.feedDuringCopy = step.duringCopy;
        const StreamChunk chunk = stream->Read();
        ASSERT_EQ(chunk.kind, step.kind) << "step at scan " << step.first;
        EXPECT_EQ(chunk.firstScan, step.first);
        if (step.kind == Kind::Gap) {
            EXPECT_EQ(chunk.lostScans, step.scansOrLost);
            continue;
        }
        ASSERT_EQ(chunk.counts.size(), 2 * step.scansOrLost);
        for (std::size_t i = 0; i < chunk.counts.size(); ++i)
            ASSERT_EQ(chunk.counts[i], 10 * (step.first + i / 2) + i % 2) << i;
    }
    short status = kIdle;
    long count = 0, index = 0;
    EXPECT_EQ(board.cbGetStatus(0, &status, &count, &index, kAiFunction), kNoErrors);
    EXPECT_EQ(status, kRunning);
    EXPECT_EQ(count, 2 * 32);
    EXPECT_EQ(index, (2 * 31) % 20) << "the last whole scan begins there";

    board.Feed(2);
    board.Break();
    EXPECT_EQ(stream->Read().kind, Kind::Scans) << "what came before the break is kept";
    const StreamChunk failed = stream->Read();
    EXPECT_EQ(failed.kind, Kind::Failed);
    EXPECT_NE(failed.message.find("cable out"), std::string::npos) << failed.message;
    EXPECT_EQ(stream->Read().kind, Kind::End);
    EXPECT_EQ(board.LiveBuffers(), 0u);
}

// The board's status names the start of the last whole scan in its buffer,
// round the buffer's end; -1 before the first scan has come.
TEST(BoardStream, TheStatusNamesTheLastWholeScanOrNone) {
    HandFedBoard board;
    const BufferHandle buffer = board.cbWinBufAlloc(20);  // ten scans of two inputs
    long rate = 1000;
    ASSERT_EQ(board.cbAInScan(0, 0, 1, 20, &rate, kBip10Volts, buffer, kBackground | kContinuous),
              kNoErrors);
    const struct {
        long feed, count, index;
    } steps[] = {{0, 0, -1}, {1, 2, 0}, {2, 6, 4}, {8, 22, 0}, {4, 30, 8}};
    for (const auto& step : steps) {
        board.Feed(step.feed);
        short status = kIdle;
        long count = -2, index = -2;
        EXPECT_EQ(board.cbGetStatus(0, &status, &count, &index, kAiFunction), kNoErrors);
        EXPECT_EQ(count, step.count);
        EXPECT_EQ(index, step.index) << step.count << " samples in";
    }
    board.cbStopBackground(0, kAiFunction);
    board.cbWinBufFree(buffer);
}

EngineParameters SpedUp(double speedUp) {
    EngineParameters parameters;
    parameters.run.speedUp = speedUp;
    return parameters;
}

// pauseAfterGap: the reader held up after each gap, as on a loaded machine.
std::vector<std::uint16_t> ReadScans(ScanStream& stream, std::uint64_t scans,
                                     std::vector<StreamChunk>* gaps = nullptr,
                                     std::chrono::milliseconds pauseAfterGap = {}) {
    std::vector<std::uint16_t> counts;
    const auto channels = static_cast<std::size_t>(stream.Format().Channels());
    std::uint64_t next = 0;
    while (next < scans) {
        StreamChunk chunk = stream.Read();
        if (chunk.kind == Kind::Gap && gaps != nullptr) gaps->push_back(chunk);
        if (chunk.kind == Kind::Gap) std::this_thread::sleep_for(pauseAfterGap);
        if (chunk.kind != Kind::Scans && chunk.kind != Kind::Gap) {
            ADD_FAILURE() << "stream ended at scan " << next << ": " << chunk.message;
            break;
        }
        EXPECT_EQ(chunk.firstScan, next) << "scans and gaps follow each other";
        next += chunk.kind == Kind::Gap ? chunk.lostScans : chunk.counts.size() / channels;
        counts.insert(counts.end(), chunk.counts.begin(), chunk.counts.end());
    }
    counts.resize(std::min<std::size_t>(counts.size(), scans * channels));
    return counts;
}

// The buffer holds the same real time whatever the board's speed-up, so a
// sped-up recording has the slack of a real-time one; within a sane size.
TEST(BoardStream, BufferFollowsTheSpeedUp) {
    struct Case {
        double bufferSeconds, speedUp;
        long samples;  // two channels at 1000 scans per second
    };
    const double nan = std::nan("");
    for (const Case c : {Case{10.0, 1.0, 20000}, Case{10.0, 200.0, 4000000},
                         Case{2.0, 0.5, 2000}, Case{10.0, nan, 20000}, Case{10.0, -3.0, 20000},
                         Case{10.0, 1e9, kLargestStreamBuffer}, Case{1e-9, 1.0, 4}}) {
        HandFedBoard board;
        BoardStreamOptions options;
        options.bufferSeconds = c.bufferSeconds;
        options.speedUp = c.speedUp;
        auto stream = OpenBoardStream(board, kTwoChannels, options);
        EXPECT_EQ(board.bufferSamples, c.samples) << c.bufferSeconds << " s at " << c.speedUp;
    }
    HandFedBoard board;
    auto stream = OpenBoardStream(board, kTwoChannels);
    EXPECT_EQ(board.bufferSamples, 20000) << "ten seconds of a real board by default";
}

// The simulated board's stream is its run, sample for sample, whoever reads it.
TEST(BoardStream, SimulatedBoardStreamsItsRunWithoutGaps) {
    EngineParameters parameters = SpedUp(40.0);
    parameters.run.overrunS = 0.5;  // a length without a moment causes no overrun
    SimulatedBoard board(parameters);
    const StreamFormat format;  // the five engine channels at 1000 scans/s
    auto stream = OpenBoardStream(board, format);
    std::vector<StreamChunk> gaps;
    const auto counts = ReadScans(*stream, 3000, &gaps);
    EXPECT_TRUE(gaps.empty());

    RunScan run(parameters, ScanRequest{0, 4, 0, 1000});
    std::vector<std::uint16_t> expected;
    while (expected.size() < counts.size()) {
        const auto block = run.NextBlock();
        expected.insert(expected.end(), block.begin(), block.end());
    }
    expected.resize(counts.size());
    EXPECT_EQ(counts, expected);
}

TEST(BoardStream, InjectedOverrunIsAGapOfItsTimeAndLength) {
    EngineParameters parameters = SpedUp(20.0);
    parameters.run.overrunAtS = 1.5;
    parameters.run.overrunS = 0.75;
    SimulatedBoard board(parameters);
    auto stream = OpenBoardStream(board, StreamFormat{}, {10.0, std::chrono::milliseconds(2)});
    std::vector<StreamChunk> gaps;
    ReadScans(*stream, 4000, &gaps);
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_EQ(gaps[0].firstScan, 1500u);
    EXPECT_EQ(gaps[0].lostScans, 750u);
}

// However long the stream's buffer and however fast the board, an injected
// overrun is one gap of its length at its time, even for a reader held up a
// moment by it: the board then resumes its pace rather than bursting in the
// scans it owes for its stall.
TEST(BoardStream, InjectedOverrunIsOneGapWhateverTheBuffer) {
    struct Case {
        double speedUp, bufferSeconds, overrunAtS, overrunS;
    };
    // Each buffer holds at least half a second of the sped-up board's scans.
    for (const Case c : {Case{10.0, 5.0, 1.0, 0.5}, Case{20.0, 10.0, 1.5, 0.5},
                         Case{40.0, 30.0, 2.0, 2.0}, Case{20.0, 12.345, 0.7, 0.3}}) {
        EngineParameters parameters = SpedUp(c.speedUp);
        parameters.run.overrunAtS = c.overrunAtS;
        parameters.run.overrunS = c.overrunS;
        SimulatedBoard board(parameters);
        auto stream =
            OpenBoardStream(board, StreamFormat{}, {c.bufferSeconds, std::chrono::milliseconds(2)});
        std::vector<StreamChunk> gaps;
        // Past the scans that came at once, and a while of the board's pace after them.
        const double endS = c.overrunAtS + c.overrunS + c.bufferSeconds + 0.2 * c.speedUp;
        ReadScans(*stream, static_cast<std::uint64_t>(endS * 1000.0), &gaps,
                  std::chrono::milliseconds(200));
        ASSERT_EQ(gaps.size(), 1u) << "speed-up " << c.speedUp << ", buffer " << c.bufferSeconds
                                   << " s, second gap of "
                                   << (gaps.size() > 1 ? gaps[1].lostScans : 0) << " scans";
        EXPECT_EQ(gaps[0].firstScan, static_cast<std::uint64_t>(std::llround(c.overrunAtS * 1000.0)));
        EXPECT_EQ(gaps[0].lostScans, static_cast<std::uint64_t>(std::llround(c.overrunS * 1000.0)));
    }
}

TEST(BoardStream, UnpluggedMidStreamFailsAfterItsScans) {
    SimulatedBoard board(SpedUp(20.0));
    auto stream = OpenBoardStream(board, StreamFormat{});
    ReadScans(*stream, 500);
    EngineParameters pulled = board.Parameters();
    pulled.faults.unplugged = true;
    board.SetParameters(pulled);
    StreamChunk chunk;
    do chunk = stream->Read();
    while (chunk.kind == Kind::Scans);
    EXPECT_EQ(chunk.kind, Kind::Failed);
    EXPECT_NE(chunk.message.find("USB cable is pulled out"), std::string::npos) << chunk.message;
    EXPECT_EQ(stream->Read().kind, Kind::End);

    auto refused = OpenBoardStream(board, StreamFormat{});
    EXPECT_EQ(refused->Read().kind, Kind::Failed) << "a scan that cannot start says so";
    EXPECT_EQ(refused->Read().kind, Kind::End);
    EXPECT_EQ(board.LiveBuffers(), 0u) << "an ended stream holds no buffer";
}

TEST(BoardStream, StopFromAnotherThreadEndsABlockedRead) {
    SimulatedBoard board;  // real time: a tenth of a second between blocks
    auto stream = OpenBoardStream(board, StreamFormat{});
    auto reader = std::async(std::launch::async, [&] {
        StreamChunk chunk;
        do chunk = stream->Read();
        while (chunk.kind == Kind::Scans);
        return chunk.kind;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    stream->Stop();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(reader.get(), Kind::End);
    short status = kRunning;
    long count = 0, index = 0;
    board.cbGetStatus(0, &status, &count, &index, kAiFunction);
    EXPECT_EQ(status, kIdle) << "the board's scan is stopped with the stream";
}

}  // namespace
}  // namespace corvane::daq
