#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include "charts/chart_stack.h"
#include "ui/acquisition_flow.h"
#include "ui/analysis_presenter.h"
#include "ui/board_status.h"
#include "ui/capture_file_flow.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/engine_monitor.h"
#include "ui/form_state.h"
#include "ui/graph_commands.h"
#include "ui/key_commands.h"
#include "ui/main_window_texts.h"
#include "ui/performance/performance_window.h"
#include "recording/latest_scans.h"
#include "recording/recording_settings.h"
#include "ui/quit_while_recording.h"
#include "ui/recorder/recorder_source.h"
#include "ui/results_table.h"
#include "ui/show_in_front.h"
#include "ui/user_prompts.h"
#include "ui/window_help.h"
#include "ui/windows/memo_form.h"
#include "ui/windows/pv_image_form.h"

namespace corvane::ui {

TForm1::TForm1(Options options, QWidget* parent)
    : QWidget(parent), options_(std::move(options)), board_(std::move(options_.board)) {
    prompts_ = options_.prompts ? options_.prompts : std::make_shared<QtUserPrompts>();
    format_ = UserNumberFormat();
    setObjectName("Form1");
    setWindowTitle(kCaption);
    QFont windowFont("DejaVu Sans Condensed");
    windowFont.setPixelSize(11);
    setFont(windowFont);
    help_ = std::make_unique<WindowHelp>(this, options_.showHelp);
    createParts();
    FormCreate();
    createFlows();
    connectHandlers();
    attachKeys();
    createOtherWindows();
    showBoardKind();
    createRecorder();
    if (options_.armTimers) {
        ContinuousTimer->start();
        TempMonitorTimer->start();
    }
}

void TForm1::createParts() {
    Panel1 = new ControlPanel(this);
    Panel1->MOISG->setNumberFormat(format_);
    Panel2 = new charts::ChartStack(this);
    Panel2->setObjectName("Panel2");
    ContinuousTimer = new QTimer(this);
    ContinuousTimer->setObjectName("ContinuousTimer");
    ContinuousTimer->setInterval(100);
    TempMonitorTimer = new QTimer(this);
    TempMonitorTimer->setObjectName("TempMonitorTimer");
    TempMonitorTimer->setInterval(1000);
    // Bounds are the client area's, read and written alike, so that a window
    // keeps its place over runs whatever frame the desktop draws around it.
    setGeometry(360, 245, 825, 924);
}

void TForm1::createOtherWindows() {
    // Created after the main window, hidden: the PV graph, then the text window,
    // then the Engine performance window.
    pvImageForm_ = std::make_unique<TpvImageForm>();
    Form2_ = std::make_unique<TForm2>();
    performanceForm_ = std::make_unique<PerformanceWindow>(format_);
    performanceForm_->setFont(font());
    connect(performanceForm_.get(), &PerformanceWindow::averagedLoopToggled, Panel2,
            &charts::ChartStack::setAveragedLoopShown);
    connect(performanceForm_.get(), &PerformanceWindow::helpRequested, this,
            [this] { showHelpTopic(kHelpContextPerformance); });
    connect(new QShortcut(QKeySequence(ControlPanel::kPerformanceShortcut), this),
            &QShortcut::activated, this, &TForm1::PerformanceButtonClick);
    state_ = std::make_unique<FormState>(
        FormParts{this, Panel1, commands_, performanceForm_.get(), prompts_.get()}, format_);
    state_->connectCalibrations([this] { Button1Click(); });
    presenter_ = std::make_unique<AnalysisPresenter>(
        AnalysisViews{this, Panel1, Panel2, Form2_.get(), performanceForm_.get(),
                      pvImageForm_.get(), prompts_.get()},
        speed_, format_);
}

void TForm1::showBoardKind() {
    MarkCaptureSource(true);
    if (options_.simulated) Panel1->setBoardNote("SIMULATED engine: no real measurement");
    boardStatus_ = new BoardStatus(*board_, options_.simulator, this, *Panel1, *Form2_);
}

TForm1::~TForm1() {
    ContinuousTimer->stop();
    TempMonitorTimer->stop();
    // A scan that never returned still runs inside the board: it is left to the
    // end of the process rather than freed under that scan.
    if (acquisition_->boardLeftBehind()) (void)board_.release();
    FormDestroy();
    recorderForm_.reset();  // stops a recording and closes its folder while the board is there
}

void TForm1::FormCreate() {
    Acquiring = false;
    float revision = 5.72f;
    board_->cbDeclareRevision(&revision);
    board_->cbErrHandling(0, 0);
    Panel1->setBoardValid(true);
    record_ = std::make_unique<analysis::CaptureRecord>();
}

void TForm1::FormDestroy() {
    record_.reset();
    // The settings are known only once the window has been shown.
    if (shown_) Run([this] { state_->save(); });
}

void TForm1::createFlows() {
    latest_ = std::make_shared<recording::LatestScans>();
    monitor_ =
        std::make_unique<EngineMonitor>(*board_, *Panel1, *Panel2, *prompts_, format_, latest_);
    AcquisitionHost live;
    live.window = this;
    live.owner = this;
    live.prompts = prompts_.get();
    live.board = board_.get();
    live.record = record_.get();
    live.panel = Panel1;
    live.charts = Panel2;
    live.speed = &speed_;
    live.monitor = monitor_.get();
    live.continuousTimer = ContinuousTimer;
    live.acquiring = &Acquiring;
    live.closingWait = options_.closingWait;
    live.stream = latest_;
    acquisition_ = std::make_unique<AcquisitionFlow>(std::move(live));
    files_ = std::make_unique<CaptureFileFlow>(
        CaptureFileHost{this, this, prompts_.get(), record_.get(), Panel1});
    commands_ =
        new GraphCommands(GraphCommandsHost{this, prompts_.get(), Panel2, Panel1->SG, this}, this);
    commands_->setObjectName("GraphCommands");
    connect(Panel2, &charts::ChartStack::menuRequested, commands_, &GraphCommands::showMenu);
}

std::optional<report::ReportSubject> TForm1::reportSubject() const {
    return presenter_->reportSubject(*record_, state_->bench(), options_.simulated);
}

void TForm1::connectHandlers() {
    ControlPanel* p = Panel1;
    connect(p->GrabButton, &QPushButton::clicked, this, &TForm1::GrabButtonClick);
    connect(p->ContinuousCB, &QCheckBox::toggled, this, &TForm1::ContinuousCBClick);
    connect(p->DynaButton, &QPushButton::clicked, this, &TForm1::DynaButtonClick);
    connect(p->ExportButton, &QPushButton::clicked, this, &TForm1::ExportButtonClick);
    connect(p->ImportButton, &QPushButton::clicked, this, &TForm1::ImportButtonClick);
    connect(p->MultipleButton, &QPushButton::clicked, this, &TForm1::MultipleButtonClick);
    connect(p->HelpButton, &QPushButton::clicked, this, &TForm1::HelpButtonClick);
    connect(p->QuitButton, &QPushButton::clicked, this, &TForm1::QuitButtonClick);
    connect(p->Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(p->PerformanceButton, &QPushButton::clicked, this, &TForm1::PerformanceButtonClick);
    connect(p->RecordButton, &QPushButton::clicked, this, &TForm1::RecordButtonClick);
    // A box runs its handler only when its state really changes.
    for (QCheckBox* box : p->graphBoxes)
        connect(box, &QCheckBox::toggled, this, &TForm1::PressureCBClick);
    connect(Panel2, &charts::ChartStack::scrolled, this, &TForm1::Chart1Scroll);
    connect(Panel2, &charts::ChartStack::undoZoomRequested, this, &TForm1::Chart1UndoZoom);
    connect(ContinuousTimer, &QTimer::timeout, this, &TForm1::ContinuousTimerTimer);
    connect(TempMonitorTimer, &QTimer::timeout, this, &TForm1::TempMonitorTimerTimer);
}

void TForm1::attachKeys() {
    keys_ = new KeyCommands(this);
    connect(keys_, &KeyCommands::helpKey, this, &TForm1::showHelpTopic);
    connect(keys_, &KeyCommands::questionKey, this, &TForm1::FormKeyPress);
    Panel1->attachKeys(*keys_);
}

QString TForm1::settingsPath() const { return state_->savePath(); }

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TForm1::FormShow() {
    Run([this] {
        AppDir = QDir(QCoreApplication::applicationDirPath()).absolutePath() + "/";
        help_->findManual(AppDir);
        Panel1->setLabelText(Panel1->lError, "");
        state_->load(options_.settingsFolder.isEmpty() ? LocateSettings(AppDir)
                                                       : SettingsIn(options_.settingsFolder));
        Panel1->setDesignedColumnWidths();
        PressureCBClick();
        Panel1->setLabelText(Panel1->lTemps, "");
        // The file dialogs start in AppDir (CaptureFileHost::startFolder).
    });
}

void TForm1::Run(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const ImportRefused&) {
        // Its own message box has been shown.
    } catch (const std::exception& e) {
        prompts_->reportError(this, e);
    }
}

bool TForm1::Perform(const std::function<void()>& operation) {
    return gate_.pass([&] { Run(operation); });
}

// ---- window, keys and help ------------------------------------------------

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Panel1->setGeometry(0, 0, ControlPanel::kWidth, height());
    Panel2->setGeometry(ControlPanel::kWidth, 0, width() - ControlPanel::kWidth, height());
    FormResize();
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // Keys that a control left unhandled arrive here too: only the window's own
    // keys (no control of it has the focus) obey F1 and "?".
    QWidget* focus = QApplication::focusWidget();
    const bool own = focus == nullptr || focus == this || !isAncestorOf(focus);
    if (own && event->key() == Qt::Key_F1) {
        showHelpTopic(kHelpContextStart);
        event->accept();
        return;
    }
    if (own && event->text() == "?") FormKeyPress();
    QWidget::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!CloseRecordingToQuit(*recorderForm_, *prompts_, this)) {
        event->ignore();  // No: the recording goes on, and the program with it
        return;
    }
    // A capture under way ends with its scan, which is waited for a bounded time.
    acquisition_->closing();
    // No help or other window of the program outlives it.
    help_->close();
    boardStatus_->closeSimulator();
    pvImageForm_->close();
    Form2_->close();
    performanceForm_->close();
    event->accept();
    emit closed();
}

