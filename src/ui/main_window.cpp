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
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include "analysis/analyse_capture.h"
#include "analysis/results_table.h"
#include "ui/capture_file_flow.h"
#include "ui/charts/chart_stack.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/engine_monitor.h"
#include "ui/engine_simulator_window.h"
#include "ui/help/help_viewer.h"
#include "ui/key_commands.h"
#include "ui/main_window_texts.h"
#include "ui/results_table.h"
#include "ui/scan_session.h"
#include "ui/user_prompts.h"
#include "ui/window_settings.h"
#include "ui/windows/memo_form.h"
#include "ui/windows/pv_image_form.h"

namespace corvane::ui {

namespace {

constexpr long kRate = 1000;             // samples per second per channel
constexpr long kDynaSampleCount = 4000;  // four seconds of the tachometer
constexpr int kHelpContext = kHelpContextStart;
constexpr const char* kMissingBoard =
    "DAQ hardware not found: plug your USB cable in and re-start this program.\r\n"
    "You may have to run the InstaCal program again.";
constexpr const char* kDynaAdvice = "Please consult Help for proper Dynamometer methodology";

// Marks an operation as running for as long as it lives.
class BusyFlag {
public:
    explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& flag_;
};

text::NumberFormat UserNumberFormat() {
    const QLocale locale;
    return text::NumberFormat{locale.decimalPoint().toStdString(),
                              locale.groupSeparator().toStdString()};
}

// The engine monitor's three rows at the top of the results table.
void SetMonitorRows(ResultsTable& table, const analysis::CaptureRecord& record,
                    const text::NumberFormat& fmt) {
    const auto rows = analysis::EngineMonitorRows(record, fmt);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col)
            table.setCellText(col, row, QString::fromStdString(rows[row][col]));
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

    CaptureFileHost host;
    host.window = this;
    host.prompts = prompts_.get();
    host.record = nullptr;  // set in FormCreate
    host.startFolder = [this] { return AppDir; };
    host.setCaption = [this](const QString& caption) { setWindowTitle(caption); };
    host.prepare = [this](files::CaptureKind kind, analysis::CaptureRecord& working) {
        working.IsDyna = kind == files::CaptureKind::Dyna;
        if (working.IsDyna)
            PrepareDyna(working);
        else
            PrepareGrab(working);
    };
    host.analyse = [this] { AnalyseCapture(); };
    host.disks = [this] { return Panel1->MOISG->table(); };
    host.setDisks = [this](const analysis::DiskTable& disks) { Panel1->MOISG->setTable(disks); };
    host.resultsColumn = [this] {
        files::ResultsColumn column;
        for (int row = 0; row < ResultsTable::kRows; ++row)
            column[row] = Panel1->SG->cellText(1, row).toStdString();
        return column;
    };

    FormCreate();
    host.record = record_.get();
    files_ = std::make_unique<CaptureFileFlow>(std::move(host));
    connectHandlers();
    attachKeys();

    // Created after the main window, hidden: the PV graph, then the text window.
    pvImageForm_ = new TpvImageForm();
    Form2_ = new TForm2();

    Panel2->setSimulated(options_.simulated);
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
    FormDestroy();
    delete pvImageForm_;
    delete Form2_;
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
    // A box runs its handler only when its state really changes.
    for (QCheckBox* box : {p->PressureCB, p->TachCB, p->PVCB, p->RPMCB, p->PowerCB})
        connect(box, &QCheckBox::toggled, this, &TForm1::PressureCBClick);
    connect(Panel2, &ChartStack::scrolled, this, &TForm1::Chart1Scroll);
    connect(Panel2, &ChartStack::undoZoomRequested, this, &TForm1::Chart1UndoZoom);
    connect(ContinuousTimer, &QTimer::timeout, this, &TForm1::ContinuousTimerTimer);
    connect(TempMonitorTimer, &QTimer::timeout, this, &TForm1::TempMonitorTimerTimer);
}

void TForm1::attachKeys() {
    keys_ = new KeyCommands([this] { showHelpTopic(); }, [this] { FormKeyPress(); }, this);
    ControlPanel* p = Panel1;
    for (QWidget* w : std::initializer_list<QWidget*>{
             p->GrabButton, p->QuitButton, p->ExportButton, p->ImportButton, p->SG, p->DynaButton,
             p->HelpButton, p->PressureCB, p->TachCB, p->PVCB, p->RPMCB, p->PowerCB, p->MOISG})
        keys_->attachHelpKey(w);
    for (QWidget* w : std::initializer_list<QWidget*>{
             p->GrabButton, p->QuitButton, p->ContinuousCB, p->ExportButton, p->ImportButton, p->SG,
             p->DynaButton, p->HelpButton, p->MultipleButton})
        keys_->attachQuestionKey(w);
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
        ControlPanel::SetAutoSizedText(Panel1->lError, "");
        loadSettings();
        Panel1->SG->setColumnWidth(0, 45);
        Panel1->SG->setColumnWidth(1, 55);
        Panel1->MOISG->setColumnWidth(0, 25);
        Panel1->MOISG->setColumnWidth(1, 25);
        Panel1->MOISG->setColumnWidth(2, 50);
        PressureCBClick();
        ControlPanel::SetAutoSizedText(Panel1->lTemps, "");
        // The file dialogs start in AppDir (CaptureFileHost::startFolder).
    });
}

