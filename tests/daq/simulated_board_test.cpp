#include "daq/simulated_board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "analysis/capture_record.h"
#include "daq/board_errors.h"
#include "daq/capture_transaction.h"

namespace corvane::daq {
namespace {

using Clock = std::chrono::steady_clock;

EngineParameters Instant(EngineParameters parameters = {}) {
    parameters.instantScans = true;
    return parameters;
}

std::vector<std::uint16_t> Scan(Board& board, int low, int high, long count,
                                int* result = nullptr) {
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(count));
    const BufferHandle buffer = board.cbWinBufAlloc(count);
    long rate = 1000;
    const int code = board.cbAInScan(0, low, high, count, &rate, kBip10Volts, buffer, 0);
    if (code == kNoErrors) board.cbWinBufToArray(buffer, samples.data(), 0, count);
    board.cbWinBufFree(buffer);
    if (result != nullptr) *result = code;
    return samples;
}

TEST(SimulatedBoard, GrabScanInterleavesPressureAndTachometer) {
    SimulatedBoard board(Instant());
    int result = -1;
    const auto samples = Scan(board, 0, 1, 2000, &result);
    ASSERT_EQ(result, kNoErrors);
    double tachLow = 4.6, tachHigh = -1.0, pressureLow = 10.0, pressureHigh = -10.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double volts = analysis::CountToVolts(samples[i]);
        ASSERT_LE(samples[i], 4095);
        if (i % 2 == 1) {
            tachLow = std::min(tachLow, volts);
            tachHigh = std::max(tachHigh, volts);
        } else {
            pressureLow = std::min(pressureLow, volts);
            pressureHigh = std::max(pressureHigh, volts);
        }
    }
    EXPECT_LT(tachLow, 0.3) << "holes read near 0 V";
    EXPECT_NEAR(tachHigh, 4.5, 0.1) << "the flywheel reads 4.5 V between holes";
    EXPECT_GT(pressureHigh - pressureLow, 0.4 * 5.0) << "a swing of several kPa at 0.4 V/kPa";
    EXPECT_LT(pressureHigh - pressureLow, 10.0);
}

TEST(SimulatedBoard, SameSeedGivesTheSameCaptures) {
    SimulatedBoard first(Instant()), second(Instant());
    EngineParameters other = Instant();
    other.seed = 2;
    SimulatedBoard third(other);
    const auto a1 = Scan(first, 0, 1, 2000), a2 = Scan(first, 0, 1, 2000);
    std::uint16_t reading = 0;
    second.cbAIn(0, 2, kBip10Volts, &reading);  // single reads do not shift the scans
    const auto b1 = Scan(second, 0, 1, 2000), b2 = Scan(second, 0, 1, 2000);
    EXPECT_EQ(a1, b1);
    EXPECT_EQ(a2, b2);
    EXPECT_NE(a1, a2) << "successive captures differ";
    EXPECT_NE(a1, Scan(third, 0, 1, 2000));
}

TEST(SimulatedBoard, NoiseAndClippingAreThoseOfA12BitConverter) {
    EngineParameters quiet = Instant();
    quiet.noiseVolts = 0.0;
    SimulatedBoard still(quiet);
    std::uint16_t count = 0;
    ASSERT_EQ(still.cbAIn(0, 2, kBip10Volts, &count), kNoErrors);
    EXPECT_EQ(count, analysis::VoltsToCount(2.95));

    EngineParameters noisy = Instant();
    noisy.noiseVolts = 0.2;
    SimulatedBoard board(noisy);
    double sum = 0.0, squares = 0.0;
    constexpr int n = 4000;
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(board.cbAIn(0, 2, kBip10Volts, &count), kNoErrors);
        const double volts = analysis::CountToVolts(count);
        sum += volts;
        squares += volts * volts;
    }
    const double mean = sum / n;
    EXPECT_NEAR(mean, 2.95, 0.02);
    EXPECT_NEAR(std::sqrt(squares / n - mean * mean), 0.2, 0.02);

    EngineParameters wild = Instant();
    wild.noiseVolts = 5.0;
    SimulatedBoard clipping(wild);
    const auto samples = Scan(clipping, 0, 1, 4000);
    EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 4095);
    EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), 0);
}

