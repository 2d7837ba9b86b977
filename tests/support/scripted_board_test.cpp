#include "scripted_board.h"

#include <gtest/gtest.h>

#include <thread>

namespace corvane::daq {
namespace {

using Call = ScriptedBoard::Call;

// The calls of one Grab as the window makes them.
int Grab(Board& board, std::vector<std::uint16_t>& samples) {
    samples.assign(2000, 0);
    const BufferHandle buffer = board.cbWinBufAlloc(2000);
    long rate = 1000;
    const int result = board.cbAInScan(0, 0, 1, 2000, &rate, kBip10Volts, buffer, 0);
    if (result == kNoErrors) board.cbWinBufToArray(buffer, samples.data(), 0, 2000);
    board.cbWinBufFree(buffer);
    return result;
}

TEST(ScriptedBoard, RecordsEveryCallWithItsArguments) {
    ScriptedBoard board;
    float revision = 5.72f;
    board.cbDeclareRevision(&revision);
    board.cbErrHandling(0, 0);
    std::uint16_t value = 0;
    board.cbAIn(0, 2, kBip10Volts, &value);
    std::vector<std::uint16_t> samples;
    ASSERT_EQ(Grab(board, samples), kNoErrors);

    const std::vector<Call> expected = {
        {"cbDeclareRevision", {double(5.72f)}},
        {"cbErrHandling", {0, 0}},
        {"cbAIn", {0, 2, 1}},
        {"cbWinBufAlloc", {2000}},
        {"cbAInScan", {0, 0, 1, 2000, 1000, 1, 1, 0}},
        {"cbWinBufToArray", {1, 0, 2000}},
        {"cbWinBufFree", {1}},
    };
    EXPECT_EQ(board.Calls(), expected);
    EXPECT_EQ(board.CallCount("cbAIn"), 1);
    EXPECT_EQ(board.CallsNamed("cbWinBufFree").size(), 1u);
    EXPECT_EQ(board.LiveBuffers(), 0u);
    board.ClearCalls();
    EXPECT_TRUE(board.Calls().empty());
}

TEST(ScriptedBoard, SingleReadsFollowTheScriptPerChannel) {
    ScriptedBoard board;
    board.SetChannelCount(2, 2652);
    board.SetChannelCount(4, 2806);
    board.SetChannelResult(3, 7);
    std::uint16_t value = 0;
    EXPECT_EQ(board.cbAIn(0, 2, kBip10Volts, &value), kNoErrors);
    EXPECT_EQ(value, 2652);
    EXPECT_EQ(board.cbAIn(0, 4, kBip10Volts, &value), kNoErrors);
    EXPECT_EQ(value, 2806);
    EXPECT_EQ(board.cbAIn(0, 0, kBip10Volts, &value), kNoErrors);
    EXPECT_EQ(value, 2048) << "an unscripted channel reads 0 V";
    value = 1;
    EXPECT_EQ(board.cbAIn(0, 3, kBip10Volts, &value), 7);
    EXPECT_EQ(value, 1) << "a failed read leaves the result alone";

    board.SetPlugged(false);
    EXPECT_NE(board.cbAIn(0, 2, kBip10Volts, &value), kNoErrors);
    board.SetPlugged(true);
    EXPECT_EQ(board.cbAIn(0, 2, kBip10Volts, &value), kNoErrors);
    EXPECT_EQ(board.cbAIn(1, 2, kBip10Volts, &value), kBadArgument);
    EXPECT_EQ(board.cbAIn(0, 2, 0, &value), kBadArgument);
}

TEST(ScriptedBoard, ScansAnswerInQueueOrderThenTheDefault) {
    ScriptedBoard board;
    board.QueueScan({kNoErrors, {100, 200, 300}});
    board.QueueScan({5, {}});
    board.SetDefaultScan({kNoErrors, std::vector<std::uint16_t>(2500, 4000)});

    std::vector<std::uint16_t> samples;
    ASSERT_EQ(Grab(board, samples), kNoErrors);
    EXPECT_EQ(samples[0], 100);
    EXPECT_EQ(samples[2], 300);
    EXPECT_EQ(samples[3], 2048) << "short scripts are padded with 0 V";
    EXPECT_EQ(samples[1999], 2048);

    EXPECT_EQ(Grab(board, samples), 5);
    EXPECT_EQ(board.CallCount("cbWinBufToArray"), 1) << "no copy after a failed scan";

    ASSERT_EQ(Grab(board, samples), kNoErrors);
    EXPECT_EQ(samples[1999], 4000) << "a long script is cut to the count";
    EXPECT_EQ(board.LiveBuffers(), 0u);

    board.SetPlugged(false);
    EXPECT_EQ(Grab(board, samples), kScriptedFailure);
}

TEST(ScriptedBoard, ABadBufferFailsTheScanInsteadOfCrashing) {
    ScriptedBoard board;
    board.SetAllocFails(true);
    EXPECT_EQ(board.cbWinBufAlloc(2000), 0);
    long rate = 1000;
    EXPECT_EQ(board.cbAInScan(0, 0, 1, 2000, &rate, kBip10Volts, 0, 0), kBadBuffer);
    EXPECT_EQ(board.cbAInScan(0, 0, 1, 2000, &rate, kBip10Volts, 12345, 0), kBadBuffer);
    board.SetAllocFails(false);

    const BufferHandle small = board.cbWinBufAlloc(100);
    EXPECT_EQ(board.cbAInScan(0, 0, 1, 2000, &rate, kBip10Volts, small, 0), kBadBuffer);
    std::uint16_t array[200];
    EXPECT_EQ(board.cbWinBufToArray(small, array, 0, 200), kBadBuffer);
    EXPECT_EQ(board.cbWinBufToArray(small, nullptr, 0, 100), kBadBuffer);
    EXPECT_EQ(board.cbWinBufToArray(small, array, 50, 50), kNoErrors);
    EXPECT_EQ(board.cbWinBufFree(small), kNoErrors);
    EXPECT_EQ(board.cbWinBufFree(small), kBadBuffer) << "freeing twice is refused";
    EXPECT_EQ(board.cbAInScan(0, 0, 1, 2000, nullptr, kBip10Volts, small, 0), kBadArgument);
}

TEST(ScriptedBoard, ScanHookRunsOnTheScanningThreadWithoutTheLock) {
    ScriptedBoard board;
    board.SetDefaultScan({kNoErrors, {1, 2}});
    std::thread::id hookThread;
    board.SetScanHook([&] {
        hookThread = std::this_thread::get_id();
        board.SetChannelCount(2, 3000);  // would deadlock if the lock were held
        board.QueueScan({9, {}});        // this scan itself takes the failure
    });
    int result = kNoErrors;
    std::thread worker([&] {
        std::vector<std::uint16_t> samples;
        result = Grab(board, samples);
    });
    const auto workerId = worker.get_id();
    worker.join();
    EXPECT_EQ(hookThread, workerId);
    EXPECT_EQ(result, 9);
    std::uint16_t value = 0;
    board.cbAIn(0, 2, kBip10Volts, &value);
    EXPECT_EQ(value, 3000);
}

}  // namespace
}  // namespace corvane::daq