void TForm1::ShowEngineSimulator() { boardStatus_->showSimulator(); }

void TForm1::QuitButtonClick() { close(); }

void TForm1::HelpButtonClick() { showHelpTopic(kHelpContextStart); }

void TForm1::showHelpTopic(int context) {
    Run([this, context] { help_->show(context); });
}

void TForm1::createRecorder() {
    RecorderSource source =
        BoardRecorderSource(*board_, options_.simulated, [this] { return Panel1->MOISG->table(); },
                            RecorderFeed{options_.simulator, latest_});
    source.steadyCriteria = [this] {
        return recording::LoadSteadyCriteria(settings::IniFile(settingsPath().toStdString()));
    };
    source.bench = [this] { return state_->bench(); };
    recorderForm_ = std::make_unique<RecorderWindow>(std::move(source), recording::SteadyCriteria{});
    recorderForm_->setFont(font());
    state_->attachRecorder(recorderForm_.get());
    connect(recorderForm_.get(), &RecorderWindow::momentChosen, this,
            [this](const QString& run, double s) {
                Perform([this, run, s] { files_->ImportRecordingSecond(run, s); });
            });
    connect(new QShortcut(QKeySequence(ControlPanel::kRecorderShortcut), this),
            &QShortcut::activated, this, &TForm1::RecordButtonClick);
}