void TForm1::loadSettings() {
    settings_ = std::make_unique<SettingsStore>(options_.settingsFolder.isEmpty()
                                                    ? LocateSettings(AppDir)
                                                    : SettingsIn(options_.settingsFolder));
    // A missing key keeps what the window has now: its designed values.
    const FormSettings state = settings_->Load(currentFormState(), format_);
    const ControlPanel* p = Panel1;
    setGeometry(state.left, state.top, state.width, state.height);
    QCheckBox* boxes[] = {p->PressureCB, p->TachCB, p->PVCB, p->RPMCB, p->PowerCB};
    for (int i = 0; i < 5; ++i) boxes[i]->setChecked(state.graphs[i]);
    p->MOISG->setTable(state.disks);
    p->MOISG->setCurrentCell(0, 0);
    if (!settings_->notice().isEmpty())
        prompts_->message(this, ApplicationTitle(), settings_->notice());
}

void TForm1::saveSettings() {
    FormSettings state = currentFormState();
    state.disks = Panel1->MOISG->table();
    settings_->Save(state);
}

FormSettings TForm1::currentFormState() const {
    FormSettings state;
    state.left = geometry().x();
    state.top = geometry().y();
    state.width = width();
    state.height = height();
    const ControlPanel* p = Panel1;
    state.graphs = {p->PressureCB->isChecked(), p->TachCB->isChecked(), p->PVCB->isChecked(),
                    p->RPMCB->isChecked(), p->PowerCB->isChecked()};
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
        showHelpTopic();
        event->accept();
        return;
    }
    if (own && event->text() == "?") FormKeyPress();
    QWidget::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // No help or other window of the program outlives it.
    if (helpViewer_) helpViewer_->close();
    if (simulatorWindow_) simulatorWindow_->close();
    pvImageForm_->close();
    Form2_->close();
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

void TForm1::HelpButtonClick() { showHelpTopic(); }

void TForm1::showHelpTopic() {
    Run([this] {
        if (options_.showHelp)
            options_.showHelp(kHelpContext);
        else
            ShowManual(kHelpContext);
    });
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
    if (busy_) return;
    BusyFlag busy(busy_);
    Run([this] { AnalyseCapture(); });
}

// ---- graphs ---------------------------------------------------------------

void TForm1::PressureCBClick() {
    const ControlPanel* p = Panel1;
    Panel2->setChartVisible(kChart1, p->PressureCB->isChecked());
    Panel2->setChartVisible(kChart2, p->TachCB->isChecked());
    Panel2->setChartVisible(kChart3, p->PVCB->isChecked());
    Panel2->setChartVisible(kChart4, p->RPMCB->isChecked());
    Panel2->setChartVisible(kChart5, p->PowerCB->isChecked());
    FormResize();
}

void TForm1::FormResize() { Panel2->FormResize(height()); }

void TForm1::Chart1Scroll(int sender) { Panel2->linkHorizontalRange(sender); }

void TForm1::Chart1UndoZoom() { Panel2->undoZoom(); }

// ---- capture files ----------------------------------------------------------

