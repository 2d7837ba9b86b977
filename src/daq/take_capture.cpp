#include "daq/take_capture.h"

#include "daq/board_errors.h"

namespace corvane::daq {

namespace {

constexpr long kRate = 1000;

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

}  // namespace

int ReadMonitorInto(Board& board, analysis::CaptureRecord& record) {
    std::uint16_t low = 0, heater = 0, high = 0;
    const int result = board.cbAIn(0, 2, kBip10Volts, &low);
    if (result != kNoErrors) return result;
    board.cbAIn(0, 3, kBip10Volts, &heater);
    board.cbAIn(0, 4, kBip10Volts, &high);
    record.LoTemp = analysis::CountToVolts(low) * 100.0;
    const double heaterVolts = analysis::CountToVolts(heater);
    record.ResistorPower = heaterVolts * heaterVolts * 4.0;
    record.HiTemp = analysis::CountToVolts(high) * 100.0;
    return result;
}

int TakeCapture(Board& board, CaptureKind kind, analysis::CaptureRecord& record) {
    const bool dyna = kind == CaptureKind::Dyna;
    const int lowChannel = dyna ? 1 : 0;
    const int highChannel = 1;
    record.IsDyna = dyna;
    ReadMonitorInto(board, record);
    record.SamplePeriod = 1.0 / kRate;
    record.SampleCount = dyna ? 4000 : (highChannel - lowChannel + 1) * kRate;

    const long count = record.SampleCount;
    ScanBuffer buffer(board, count);
    if (buffer.handle() == 0) return kBadBuffer;
    long rate = kRate;
    const int result =
        board.cbAInScan(0, lowChannel, highChannel, count, &rate, kBip10Volts, buffer.handle(), 0);
    if (result != kNoErrors) return result;
    return board.cbWinBufToArray(buffer.handle(), record.RawSamples.data(), 0, count);
}

}  // namespace corvane::daq
