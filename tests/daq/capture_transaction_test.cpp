#include "daq/capture_transaction.h"

#include <gtest/gtest.h>

#include "analysis/capture_plan.h"
#include "analysis/capture_record.h"
#include "scripted_board.h"

namespace corvane::daq {
namespace {

// The buffer is the board's until freed: every way out of a capture frees it,
// except a scan left running, which still writes into it.
TEST(CaptureTransaction, EveryWayOutFreesTheBufferButAScanLeftRunning) {
    const struct {
        const char* what;
        int scanResult;  // -1: not scanned
        bool keep;
        std::size_t buffersLeft;
    } cases[] = {
        {"given up before the scan", -1, false, 0},
        {"scan failed", kScriptedFailure, false, 0},
        {"committed", kNoErrors, false, 0},
        {"scan left running", -1, true, 1},
    };
    for (const auto& c : cases) {
        ScriptedBoard board;
        analysis::CaptureRecord record;
        {
            CaptureTransaction transaction(board, analysis::kGrabPlan, record);
            ASSERT_TRUE(transaction.TakeBuffer()) << c.what;
            ASSERT_EQ(board.LiveBuffers(), 1u) << c.what;
            if (c.scanResult >= 0) {
                board.QueueScan({c.scanResult, {}});
                if (transaction.Scan() == kNoErrors) {
                    EXPECT_EQ(transaction.Commit(), kNoErrors);
                }
            }
            if (c.keep) transaction.KeepBuffer();
        }
        EXPECT_EQ(board.LiveBuffers(), c.buffersLeft) << c.what;
    }
}

}  // namespace
}  // namespace corvane::daq
