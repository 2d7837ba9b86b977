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

ScanOutcome AcquisitionFlow::Scan(daq::CaptureTransaction& transaction) {
    if (closing_) return ScanOutcome{daq::kNoErrors, true, false};
    ScanProgress* progress = host_.panel->scanProgress;
    progress->start(transaction.plan().Seconds());
    daq::Board& board = *host_.board;
    BackgroundScan background([&transaction] { return transaction.Scan(); },
                              [&board] { board.cbStopBackground(0, daq::kAiFunction); },
                              host_.closingWait);
    struct Running {
        AcquisitionFlow& flow;
        ScanProgress* progress;
        ~Running() {
            flow.running_ = nullptr;
            progress->hide();
        }
    } running{*this, progress};
    running_ = &background;
    const ScanOutcome outcome = background.run([progress](double s) { progress->setElapsed(s); });
    if (outcome.leftBehind) {
        transaction.KeepBuffer();
        leftBehind_ = true;
    }
    return outcome;
}

bool AcquisitionFlow::Capture(const analysis::CapturePlan& plan, const CaptureWay& way) {
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