void TForm1::ExportButtonClick() {
    // While a capture runs the record holds the new kind and length but still
    // the previous samples: an export then would write a file that never was.
    if (busy_) return;
    Run([this] { files_->ExportButtonClick(); });
}

void TForm1::ImportButtonClick() {
    if (busy_) return;
    BusyFlag busy(busy_);
    Run([this] { files_->ImportButtonClick(); });
}

void TForm1::ImportCaptureFile(const QString& path) { files_->ImportCaptureFile(path); }

void TForm1::MultipleButtonClick() {
    if (busy_) return;
    BusyFlag busy(busy_);
    Run([this] { files_->MultipleButtonClick(); });
}

// ---- analysis ---------------------------------------------------------------

void TForm1::AnalyseCapture() {
    analysis::AnalysisInputs inputs;
    inputs.disks = Panel1->MOISG->table();
    inputs.format = format_;
    inputs.speedRange = Panel2->speedRange();
    inputs.rpmPoints = Panel2->rpmPoints();
    inputs.processEvents = [] { QCoreApplication::processEvents(); };

    // What the analysis shows before it first lets the window repaint.
    ControlPanel::SetAutoSizedText(Panel1->lError, "");
    const auto& labels = analysis::FirstLabels();
    for (int row = 0; row < ResultsTable::kRows; ++row) {
        Panel1->SG->setCellText(0, row, QString::fromStdString(labels[row]));
        Panel1->SG->setCellText(1, row, "");
    }
    SetMonitorRows(*Panel1->SG, *record_, format_);

    const analysis::AnalysisResult result = analysis::AnalyseCapture(*record_, inputs);

    ControlPanel::SetAutoSizedText(Panel1->lError, QString::fromStdString(result.status));
    Panel1->SG->setTable(result.table);
    Panel2->showResult(result);
    Form2_->setLines(result.log);
    if (result.pvPicture) pvImageForm_->showPicture(*result.pvPicture);
    if (result.error) throw std::runtime_error(*result.error);
    if (result.dynaAdvice) prompts_->message(this, ApplicationTitle(), kDynaAdvice);
}

// ---- engine monitor -----------------------------------------------------------

void TForm1::ReadEngineMonitor(analysis::CaptureRecord& target) {
    Panel1->setBoardValid(false);
    const EngineReading previous{target.LoTemp, target.ResistorPower, target.HiTemp};
    // The board has answered once channel 2 has: green before channels 3 and 4.
    const auto reading =
        ReadEngineChannels(*board_, previous, [this] { Panel1->setBoardValid(true); });
    if (!reading) return;
    target.LoTemp = reading->loTemp;
    target.ResistorPower = reading->resistorPower;
    target.HiTemp = reading->hiTemp;
    ShowEngineMonitor(target);
}

void TForm1::ShowEngineMonitor(const analysis::CaptureRecord& source) {
    SetMonitorRows(*Panel1->SG, source, format_);
    QCoreApplication::processEvents();
}

void TForm1::TempMonitorTimerTimer() {
    if (Acquiring) return;
    Panel1->setBoardValid(false);
    const auto tick = ReadMonitorTick(*board_);
    if (!tick) return;
    Panel1->setBoardValid(true);
    ControlPanel::SetAutoSizedText(Panel1->lPress, PressureCaption(tick->pressureCount, format_));
    ControlPanel::SetAutoSizedText(
        Panel1->lTemps,
        QString::fromStdString(analysis::TemperaturesLabel(tick->lowK, tick->highK, format_)));
    Panel2->setHotEngineVisible(false);
    if (IsTooHot(tick->highK)) {
        prompts_->beep();
        Panel1->TachCB->setChecked(true);
        Panel2->setHotEngineVisible(true);
    }
}

// ---- captures -----------------------------------------------------------------

void TForm1::PrepareGrab(analysis::CaptureRecord& target) {
    Chart1UndoZoom();
    Panel1->ExportButton->setEnabled(true);
    if (!Panel1->ContinuousCB->isChecked()) Panel2->clearTraces();
    Panel1->PressureCB->setChecked(true);
    Panel1->TachCB->setChecked(true);
    Panel1->PVCB->setChecked(true);
    Panel1->RPMCB->setChecked(false);
    Panel1->PowerCB->setChecked(false);
    target.SamplePeriod = 0.001;
    ReadEngineMonitor(target);
}

