#include "daq/take_capture.h"

#include <memory>

#include "daq/board_errors.h"
#include "daq/engine_monitor.h"

namespace corvane::daq {

namespace {

// Frees the scan buffer however the capture ends.
class ScanBuffer {
public:
    ScanBuffer(Board& board, long count) : board_(board), handle_(board.cbWinBufAlloc(count)) {}
    ~ScanBuffer() {
        if (handle_ != 0) board_.cbWinBufFree(handle_);
    }
    ScanBuffer(const ScanBuffer&) = delete;
    ScanBuffer& operator=(const ScanBuffer&) = delete;
    BufferHandle handle() const { return handle_; }

private:
    Board& board_;
    BufferHandle handle_;
};

// LoTemp, ResistorPower and HiTemp from channels 2, 3 and 4; a channel that
// does not answer leaves its value as it was.
void ReadMonitorInto(Board& board, analysis::CaptureRecord& record) {
    const EngineReading previous{record.LoTemp, record.ResistorPower, record.HiTemp};
    const auto reading = ReadEngineChannels(board, previous);
    if (!reading) return;
    record.LoTemp = reading->loTemp;
    record.ResistorPower = reading->resistorPower;
    record.HiTemp = reading->hiTemp;
}

}  // namespace

int ScanPlan(Board& board, const analysis::CapturePlan& plan, BufferHandle buffer) {
    long rate = plan.rate;
    return board.cbAInScan(0, plan.lowChannel, plan.highChannel, plan.sampleCount, &rate,
                           kBip10Volts, buffer, 0);
}

int TakeCapture(Board& board, analysis::CaptureKind kind, analysis::CaptureRecord& record) {
    const analysis::CapturePlan& plan = analysis::PlanOf(kind);
    // The capture is taken into a copy that replaces the record once it is whole.
    auto working = std::make_unique<analysis::CaptureRecord>(record);
    working->IsDyna = kind == analysis::CaptureKind::Dyna;
    ReadMonitorInto(board, *working);
    working->SamplePeriod = plan.ScanPeriod();
    working->SampleCount = static_cast<std::int32_t>(plan.sampleCount);

    ScanBuffer buffer(board, plan.sampleCount);
    if (buffer.handle() == 0) return kBadBuffer;
    const int result = ScanPlan(board, plan, buffer.handle());
    if (result != kNoErrors) return result;
    const int copied =
        board.cbWinBufToArray(buffer.handle(), working->RawSamples.data(), 0, plan.sampleCount);
    if (copied != kNoErrors) return copied;
    record = *working;
    return kNoErrors;
}

}  // namespace corvane::daq
