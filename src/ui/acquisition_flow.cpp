#include "ui/acquisition_flow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>

#include "daq/board_errors.h"
#include "charts/chart_stack.h"
#include "ui/capture_window.h"
#include "ui/control_panel.h"
#include "ui/engine_monitor.h"
#include "ui/main_window_texts.h"
#include "ui/results_table.h"
#include "ui/scan_progress.h"
#include "ui/user_prompts.h"

namespace corvane::ui {

namespace {

constexpr const char* kMissingBoard =
    "DAQ hardware not found: plug your USB cable in and re-start this program.\r\n"
    "You may have to run the InstaCal program again.";

constexpr int kMonitorRows = 3;

// Why a capture from a running recording was not taken; a failed stream is
// the missing board's message.
QString StreamFailureText(recording::StreamWait wait) {
    switch (wait) {
        case recording::StreamWait::Ended:
            return "The recording ended before the capture was complete: nothing was captured.";
        case recording::StreamWait::Lost:
            return "The board lost scans during the capture (a gap in the recording): "
                   "nothing was captured.";
        case recording::StreamWait::Unsuited:
            return "The recording does not hold this capture's channels at its rate: "
                   "nothing was captured.";
        default:
            return {};
    }
}

}  // namespace

// One capture under way: the board's capture transaction, and the results
// table's monitor rows, given back as they were on every way out unless the
// capture is committed.
class AcquisitionFlow::Attempt {
public:
    Attempt(AcquisitionFlow& flow, const analysis::CapturePlan& plan)
        : flow_(flow),
          transaction_(*flow.host_.board, plan, *flow.host_.record),
          capturing_(flow.capturing_, true) {
        for (int row = 0; row < kMonitorRows; ++row)
            for (int col = 0; col < 2; ++col) rows_[row][col] = table().cellText(col, row);
    }
    ~Attempt() {
        flow_.closing_ = false;
        if (committed_) return;
        for (int row = 0; row < kMonitorRows; ++row)
            for (int col = 0; col < 2; ++col) table().setCellText(col, row, rows_[row][col]);
    }
    Attempt(const Attempt&) = delete;
    Attempt& operator=(const Attempt&) = delete;

    daq::CaptureTransaction& transaction() { return transaction_; }
    void commitFilled() {
        transaction_.CommitFilled();
        committed_ = true;
    }
    int commit() {
        const int copied = transaction_.Commit();
        committed_ = copied == daq::kNoErrors;
        return copied;
    }

private:
    // Marks the flow as capturing for as long as the attempt lives.
    struct Flag {
        bool& flag;
        Flag(bool& f, bool value) : flag(f) { flag = value; }
        ~Flag() { flag = false; }
    };
    ResultsTable& table() const { return *flow_.host_.panel->SG; }