void TForm1::PrepareDyna(analysis::CaptureRecord& target) {
    Chart1UndoZoom();
    Panel1->ExportButton->setEnabled(true);
    Panel2->clearAllSeries();
    Panel1->PressureCB->setChecked(false);
    Panel1->TachCB->setChecked(true);
    Panel1->PVCB->setChecked(false);
    Panel1->RPMCB->setChecked(true);
    Panel1->PowerCB->setChecked(true);
    target.SamplePeriod = 0.00125;
    ReadEngineMonitor(target);
}

int TForm1::Scan(int lowChannel, int highChannel, long count, daq::BufferHandle buffer,
                 double seconds) {
    QProgressBar* bar = Panel1->scanProgress;
    bar->setRange(0, static_cast<int>(seconds * 10));
    bar->setValue(0);
    bar->setFormat(QString("Scan: %1 s").arg(seconds, 0, 'f', 0));
    bar->show();
    struct HideBar {
        QProgressBar* bar;
        ~HideBar() { bar->hide(); }
    } hideBar{bar};
    daq::Board& board = *board_;
    return RunScanInBackground(
        [&board, lowChannel, highChannel, count, buffer] {
            long rate = kRate;
            return board.cbAInScan(0, lowChannel, highChannel, count, &rate, daq::kBip10Volts,
                                   buffer, 0);
        },
        [bar, seconds](double elapsed) {
            bar->setValue(static_cast<int>(std::min(elapsed, seconds) * 10));
            bar->setFormat(
                QString("Scan: %1 of %2 s")
                    .arg(std::min(static_cast<int>(elapsed) + 1, static_cast<int>(seconds)))
                    .arg(seconds, 0, 'f', 0));
        });
}

void TForm1::ShowMissingBoard() { prompts_->message(this, ApplicationTitle(), kMissingBoard); }

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

void TForm1::GrabButtonClick() {
    if (busy_) return;  // another capture, import or batch is running
    BusyFlag busy(busy_);
    Run([this] {
        setWindowTitle(kCaption);
        record_->IsDyna = false;
        PrepareGrab(*record_);
        const int lowChannel = 0, highChannel = 1;
        record_->SamplePeriod = 1.0 / kRate;
        record_->SampleCount = (highChannel - lowChannel + 1) * kRate;
        {
            ScanSession scan(*board_, record_->SampleCount, Acquiring);
            QCoreApplication::processEvents();
            scan.setAcquiring();
            if (Scan(lowChannel, highChannel, record_->SampleCount, scan.buffer(), 1.0) !=
                daq::kNoErrors) {
                ShowMissingBoard();
                Panel1->ContinuousCB->setChecked(false);
                Panel1->setBoardValid(false);
                return;
            }
            Panel1->setBoardValid(true);
            board_->cbWinBufToArray(scan.buffer(), record_->RawSamples.data(), 0,
                                    record_->SampleCount);
            AnalyseCapture();
        }
        if (Panel1->ContinuousCB->isChecked()) ContinuousTimer->start();
    });
}

void TForm1::ContinuousCBClick() {
    if (Panel1->ContinuousCB->isChecked()) GrabButtonClick();
}

void TForm1::ContinuousTimerTimer() {
    ContinuousTimer->stop();
    GrabButtonClick();
}

void TForm1::DynaButtonClick() {
    if (busy_) return;
    BusyFlag busy(busy_);
    Run([this] {
        setWindowTitle(kCaption);
        record_->IsDyna = true;
        PrepareDyna(*record_);
        QCoreApplication::processEvents();
        record_->SamplePeriod = 1.0 / kRate;
        record_->SampleCount = kDynaSampleCount;
        {
            ScanSession scan(*board_, record_->SampleCount, Acquiring);
            scan.setAcquiring();
            if (Scan(1, 1, record_->SampleCount, scan.buffer(), 4.0) != daq::kNoErrors) {
                ShowMissingBoard();
                Panel1->setBoardValid(false);
                return;
            }
            Panel1->setBoardValid(true);
            board_->cbWinBufToArray(scan.buffer(), record_->RawSamples.data(), 0,
                                    record_->SampleCount);
        }
        // The Dyna's clean-up comes before its analysis.
        AnalyseCapture();
    });
}

}  // namespace corvane::ui
