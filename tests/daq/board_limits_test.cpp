// The board base at the edges of what it accepts, and closed while a scan
// runs on another thread.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "daq/board_backend.h"
#include "daq/board_errors.h"
#include "daq/simulated_board.h"
#include "scripted_board.h"

namespace corvane::daq {
namespace {

TEST(BoardBackend, TheHighestInputAndRateAreTakenOneMoreIsNot) {
    ScriptedBoard board;
    const BufferHandle buffer = board.cbWinBufAlloc(16);
    board.SetChannelCount(7, 3000);
    const struct {
        int low, high;
        long count, rate;
        int result;
    } scans[] = {
        {7, 7, 16, 100000, kNoErrors},     // the last input, the fastest rate
        {0, 7, 16, 100000, kNoErrors},     // all eight inputs
        {7, 8, 16, 1000, kBadArgument},    // one input beyond
        {8, 8, 16, 1000, kBadArgument},    //
        {0, 7, 16, 100001, kBadArgument},  // one scan per second too fast
        {0, 0, 16, 1, kNoErrors},          // the slowest
    };
    for (const auto& s : scans) {
        long rate = s.rate;
        EXPECT_EQ(board.cbAInScan(0, s.low, s.high, s.count, &rate, kBip10Volts, buffer, 0),
                  s.result)
            << s.low << ".." << s.high << " at " << s.rate;
    }
    const struct {
        int channel;
        int result;
        std::uint16_t value;
    } reads[] = {
        {7, kNoErrors, 3000}, {0, kNoErrors, 2048}, {8, kBadArgument, 1}};  // 2048: 0 V, unscripted
    for (const auto& r : reads) {
        std::uint16_t value = 1;
        EXPECT_EQ(board.cbAIn(0, r.channel, kBip10Volts, &value), r.result) << r.channel;
        EXPECT_EQ(value, r.value) << r.channel;
    }
    float revision = 6.0F;
    EXPECT_EQ(board.cbDeclareRevision(&revision), kNoErrors);
    EXPECT_EQ(board.cbDeclareRevision(nullptr), kBadArgument);
}

// The smallest scan is one sample; a scan of nothing, or of part of a scan
// of its inputs, is refused.
TEST(BoardBackend, TheSmallestScanIsOneSample) {
    ScriptedBoard board;
    const BufferHandle buffer = board.cbWinBufAlloc(16);
    const struct {
        int high;
        long count;
        int result;
    } scans[] = {
        {0, 1, kNoErrors}, {0, 0, kBadArgument}, {0, -1, kBadArgument},
        {1, 2, kNoErrors}, {1, 3, kBadArgument},
    };
    for (const auto& s : scans) {
        long rate = 1000;
        EXPECT_EQ(board.cbAInScan(0, 0, s.high, s.count, &rate, kBip10Volts, buffer, 0), s.result)
            << s.count << " samples of inputs 0.." << s.high;
    }
}

// Closing the board (the program ending) while a scan runs on another thread:
// the scan is held inside the board until a scan asked for meanwhile is
// refused, which shows the close has begun; the board is then gone only
// after the running scan has left it.
TEST(BoardBackend, ClosedDuringAScanWaitsForItAndRefusesNewOnes) {
    auto board = std::make_unique<ScriptedBoard>();
    ScriptedBoard* const raw = board.get();
    const BufferHandle running = raw->cbWinBufAlloc(2);
    const BufferHandle probe = raw->cbWinBufAlloc(2);
    std::atomic<bool> inScan{false}, probing{false}, closed{false};
    int refusedWith = kNoErrors;
    bool closedBeforeTheScanEnded = true;
    raw->SetScanHook([&] {
        if (probing) return;  // the probes' own scans
        inScan = true;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (refusedWith == kNoErrors && std::chrono::steady_clock::now() < giveUp) {
            long rate = 1000;
            probing = true;
            const int result = raw->cbAInScan(0, 0, 1, 2, &rate, kBip10Volts, probe, 0);
            probing = false;
            if (result != kNoErrors) refusedWith = result;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // Time for a close that does not wait to finish, were it so.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        closedBeforeTheScanEnded = closed;
    });
    std::thread scan([&] {
        long rate = 1000;
        raw->cbAInScan(0, 0, 1, 2, &rate, kBip10Volts, running, 0);
    });
    while (!inScan) std::this_thread::yield();
    std::thread close([&] {
        board.reset();
        closed = true;
    });
    scan.join();
    close.join();
    EXPECT_EQ(refusedWith, kBoardNotFound) << "a scan started while the board closes";
    EXPECT_FALSE(closedBeforeTheScanEnded);
}

// The simulated board's single readings (the monitor's temperatures and
// heater) carry noise drawn from its seed, as its scans do.
TEST(SimulatedBoard, SingleReadingsFollowTheSeed) {
    const auto readings = [](std::uint64_t seed) {
        EngineParameters parameters;
        parameters.instantScans = true;
        parameters.seed = seed;
        SimulatedBoard board(parameters);
        std::vector<std::uint16_t> counts;
        for (int i = 0; i < 20; ++i) {
            for (int channel = 0; channel <= 3; ++channel) {
                std::uint16_t count = 0;
                board.cbAIn(0, channel, kBip10Volts, &count);
                counts.push_back(count);
            }
        }
        return counts;
    };
    EXPECT_EQ(readings(1), readings(1));
    EXPECT_NE(readings(1), readings(2));
}

}  // namespace
}  // namespace corvane::daq
