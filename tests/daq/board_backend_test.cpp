#include "daq/board_backend.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "daq/absent_board.h"
#include "daq/board_errors.h"
#include "daq/simulated_board.h"
#include "scripted_board.h"

namespace corvane::daq {
namespace {

std::unique_ptr<BoardBackend> Simulated() {
    EngineParameters parameters;
    parameters.instantScans = true;
    return std::make_unique<SimulatedBoard>(parameters);
}

// Every backend refuses the same arguments the same way, before its board is
// touched, and says why.
TEST(BoardBackend, EveryBackendChecksArgumentsAlike) {
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<BoardBackend>()>>>
        backends = {
            {"simulated", Simulated},
            {"scripted", [] { return std::make_unique<ScriptedBoard>(); }},
            {"absent", [] { return std::make_unique<AbsentBoard>("no board"); }},
        };
    struct Scan {
        int board, low, high;
        long count, rate;
        int range, options;
        bool ownBuffer;
        int result;
    };
    const Scan scans[] = {
        {1, 0, 1, 2000, 1000, kBip10Volts, 0, true, kBadArgument},    // board 1
        {0, 0, 1, 2000, 1000, 0, 0, true, kBadArgument},              // range
        {0, 0, 1, 2000, 1000, kBip10Volts, 1, true, kBadArgument},    // background
        {0, 0, 1, 2000, 1000, kBip10Volts, 2, true, kBadArgument},    // continuous alone
        {0, 1, 0, 2000, 1000, kBip10Volts, 3, true, kBadArgument},    // reversed, background
        {0, 0, 1, 2002, 1000, kBip10Volts, 3, true, kBadBuffer},      // round no such buffer
        {0, 1, 0, 2000, 1000, kBip10Volts, 0, true, kBadArgument},    // reversed
        {0, 0, 8, 2000, 1000, kBip10Volts, 0, true, kBadArgument},    // no input 8
        {0, -1, 1, 2000, 1000, kBip10Volts, 0, true, kBadArgument},   // no input -1
        {0, 0, 1, 1999, 1000, kBip10Volts, 0, true, kBadArgument},    // not whole scans
        {0, 0, 1, 0, 1000, kBip10Volts, 0, true, kBadArgument},       // nothing
        {0, 0, 1, 2000, 0, kBip10Volts, 0, true, kBadArgument},       // no rate
        {0, 0, 1, 2000, 100001, kBip10Volts, 0, true, kBadArgument},  // too fast
        {0, 0, 1, 2002, 1000, kBip10Volts, 0, true, kBadBuffer},      // beyond the buffer
        {0, 0, 1, 2000, 1000, kBip10Volts, 0, false, kBadBuffer},     // no buffer
    };
    for (const auto& [name, make] : backends) {
        auto board = make();
        const BufferHandle buffer = board->cbWinBufAlloc(2000);
        ASSERT_NE(buffer, 0) << name;
        for (const Scan& s : scans) {
            long rate = s.rate;
            EXPECT_EQ(board->cbAInScan(s.board, s.low, s.high, s.count, &rate, s.range,
                                       s.ownBuffer ? buffer : buffer + 1, s.options),
                      s.result)
                << name << " low " << s.low << " high " << s.high << " count " << s.count;
            EXPECT_FALSE(board->LastError().empty()) << name;
        }
        long rate = 1000;
        EXPECT_EQ(board->cbAInScan(0, 0, 1, 2000, nullptr, kBip10Volts, buffer, 0), kBadArgument);
        std::uint16_t value = 7;
        EXPECT_EQ(board->cbAIn(0, 8, kBip10Volts, &value), kBadArgument) << name;
        EXPECT_EQ(board->cbAIn(1, 2, kBip10Volts, &value), kBadArgument) << name;
        EXPECT_EQ(board->cbAIn(0, 2, 0, &value), kBadArgument) << name;
        EXPECT_EQ(board->cbAIn(0, 2, kBip10Volts, nullptr), kBadArgument) << name;
        EXPECT_EQ(value, 7) << name << ": a refused read writes nothing";
        EXPECT_EQ(board->cbWinBufFree(buffer), kNoErrors) << name;
        EXPECT_EQ(board->cbAInScan(0, 0, 1, 2000, &rate, kBip10Volts, buffer, 0), kBadBuffer)
            << name << ": a freed buffer";
        EXPECT_EQ(board->LiveBuffers(), 0u) << name;
    }
}

// The buffer can be freed by another thread while the board scans: the scan
// then fails instead of writing into freed memory.
TEST(BoardBackend, ABufferFreedDuringTheScanFailsIt) {
    ScriptedBoard board;
    const BufferHandle buffer = board.cbWinBufAlloc(2000);
    board.SetScanHook([&] { board.cbWinBufFree(buffer); });
    long rate = 1000;
    EXPECT_EQ(board.cbAInScan(0, 0, 1, 2000, &rate, kBip10Volts, buffer, 0), kBadBuffer);
    EXPECT_EQ(board.LiveBuffers(), 0u);
}

}  // namespace
}  // namespace corvane::daq
