#include "ui/acquisition_flow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>

#include "charts/chart_stack.h"
#include "daq/take_capture.h"
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

// One capture under way: the copy of the record it is taken into, committed
// once its samples are in; until then the results table's monitor rows are
// given back as they were on every way out.
class AcquisitionFlow::Attempt {
public:
    Attempt(AcquisitionFlow& flow)
        : flow_(flow),
          working_(std::make_unique<analysis::CaptureRecord>(*flow.host_.record)),
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

    analysis::CaptureRecord& capture() { return *working_; }
    void commit() {
        *flow_.host_.record = *working_;
        committed_ = true;
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
    std::unique_ptr<analysis::CaptureRecord> working_;
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

void AcquisitionFlow::Prepare(daq::CaptureKind kind, analysis::CaptureRecord& target) {
    const bool dyna = kind == daq::CaptureKind::Dyna;
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
    target.SamplePeriod = daq::PlanOf(kind).preparedPeriod;
    host_.monitor->read(target);  // ReadEngineMonitor
}

void AcquisitionFlow::ShowMissingBoard() {
    host_.prompts->message(host_.window, ApplicationTitle(), kMissingBoard);
}

ScanOutcome AcquisitionFlow::Scan(const daq::CapturePlan& plan, ScanSession& session) {
    if (closing_) return ScanOutcome{daq::kNoErrors, true, false};
    ScanProgress* progress = host_.panel->scanProgress;
    progress->start(plan.Seconds());
    daq::Board& board = *host_.board;
    const daq::BufferHandle buffer = session.buffer();
    BackgroundScan background(
        [&board, &plan, buffer] { return daq::ScanPlan(board, plan, buffer); },
        [&board] { board.cbStopBackground(0, daq::kAiFunction); }, host_.closingWait);
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
        session.keepBuffer();
        leftBehind_ = true;
    }
    return outcome;
}

void AcquisitionFlow::GrabButtonClick() {
    const daq::CapturePlan& plan = daq::kGrabPlan;
    host_.window->setWindowTitle(kCaption);
    Attempt attempt(*this);
    analysis::CaptureRecord& capture = attempt.capture();
    capture.IsDyna = false;
    Prepare(plan.kind, capture);
    capture.SamplePeriod = plan.ScanPeriod();
    capture.SampleCount = static_cast<std::int32_t>(plan.sampleCount);
    {
        ScanSession session(*host_.board, capture.SampleCount, *host_.acquiring);
        QCoreApplication::processEvents();
        session.setAcquiring();
        const ScanOutcome scan = Scan(plan, session);
        if (scan.closing) return;
        if (scan.result != daq::kNoErrors) {
            ShowMissingBoard();
            host_.panel->ContinuousCB->setChecked(false);
            host_.panel->setBoardValid(false);
            return;
        }
        host_.panel->setBoardValid(true);
        host_.board->cbWinBufToArray(session.buffer(), capture.RawSamples.data(), 0,
                                     capture.SampleCount);
        attempt.commit();
        host_.owner->MarkCaptureSource(true);
        host_.owner->AnalyseCapture();
    }
    if (host_.panel->ContinuousCB->isChecked()) host_.continuousTimer->start();
}

void AcquisitionFlow::DynaButtonClick() {
    const daq::CapturePlan& plan = daq::kDynaPlan;
    host_.window->setWindowTitle(kCaption);
    Attempt attempt(*this);
    analysis::CaptureRecord& capture = attempt.capture();
    capture.IsDyna = true;
    Prepare(plan.kind, capture);
    QCoreApplication::processEvents();
    capture.SamplePeriod = plan.ScanPeriod();
    capture.SampleCount = static_cast<std::int32_t>(plan.sampleCount);
    {
        ScanSession session(*host_.board, capture.SampleCount, *host_.acquiring);
        session.setAcquiring();
        const ScanOutcome scan = Scan(plan, session);
        if (scan.closing) return;
        if (scan.result != daq::kNoErrors) {
            // The Continuous box stays as it is.
            ShowMissingBoard();
            host_.panel->setBoardValid(false);
            return;
        }
        host_.panel->setBoardValid(true);
        host_.board->cbWinBufToArray(session.buffer(), capture.RawSamples.data(), 0,
                                     capture.SampleCount);
        attempt.commit();
    }
    // The Dyna's clean-up comes before its analysis.
    host_.owner->MarkCaptureSource(true);
    host_.owner->AnalyseCapture();
}

}  // namespace corvane::ui
