#include "daq/scan_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "analysis/capture_record.h"
#include "daq/board_errors.h"
#include "daq/capture_transaction.h"
#include "daq/simulated_board.h"

namespace corvane::daq {
namespace {

TEST(ScanWorker, GivesTheScansResultOrRethrowsItsException) {
    std::atomic<int> endings = 0;
    {
        ScanWorker worker([] { return kScanStopped; }, [&] { ++endings; });
        EXPECT_TRUE(worker.WaitFor(5000));
        EXPECT_TRUE(worker.Finished());
        EXPECT_EQ(worker.Result(), kScanStopped);
    }
    ScanWorker failing([]() -> int { throw std::runtime_error("driver gone"); },
                       [&] { ++endings; });
    EXPECT_THROW(failing.Result(), std::runtime_error);
    EXPECT_EQ(endings, 2);
}

// The window's closing during a real-time scan of the simulated engine: the
// board is asked to stop from this thread while its scan runs on the worker.
TEST(ScanWorker, WindingUpStopsAScanThatRunsOn) {
    SimulatedBoard board{EngineParameters{}};  // scans take their real time
    analysis::CaptureRecord record;
    CaptureTransaction transaction(board, analysis::kDynaPlan, record);  // four seconds
    ASSERT_TRUE(transaction.TakeBuffer());
    ScanWorker worker([&] { return transaction.Scan(); });
    EXPECT_FALSE(worker.WaitFor(50));
    int stops = 0;
    EXPECT_TRUE(worker.WindUp(
        [&] {
            ++stops;
            board.cbStopBackground(0, kAiFunction);
        },
        10, 3000));
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(worker.Result(), kScanStopped);
}

TEST(ScanWorker, AScanThatIgnoresTheStopIsLeftBehind) {
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto finished = std::make_shared<std::atomic<bool>>(false);
    {
        ScanWorker worker(
            [release] {
                while (!*release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return kNoErrors;
            },
            [finished] { *finished = true; });
        EXPECT_FALSE(worker.WindUp([] { throw std::runtime_error("no answer"); }, 10, 10));
        EXPECT_FALSE(worker.Finished());
    }  // the worker goes; its scan runs on
    *release = true;
    for (int wait = 0; wait < 5000 && !*finished; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(*finished);
}

// A scan left behind that ends later still gives its result. The ending is
// watched without any lock (a relaxed flag), so only the worker's own lock
// orders the result's reading after the scan's writing of it; ThreadSanitizer
// sees a race when Result reads without it.
TEST(ScanWorker, AScanLeftBehindGivesItsResultOnceItHasEnded) {
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto ended = std::make_shared<std::atomic<bool>>(false);
    ScanWorker worker(
        [release] {
            while (!release->load(std::memory_order_relaxed))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return kScanStopped;
        },
        [ended] { ended->store(true, std::memory_order_relaxed); });
    ASSERT_FALSE(worker.WindUp({}, 10, 10));
    release->store(true, std::memory_order_relaxed);
    for (int wait = 0; wait < 5000 && !ended->load(std::memory_order_relaxed); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(worker.Result(), kScanStopped);
}

}  // namespace
}  // namespace corvane::daq