    AcquisitionFlow& flow_;
    daq::CaptureTransaction transaction_;
    Flag capturing_;
    std::array<std::array<QString, 2>, kMonitorRows> rows_;
    bool committed_ = false;
};

AcquisitionFlow::AcquisitionFlow(AcquisitionHost host) : host_(std::move(host)) {}

AcquisitionFlow::~AcquisitionFlow() = default;

void AcquisitionFlow::closing() {
    if (!capturing_) return;
    closing_ = true;
    if (running_) running_->closing();
}

void AcquisitionFlow::Prepare(analysis::CaptureKind kind, analysis::CaptureRecord& target) {
    const bool dyna = kind == analysis::CaptureKind::Dyna;
    host_.charts->undoZoom();  // Chart1UndoZoom
    host_.panel->ExportButton->setEnabled(true);
    // A Grab in continuous mode leaves the last capture standing during its scan.
    if (dyna) {
        host_.speed->clear();  // a dyna's speed history starts with it
        host_.charts->clearAllSeries();
    } else if (!host_.panel->ContinuousCB->isChecked()) {
        host_.charts->clearTraces();
    }
    host_.panel->setGraphChoice(charts::GraphsWhere(dyna ? &charts::GraphEntry::dynaVisible
                                                         : &charts::GraphEntry::grabVisible));
    target.SamplePeriod = analysis::PlanOf(kind).preparedPeriod;
    host_.monitor->read(target);  // ReadEngineMonitor
}

void AcquisitionFlow::ShowMissingBoard() {
    host_.prompts->message(host_.window, ApplicationTitle(), kMissingBoard);
}

ScanOutcome AcquisitionFlow::Background(double seconds, std::function<int()> work,
                                        std::function<void()> stop) {
    if (closing_) return ScanOutcome{daq::kNoErrors, true, false};
    ScanProgress* progress = host_.panel->scanProgress;
    progress->start(seconds);
    BackgroundScan background(std::move(work), std::move(stop), host_.closingWait);
    struct Running {
        AcquisitionFlow& flow;
        ScanProgress* progress;
        ~Running() {
            flow.running_ = nullptr;
            progress->hide();
        }
    } running{*this, progress};
    running_ = &background;
    return background.run([progress](double s) { progress->setElapsed(s); });
}

ScanOutcome AcquisitionFlow::Scan(daq::CaptureTransaction& transaction) {
    daq::Board& board = *host_.board;
    const ScanOutcome outcome =
        Background(transaction.plan().Seconds(), [&transaction] { return transaction.Scan(); },
                   [&board] { board.cbStopBackground(0, daq::kAiFunction); });
    if (outcome.leftBehind) {
        transaction.KeepBuffer();
        leftBehind_ = true;
    }
    return outcome;
}

bool AcquisitionFlow::Capture(const analysis::CapturePlan& plan, const CaptureWay& way) {
    if (host_.stream && host_.stream->Live()) return CaptureFromStream(plan, way);
    host_.window->setWindowTitle(kCaption);
    Attempt attempt(*this, plan);
    daq::CaptureTransaction& transaction = attempt.transaction();
    Prepare(plan.kind, transaction.capture());  // with the monitor reading
    if (!way.repaintOnceBuffered) QCoreApplication::processEvents();
    ScanSession session(*host_.acquiring);
    const bool buffered = transaction.TakeBuffer();
    if (way.repaintOnceBuffered) QCoreApplication::processEvents();
    session.setAcquiring();
    const ScanOutcome scan = buffered ? Scan(transaction) : ScanOutcome{daq::kBadBuffer};
    if (scan.closing) return false;
    if (scan.result != daq::kNoErrors || attempt.commit() != daq::kNoErrors) {
        ShowMissingBoard();
        if (way.failed) way.failed();
        host_.panel->setBoardValid(false);
        return false;
    }
    host_.panel->setBoardValid(true);
    if (way.taken) way.taken();
    return true;
}

std::uint64_t AcquisitionFlow::NextGrabFrom(const analysis::CapturePlan& plan) const {
    const bool continuous = plan.kind == analysis::CaptureKind::Grab &&
                            host_.panel->ContinuousCB->isChecked();
    return continuous && lastGrabSession_ == host_.stream->Session() ? lastGrabEnd_ : 0;
}

void AcquisitionFlow::ShowStreamFailure(recording::StreamWait wait) {
    const QString text = StreamFailureText(wait);
    if (!text.isEmpty()) {
        host_.prompts->message(host_.window, ApplicationTitle(), text);
        return;
    }
    ShowMissingBoard();
    host_.panel->setBoardValid(false);
}

// While a recording streams, a Grab is its newest second and a Dyna its next
// seconds of the tachometer: the same caption, progress, monitor rows and
// analysis as a capture of the board, without a scan competing with the stream.
bool AcquisitionFlow::CaptureFromStream(const analysis::CapturePlan& plan, const CaptureWay& way) {
    host_.window->setWindowTitle(kCaption);
    Attempt attempt(*this, plan);
    recording::StreamCapture capture(*host_.stream, plan, NextGrabFrom(plan));
    Prepare(plan.kind, attempt.transaction().capture());  // the monitor from the stream
    QCoreApplication::processEvents();
    ScanSession session(*host_.acquiring);
    session.setAcquiring();
    const ScanOutcome waited =
        Background(plan.Seconds(), [&capture] { return static_cast<int>(capture.Wait()); },
                   [&capture] { capture.Cancel(); });
    if (waited.closing) return false;
    const auto wait = static_cast<recording::StreamWait>(waited.result);
    if (wait != recording::StreamWait::Taken || !capture.Into(attempt.transaction().capture())) {
        ShowStreamFailure(wait == recording::StreamWait::Taken ? recording::StreamWait::Lost : wait);
        if (way.failed) way.failed();
        return false;
    }
    attempt.commitFilled();
    lastGrabSession_ = capture.Session();
    lastGrabEnd_ = capture.Stretch().End();
    host_.panel->setBoardValid(true);
    if (way.taken) way.taken();
    return true;
}

void AcquisitionFlow::GrabButtonClick() {
    // A failed Grab also ends continuous mode; its analysis runs before the
    // scan's clean-up, and the next capture of continuous mode is timed after it.
    CaptureWay grab;
    grab.repaintOnceBuffered = true;
    grab.failed = [this] { host_.panel->ContinuousCB->setChecked(false); };
    grab.taken = [this] {
        host_.owner->MarkCaptureSource(true);
        host_.owner->AnalyseCapture();
    };
    if (!Capture(analysis::kGrabPlan, grab)) return;
    if (host_.panel->ContinuousCB->isChecked()) host_.continuousTimer->start();
}

void AcquisitionFlow::DynaButtonClick() {
    // The Continuous box stays as it is; the Dyna's clean-up comes before its analysis.
    if (Capture(analysis::kDynaPlan, {})) {
        host_.owner->MarkCaptureSource(true);
        host_.owner->AnalyseCapture();
    }
}

}  // namespace corvane::ui
