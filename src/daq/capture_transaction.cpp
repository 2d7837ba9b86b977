#include "daq/capture_transaction.h"

#include "daq/board_errors.h"
#include "daq/engine_monitor.h"

namespace corvane::daq {

int ScanPlan(Board& board, const analysis::CapturePlan& plan, BufferHandle buffer) {
    long rate = plan.rate;
    return board.cbAInScan(0, plan.lowChannel, plan.highChannel, plan.sampleCount, &rate,
                           kBip10Volts, buffer, 0);
}

CaptureTransaction::CaptureTransaction(Board& board, const analysis::CapturePlan& plan,
                                       analysis::CaptureRecord& record)
    : board_(board),
      plan_(plan),
      record_(record),
      working_(std::make_unique<analysis::CaptureRecord>(record)) {
    working_->IsDyna = plan.kind == analysis::CaptureKind::Dyna;
}

CaptureTransaction::~CaptureTransaction() {
    if (buffer_ == 0 || keepBuffer_) return;
    try {
        board_.cbWinBufFree(buffer_);
    } catch (...) {
        // Freeing is not examined; a destructor must not throw.
    }
}

bool CaptureTransaction::ReadMonitor(const std::function<void()>& answered) {
    return ReadEngineMonitorInto(board_, *working_, answered);
}

bool CaptureTransaction::TakeBuffer() {
    working_->SamplePeriod = plan_.ScanPeriod();
    working_->SampleCount = static_cast<std::int32_t>(plan_.sampleCount);
    buffer_ = board_.cbWinBufAlloc(plan_.sampleCount);
    return buffer_ != 0;
}

int CaptureTransaction::Scan() { return ScanPlan(board_, plan_, buffer_); }

int CaptureTransaction::Commit() {
    const int copied =
        board_.cbWinBufToArray(buffer_, working_->RawSamples.data(), 0, plan_.sampleCount);
    if (copied != kNoErrors) return copied;
    record_ = *working_;
    return kNoErrors;
}

void CaptureTransaction::CommitFilled() { record_ = *working_; }

int TakeCapture(Board& board, analysis::CaptureKind kind, analysis::CaptureRecord& record) {
    CaptureTransaction transaction(board, analysis::PlanOf(kind), record);
    transaction.ReadMonitor();
    if (!transaction.TakeBuffer()) return kBadBuffer;
    const int scanned = transaction.Scan();
    if (scanned != kNoErrors) return scanned;
    return transaction.Commit();
}

}  // namespace corvane::daq
