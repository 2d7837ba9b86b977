#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include "analysis/analyse_capture.h"
#include "performance/performance.h"
#include "ui/acquisition_flow.h"
#include "ui/capture_file_flow.h"
#include "ui/charts/chart_data.h"
#include "ui/charts/chart_stack.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/engine_monitor.h"
#include "ui/engine_simulator_window.h"
#include "ui/graph_commands.h"
#include "ui/help/help_viewer.h"
#include "ui/key_commands.h"
#include "ui/main_window_texts.h"
#include "ui/performance/performance_window.h"
#include "ui/results_table.h"
#include "ui/user_prompts.h"
#include "ui/window_bounds.h"
#include "ui/window_settings.h"
#include "ui/windows/memo_form.h"
#include "ui/windows/pv_image_form.h"

namespace corvane::ui {

namespace {

text::NumberFormat UserNumberFormat() {
    const QLocale locale;
    return text::NumberFormat{locale.decimalPoint().toStdString(),
                              locale.groupSeparator().toStdString()};
}

}  // namespace

TForm1::TForm1(Options options, QWidget* parent)
    : QWidget(parent), options_(std::move(options)), board_(std::move(options_.board)) {
    prompts_ = options_.prompts ? options_.prompts : std::make_shared<QtUserPrompts>();
    format_ = UserNumberFormat();
    setObjectName("Form1");
    setWindowTitle(kCaption);
    QFont windowFont("DejaVu Sans Condensed");
    windowFont.setPixelSize(11);
    setFont(windowFont);

    Panel1 = new ControlPanel(this);
    Panel1->MOISG->setNumberFormat(format_);
    Panel2 = new ChartStack(this);
    Panel2->setObjectName("Panel2");
    ContinuousTimer = new QTimer(this);
    ContinuousTimer->setInterval(100);
    TempMonitorTimer = new QTimer(this);
    TempMonitorTimer->setInterval(1000);
    // Bounds are the client area's, read and written alike, so that a window
    // keeps its place over runs whatever frame the desktop draws around it.
    setGeometry(360, 245, 825, 924);

    FormCreate();
    createFlows();
    connectHandlers();
    attachKeys();

    // Created after the main window, hidden: the PV graph, then the text window,
    // then the Engine performance window.
    pvImageForm_ = new TpvImageForm();
    Form2_ = new TForm2();
    performanceForm_ = new PerformanceWindow(format_);
    performanceForm_->setFont(font());
    connect(performanceForm_, &PerformanceWindow::averagedLoopToggled, Panel2,
            &ChartStack::setAveragedLoopShown);
    connect(performanceForm_, &PerformanceWindow::helpRequested, this,
            [this] { showHelpTopic(kHelpContextPerformance); });
    connect(new QShortcut(QKeySequence(ControlPanel::kPerformanceShortcut), this),
            &QShortcut::activated, this, &TForm1::PerformanceButtonClick);

    Panel2->setSimulated(options_.simulated);
    performanceForm_->setSimulated(options_.simulated);
    if (options_.simulated) Panel1->setBoardNote("SIMULATED engine: no real measurement");
    // Queued: the board is asked for its words once the access that turned the
    // indicator red has ended.
    connect(Panel1, &ControlPanel::boardValidChanged, this, &TForm1::ShowBoardProblem,
            Qt::QueuedConnection);
    if (options_.simulator) {
        Panel1->boardIsValid->installEventFilter(this);
        auto* shortcut = new QShortcut(QKeySequence("Ctrl+Shift+E"), this);
        connect(shortcut, &QShortcut::activated, this, &TForm1::ShowEngineSimulator);
    }
    if (options_.armTimers) {
        ContinuousTimer->start();
        TempMonitorTimer->start();
    }
}

TForm1::~TForm1() {
    ContinuousTimer->stop();
    TempMonitorTimer->stop();
    // A scan that never returned still runs inside the board: it is left to the
    // end of the process rather than freed under that scan.
    if (acquisition_->boardLeftBehind()) (void)board_.release();
    FormDestroy();
    delete pvImageForm_;
    delete Form2_;
    delete performanceForm_;
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
    if (!shown_ || !settings_) return;
    try {
        saveSettings();
    } catch (const std::exception& e) {
        prompts_->reportError(this, e);
    }
}

void TForm1::createFlows() {
    monitor_ = std::make_unique<EngineMonitor>(*board_, *Panel1, *Panel2, *prompts_, format_);
    AcquisitionHost live;
    live.window = this;
    live.prompts = prompts_.get();
    live.board = board_.get();
    live.record = record_.get();
    live.panel = Panel1;
    live.charts = Panel2;
    live.monitor = monitor_.get();
    live.continuousTimer = ContinuousTimer;
    live.acquiring = &Acquiring;
    live.analyse = [this] { AnalyseCapture(); };
    live.closingWait = options_.closingWait;
    acquisition_ = std::make_unique<AcquisitionFlow>(std::move(live));
    createFileFlow();
    createGraphCommands();
}

void TForm1::createFileFlow() {
    CaptureFileHost host;
    host.window = this;
    host.prompts = prompts_.get();
    host.record = record_.get();
    host.startFolder = [this] { return AppDir; };
    host.setCaption = [this](const QString& caption) { setWindowTitle(caption); };
    host.prepare = [this](daq::CaptureKind kind, analysis::CaptureRecord& target) {
        acquisition_->Prepare(kind, target);
    };
    host.analyse = [this] { AnalyseCapture(); };
    host.disks = [this] { return Panel1->MOISG->table(); };
    host.setDisks = [this](const analysis::DiskTable& disks) { Panel1->MOISG->setTable(disks); };
    host.resultsColumn = [this] { return Panel1->SG->column(1); };
    host.settingsPath = [this] { return settingsPath(); };
    files_ = std::make_unique<CaptureFileFlow>(std::move(host));
}

void TForm1::createGraphCommands() {
    GraphCommandsHost host;
    host.window = this;
    host.prompts = prompts_.get();
    host.charts = Panel2;
    host.results = Panel1->SG;
    host.perform = [this](const std::function<void()>& command) { return Perform(command); };
    host.reportSubject = [this]() -> std::optional<report::ReportSubject> {
        if (record_->SampleCount <= 0) return std::nullopt;
        report::ReportSubject subject;
        subject.fileName = FileNameInCaption(windowTitle()).toStdString();
        subject.record = record_.get();
        subject.disks = Panel1->MOISG->table();
        subject.format = format_;
        subject.bench = bench_;
        // A capture of a file was made wherever the file came from.
        subject.simulated = options_.simulated && subject.fileName.empty();
        return subject;
    };
    commands_ = new GraphCommands(std::move(host), this);
    connect(Panel2, &ChartStack::menuRequested, commands_, &GraphCommands::showMenu);
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
    // A box runs its handler only when its state really changes.
    for (QCheckBox* box : p->graphBoxes)
        connect(box, &QCheckBox::toggled, this, &TForm1::PressureCBClick);
    connect(Panel2, &ChartStack::scrolled, this, &TForm1::Chart1Scroll);
    connect(Panel2, &ChartStack::undoZoomRequested, this, &TForm1::Chart1UndoZoom);
    connect(ContinuousTimer, &QTimer::timeout, this, &TForm1::ContinuousTimerTimer);
    connect(TempMonitorTimer, &QTimer::timeout, this, &TForm1::TempMonitorTimerTimer);
}

void TForm1::attachKeys() {
    keys_ = new KeyCommands([this](int context) { showHelpTopic(context); },
                            [this] { FormKeyPress(); }, this);
    for (QWidget* control : Panel1->helpKeyControls()) keys_->attachHelpKey(control);
    keys_->attachHelpKey(Panel1->PerformanceButton, kHelpContextPerformance);
    for (QWidget* control : Panel1->questionKeyControls()) keys_->attachQuestionKey(control);
}

QString TForm1::settingsPath() const {
    return settings_ ? settings_->location().savePath : QString();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TForm1::FormShow() {
    Run([this] {
        AppDir = QDir(QCoreApplication::applicationDirPath()).absolutePath() + "/";
        ManualFolder = FindManualFolder(AppDir);
        Panel1->setLabelText(Panel1->lError, "");
        loadSettings();
        Panel1->SG->setColumnWidth(0, 45);
        Panel1->SG->setColumnWidth(1, 55);
        Panel1->MOISG->setColumnWidth(0, 25);
        Panel1->MOISG->setColumnWidth(1, 25);
        Panel1->MOISG->setColumnWidth(2, 50);
        PressureCBClick();
        Panel1->setLabelText(Panel1->lTemps, "");
        // The file dialogs start in AppDir (CaptureFileHost::startFolder).
    });
}

void TForm1::loadSettings() {
    settings_ = std::make_unique<SettingsStore>(options_.settingsFolder.isEmpty()
                                                    ? LocateSettings(AppDir)
                                                    : SettingsIn(options_.settingsFolder));
    // A missing key keeps what the window has now: its designed values.
    const FormSettings state = settings_->Load(currentFormState(), format_);
    // Bounds that would leave no window to see fall back to the designed ones.
    setGeometry(UsableBounds(state.left, state.top, state.width, state.height, geometry(),
                             AvailableScreenAreas()));
    Panel1->setGraphChoice(state.graphs);
    commands_->remember(state.exports);
    Panel1->MOISG->setTable(state.disks);
    Panel1->MOISG->setCurrentCell(0, 0);
    performanceForm_->setAveragedLoopShown(state.averagedLoop);
    bench_ = state.bench;
    if (!settings_->notice().isEmpty())
        prompts_->message(this, ApplicationTitle(), settings_->notice());
}

void TForm1::saveSettings() {
    FormSettings state = currentFormState();
    state.disks = Panel1->MOISG->table();
    state.exports = commands_->remembered();
    settings_->Save(state);
}

FormSettings TForm1::currentFormState() const {
    FormSettings state;
    state.left = geometry().x();
    state.top = geometry().y();
    state.width = width();
    state.height = height();
    state.graphs = Panel1->graphChoice();
    state.averagedLoop = performanceForm_->averagedLoopShown();
    return state;
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
    // A capture under way ends with its scan, which is waited for a bounded time.
    acquisition_->closing();
    // No help or other window of the program outlives it.
    if (helpViewer_) helpViewer_->close();
    if (simulatorWindow_) simulatorWindow_->close();
    pvImageForm_->close();
    Form2_->close();
    performanceForm_->close();
    event->accept();
    emit closed();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel1->boardIsValid && event->type() == QEvent::MouseButtonDblClick)
        ShowEngineSimulator();
    return QWidget::eventFilter(watched, event);
}

void TForm1::ShowEngineSimulator() {
    if (!options_.simulator) return;
    if (!simulatorWindow_) simulatorWindow_ = new EngineSimulatorWindow(*options_.simulator, this);
    simulatorWindow_->show();
    simulatorWindow_->raise();
}

void TForm1::QuitButtonClick() { close(); }

void TForm1::HelpButtonClick() { showHelpTopic(kHelpContextStart); }

void TForm1::showHelpTopic(int context) {
    Run([this, context] {
        if (options_.showHelp)
            options_.showHelp(context);
        else
            ShowManual(context);
    });
}

void TForm1::PerformanceButtonClick() {
    performanceForm_->show();
    performanceForm_->raise();
    performanceForm_->activateWindow();
}

void TForm1::FormKeyPress() {
    Panel1->lPress->setVisible(Panel1->lPress->isHidden());
    pvImageForm_->toggle();
}

void TForm1::ShowManual(int context) {
    if (!helpViewer_) helpViewer_ = new HelpViewer(ManualFolder, this);
    if (!helpViewer_->showContext(context))
        throw std::runtime_error("The user manual was not found beside the program.");
}

void TForm1::Button1Click() {
    Perform([this] { AnalyseCapture(); });
}

// ---- graphs ---------------------------------------------------------------

void TForm1::PressureCBClick() {
    const GraphChoice choice = Panel1->graphChoice();
    for (int i = 0; i < kChartCount; ++i) Panel2->setChartVisible(i, choice[i]);
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

analysis::AnalysisInputs TForm1::analysisInputs(bool speedGraphIsInput) const {
    analysis::AnalysisInputs inputs;
    inputs.disks = Panel1->MOISG->table();
    inputs.format = format_;
    inputs.speedRange = Panel2->speedRange();
    if (speedGraphIsInput) inputs.rpmPoints = Panel2->rpmPoints();
    inputs.processEvents = [] { QCoreApplication::processEvents(); };
    return inputs;
}

void TForm1::AnalyseCapture() {
    // The speed graph's earlier points are an input only of a dyna's power and
    // torque; a grab's own points are merged into the graph as it stands, so
    // that a long run of grabs does not copy the whole graph out and back.
    const bool speedGraphIsInput = record_->IsDyna;
    analysis::AnalysisInputs inputs = analysisInputs(speedGraphIsInput);
    const analysis::DiskTable disks = inputs.disks;

    // What the analysis shows before it first lets the window repaint.
    Panel1->setLabelText(Panel1->lError, "");
    Panel1->SG->startAnalysis();
    Panel1->SG->setMonitorRows(*record_, format_);

    const analysis::AnalysisResult result = analysis::AnalyseCapture(*record_, std::move(inputs));
    // The finer evaluation beside the specified figures, of the same capture
    // and disk table; it changes nothing the analysis shows.
    const performance::PerformanceResult performance =
        performance::AnalysePerformance(*record_, disks, format_, bench_);

    Panel1->setLabelText(Panel1->lError, QString::fromStdString(result.status));
    Panel1->SG->setTable(result.table);
    Panel2->setAveragedLoop(AveragedLoopLine(performance));  // drawn with the result
    Panel2->showResult(result, speedGraphIsInput ? ChartStack::SpeedPoints::Replace
                                                 : ChartStack::SpeedPoints::Merge);
    Form2_->setLines(result.log);
    performanceForm_->showResult(performance);
    if (result.pvPicture) pvImageForm_->showPicture(*result.pvPicture);
    if (result.error) throw std::runtime_error(*result.error);
    if (result.dynaAdvice) prompts_->message(this, ApplicationTitle(), analysis::kDynaAdvice);
}

// ---- engine monitor -----------------------------------------------------------

void TForm1::ReadEngineMonitor(analysis::CaptureRecord& target) { monitor_->read(target); }

void TForm1::ShowEngineMonitor(const analysis::CaptureRecord& source) { monitor_->show(source); }

void TForm1::TempMonitorTimerTimer() {
    if (Acquiring) return;
    monitor_->tick();
}

void TForm1::ShowBoardProblem() {
    if (Panel1->boardValid()) return;
    const QString why = QString::fromStdString(board_->LastError());
    // Once per failure: the monitor keeps failing each second while the board is away.
    if (why.isEmpty() || why == Panel1->boardProblem()) return;
    Panel1->setBoardProblem(why);
    const QString line = "DAQ board: " + why;
    Form2_->appendLine(line);
    qWarning().noquote() << line;
}

// ---- captures -----------------------------------------------------------------

void TForm1::PrepareGrab(analysis::CaptureRecord& target) {
    acquisition_->Prepare(daq::CaptureKind::Grab, target);
}

void TForm1::PrepareDyna(analysis::CaptureRecord& target) {
    acquisition_->Prepare(daq::CaptureKind::Dyna, target);
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