void TForm1::RecordButtonClick() { ShowInFront(*recorderForm_); }

void TForm1::PerformanceButtonClick() { ShowInFront(*performanceForm_); }

void TForm1::FormKeyPress() {
    Panel1->lPress->setVisible(Panel1->lPress->isHidden());
    pvImageForm_->toggle();
}

void TForm1::Button1Click() {
    Perform([this] { AnalyseCapture(); });
}

// ---- graphs ---------------------------------------------------------------

void TForm1::PressureCBClick() {
    const charts::GraphChoice choice = Panel1->graphChoice();
    for (int i = 0; i < charts::kChartCount; ++i) Panel2->setChartVisible(i, choice[i]);
    FormResize();
}

void TForm1::FormResize() { Panel2->FormResize(height()); }

void TForm1::Chart1Scroll(int sender) { Panel2->linkHorizontalRange(sender); }

void TForm1::Chart1UndoZoom() { Panel2->undoZoom(); }

// ---- capture files ----------------------------------------------------------

void TForm1::ExportButtonClick() {
    Perform([this] { files_->ExportButtonClick(); });
}

void TForm1::ImportButtonClick() {
    Perform([this] { files_->ImportButtonClick(); });
}

void TForm1::ImportCaptureFile(const QString& path) { files_->ImportCaptureFile(path); }

void TForm1::MultipleButtonClick() {
    Perform([this] { files_->MultipleButtonClick(); });
}

// ---- analysis ---------------------------------------------------------------

void TForm1::AnalyseCapture() { presenter_->analyse(*record_, state_->bench()); }

void TForm1::MarkCaptureSource(bool fromBoard) {
    // An imported file is what it is, whatever board is plugged in now.
    const bool simulated = fromBoard && options_.simulated;
    Panel2->setSimulated(simulated);
    performanceForm_->setSimulated(simulated);
}

// ---- engine monitor -----------------------------------------------------------

void TForm1::ReadEngineMonitor(analysis::CaptureRecord& target) { monitor_->read(target); }

void TForm1::TempMonitorTimerTimer() {
    if (Acquiring) return;
    monitor_->tick();
}

// ---- captures -----------------------------------------------------------------

void TForm1::PrepareCapture(analysis::CaptureKind kind, analysis::CaptureRecord& target) {
    acquisition_->Prepare(kind, target);
}

void TForm1::GrabButtonClick() {
    Perform([this] { acquisition_->GrabButtonClick(); });
}

void TForm1::ContinuousCBClick() {
    if (Panel1->ContinuousCB->isChecked()) ContinuousGrab();
}

void TForm1::ContinuousTimerTimer() {
    ContinuousTimer->stop();
    ContinuousGrab();
}

void TForm1::ContinuousGrab() {
    if (Perform([this] { acquisition_->GrabButtonClick(); })) return;
    gate_.whenIdle([this] {
        if (Panel1->ContinuousCB->isChecked()) ContinuousTimer->start();
    });
}

void TForm1::DynaButtonClick() {
    Perform([this] { acquisition_->DynaButtonClick(); });
}

}  // namespace corvane::ui
