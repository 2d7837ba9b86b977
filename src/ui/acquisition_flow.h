#pragma once
// Grab, continuous mode and Dyna: the steps of a live capture against the
// board, from the window's caption to the finished capture handed to the
// analysis, with the clean-up of every path. Beside the capture-file flow,
// which fills the same record from a file.
//
// A capture is the board's one capture transaction (daq/capture_transaction.h):
// taken into a copy of the record that replaces it only once the scan has
// delivered its samples, so a scan that fails leaves the record (and the
// results table's monitor rows) describing the last good capture, and Export
// never writes a capture that was not taken.

#include <QString>
#include <functional>
#include <memory>

#include "analysis/capture_record.h"
#include "analysis/speed_history.h"
#include "daq/board.h"
#include "analysis/capture_plan.h"
#include "daq/capture_transaction.h"
#include "recording/latest_scans.h"
#include "recording/stream_capture.h"
#include "ui/scan_session.h"

class QTimer;
class QWidget;

namespace corvane::charts {
class ChartStack;
}

namespace corvane::ui {

class CaptureWindow;
class ControlPanel;
class EngineMonitor;
class UserPrompts;

// What the flow needs of the window.
struct AcquisitionHost {
    QWidget* window = nullptr;
    UserPrompts* prompts = nullptr;
    daq::Board* board = nullptr;
    analysis::CaptureRecord* record = nullptr;
    ControlPanel* panel = nullptr;
    charts::ChartStack* charts = nullptr;
    analysis::SpeedHistory* speed = nullptr;  // what the speed graph draws
    EngineMonitor* monitor = nullptr;
    QTimer* continuousTimer = nullptr;
    bool* acquiring = nullptr;       // the window's Acquiring flag
    CaptureWindow* owner = nullptr;  // AnalyseCapture on the record
    ClosingWait closingWait;
    // A running recording's latest scans: while it streams, captures come from
    // there rather than from a scan that would compete with it.
    std::shared_ptr<const recording::LatestScans> stream;
};

class AcquisitionFlow {
public:
    explicit AcquisitionFlow(AcquisitionHost host);
    ~AcquisitionFlow();

    void GrabButtonClick();
    void DynaButtonClick();
    // PrepareGrab or PrepareDyna: readies the display and the capture `target`
    // for a capture of the kind (also before an import).
    void Prepare(analysis::CaptureKind kind, analysis::CaptureRecord& target);
    // The window closes: a capture under way ends after its scan, without analysis.
    void closing();
    // A scan that never returned still runs inside the board: the board must outlive it.
    bool boardLeftBehind() const { return leftBehind_; }

private:
    class Attempt;
    // Where Grab and Dyna differ in taking a capture.
    struct CaptureWay {
        bool repaintOnceBuffered = false;  // the window repaints after the buffer is taken
        std::function<void()> failed;      // after the missing-board message
        std::function<void()> taken;       // while the busy cursor and Acquiring still hold
    };
    // The capture transaction of the plan with the window around it; true when
    // the capture is in the record.
    bool Capture(const analysis::CapturePlan& plan, const CaptureWay& way);
    // Work of about `seconds` on a worker thread (stop ends it early) while
    // the window repaints and the progress bar counts.
    ScanOutcome Background(double seconds, std::function<int()> work, std::function<void()> stop);
    // The scan of the plan into the transaction's buffer, on a worker thread.
    ScanOutcome Scan(daq::CaptureTransaction& transaction);
    void ShowMissingBoard();
    // The capture from the recording's stream, with the same window around it.
    bool CaptureFromStream(const analysis::CapturePlan& plan, const CaptureWay& way);
    void ShowStreamFailure(recording::StreamWait wait);
    // Where a continuous grab from the stream begins: after the last one.
    std::uint64_t NextGrabFrom(const analysis::CapturePlan& plan) const;

    AcquisitionHost host_;
    bool capturing_ = false;
    bool closing_ = false;
    BackgroundScan* running_ = nullptr;
    bool leftBehind_ = false;
    // The stream of the last grab from it, and the scan after that grab.
    std::uint64_t lastGrabSession_ = 0;
    std::uint64_t lastGrabEnd_ = 0;
};

}  // namespace corvane::ui