TEST(SimulatedBoard, RejectsBadArgumentsWithoutCrashing) {
    SimulatedBoard board(Instant());
    const BufferHandle buffer = board.cbWinBufAlloc(2000);
    long rate = 1000;
    std::uint16_t value = 0;
    EXPECT_NE(board.cbAInScan(1, 0, 1, 2000, &rate, kBip10Volts, buffer, 0), kNoErrors);
    EXPECT_NE(board.cbAInScan(0, 0, 1, 2000, &rate, 0, buffer, 0), kNoErrors);
    EXPECT_NE(board.cbAInScan(0, 1, 0, 2000, &rate, kBip10Volts, buffer, 0), kNoErrors);
    EXPECT_NE(board.cbAInScan(0, 0, 8, 2000, &rate, kBip10Volts, buffer, 0), kNoErrors);
    EXPECT_NE(board.cbAInScan(0, 0, 1, 2001, &rate, kBip10Volts, buffer, 0), kNoErrors);
    EXPECT_NE(board.cbAInScan(0, 0, 1, 2000, nullptr, kBip10Volts, buffer, 0), kNoErrors);
    EXPECT_EQ(board.cbAInScan(0, 0, 1, 2000, &rate, kBip10Volts, 0, 0), kBadBuffer)
        << "a buffer that failed to allocate fails the scan";
    EXPECT_NE(board.cbAIn(0, 8, kBip10Volts, &value), kNoErrors);
    EXPECT_NE(board.cbAIn(0, 2, kBip10Volts, nullptr), kNoErrors);
    EXPECT_EQ(board.cbWinBufAlloc(0), 0);
    EXPECT_EQ(board.cbWinBufFree(buffer), kNoErrors);
    EXPECT_NE(board.cbWinBufFree(buffer), kNoErrors);
}

TEST(SimulatedBoard, UnpluggedBoardFailsReadsAndScansUntilPluggedIn) {
    EngineParameters parameters = Instant();
    parameters.faults.unplugged = true;
    SimulatedBoard board(parameters);
    analysis::CaptureRecord record;
    record.RawSamples[0] = 1234;
    std::uint16_t value = 0;
    for (int channel : {0, 2, 3, 4}) EXPECT_NE(board.cbAIn(0, channel, kBip10Volts, &value), 0);
    EXPECT_NE(TakeCapture(board, analysis::CaptureKind::Grab, record), 0);
    EXPECT_NE(TakeCapture(board, analysis::CaptureKind::Dyna, record), 0);
    EXPECT_EQ(record.RawSamples[0], 1234) << "the previous capture stays";
    EXPECT_EQ(record.SampleCount, 0) << "whole";

    parameters.faults.unplugged = false;
    board.SetParameters(parameters);
    EXPECT_EQ(board.cbAIn(0, 2, kBip10Volts, &value), kNoErrors);
    EXPECT_EQ(TakeCapture(board, analysis::CaptureKind::Grab, record), kNoErrors);
    EXPECT_EQ(record.SampleCount, 2000);
    EXPECT_FALSE(record.IsDyna);
}

TEST(SimulatedBoard, ScanBlocksForTheAcquisitionTimeAndUnpluggingEndsIt) {
    SimulatedBoard board;  // real timing
    auto start = Clock::now();
    int result = -1;
    Scan(board, 0, 1, 200, &result);  // 100 scans of two channels at 1000/s
    EXPECT_EQ(result, kNoErrors);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(95));

    // A Dyna takes 4 s; pulling the cable 50 ms in fails it at once.
    start = Clock::now();
    std::thread scan([&] { Scan(board, 1, 1, 4000, &result); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EngineParameters parameters = board.Parameters();
    parameters.faults.unplugged = true;
    board.SetParameters(parameters);
    scan.join();
    EXPECT_EQ(result, kBoardNotFound);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST(SimulatedBoard, ClosingTheBoardEndsAScanStillRunning) {
    auto board = std::make_unique<SimulatedBoard>();
    const BufferHandle buffer = board->cbWinBufAlloc(4000);
    SimulatedBoard* scanning = board.get();
    int result = -1;
    const auto start = Clock::now();
    std::thread scan([&] {
        long rate = 1000;
        result = scanning->cbAInScan(0, 1, 1, 4000, &rate, kBip10Volts, buffer, 0);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    board.reset();  // waits until the scan has left the board
    scan.join();
    EXPECT_EQ(result, kBoardNotFound);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST(SimulatedBoard, OutOfRangeParametersFallBackToDefaults) {
    EngineParameters parameters;
    parameters.rpm = -5.0;
    parameters.noiseVolts = std::nan("");
    parameters.heaterPowerW = 7.0;
    parameters.flywheelMassG = 0.0;
    parameters.flywheelDiameterMm = 250.0;
    const EngineParameters checked = CheckedParameters(parameters);
    const EngineParameters defaults;
    EXPECT_EQ(checked.rpm, defaults.rpm);
    EXPECT_EQ(checked.noiseVolts, defaults.noiseVolts);
    EXPECT_EQ(checked.heaterPowerW, 7.0);
    EXPECT_EQ(checked.flywheelMassG, defaults.flywheelMassG);
    EXPECT_EQ(checked.flywheelDiameterMm, defaults.flywheelDiameterMm);
    SimulatedBoard board(parameters);
    EXPECT_EQ(board.Parameters().rpm, defaults.rpm);
}

}  // namespace
}  // namespace corvane::daq
