#include "ui/recorder/recorder_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>

#include "recording/recording_error.h"
#include "recording/recording_reader.h"
#include "charts/graph_plot.h"
#include "ui/performance/copyable_table.h"
#include "ui/recorder/folder_choice.h"
#include "ui/recorder/recorder_loops.h"
#include "ui/recorder/recorder_moment.h"
#include "ui/recorder/recorder_report.h"
#include "ui/recorder/recorder_texts.h"
#include "ui/recorder/recorder_trends.h"

namespace corvane::ui {

namespace {

// Half the time a cycle may wait: its loop on the screen well within 100 ms.
constexpr int kPollMs = 25;

QPushButton* MakeButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

QString RecorderWindow::DefaultFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    return QDir(documents).filePath("Corvane recordings");
}

RecorderWindow::RecorderWindow(RecorderSource source, recording::SteadyCriteria steady,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), source_(std::move(source)), criteria_(steady),
      folder_(DefaultFolder()) {
    setObjectName("RecorderForm");
    setWindowTitle("Recorder");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildControls());
    layout->addWidget(buildFigures());
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    trends_ = new RecorderTrends(splitter);
    splitter->addWidget(trends_);
    splitter->addWidget(buildLoopsAndPoints(splitter));
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);
    status_ = new QLabel(this);
    status_->setObjectName("RecorderStatus");
    layout->addWidget(status_);
    timer_ = new QTimer(this);
    timer_->setInterval(kPollMs);
    connect(timer_, &QTimer::timeout, this, &RecorderWindow::poll);
    connect(trends_, &RecorderTrends::momentClicked, this, &RecorderWindow::chooseMoment);
    connect(moment_, &MomentChooser::chosen, this, &RecorderWindow::chooseMoment);
    connect(moment_, &MomentChooser::refused, status_, &QLabel::setText);
    resize(1200, 800);
    resetRun();
}

RecorderWindow::~RecorderWindow() = default;

QWidget* RecorderWindow::buildControls() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    start_ = MakeButton("Start", box);
    stop_ = MakeButton("Stop", box);
    markText_ = new QLineEdit(box);
    markText_->setPlaceholderText("what was changed (Enter marks)");
    markButton_ = MakeButton("Mark", box);
    folderLabel_ = new QLabel(box);
    auto* folderButton = MakeButton("Folder…", box);
    auto* openButton = MakeButton("Open recording…", box);
    for (QWidget* w : std::initializer_list<QWidget*>{start_, stop_, new QLabel("Mark:", box),
                                                      markText_, markButton_, folderLabel_,
                                                      folderButton, openButton}) {
        row->addWidget(w, w == markText_ || w == folderLabel_ ? 1 : 0);
    }
    connect(start_, &QPushButton::clicked, this, &RecorderWindow::startRecording);
    connect(stop_, &QPushButton::clicked, this, &RecorderWindow::stopRecording);
    connect(markButton_, &QPushButton::clicked, this, &RecorderWindow::mark);
    connect(markText_, &QLineEdit::returnPressed, this, &RecorderWindow::mark);
    connect(folderButton, &QPushButton::clicked, this, &RecorderWindow::chooseFolder);
    connect(openButton, &QPushButton::clicked, this, &RecorderWindow::chooseRecording);
    folderLabel_->setText("Folder: " + QDir::toNativeSeparators(folder_));
    return box;
}

QWidget* RecorderWindow::buildFigures() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    elapsed_ = new QLabel(box);
    scans_ = new QLabel(box);
    gaps_ = new QLabel(box);
    gaps_->setObjectName("RecorderGaps");
    cycleCount_ = new QLabel(box);
    size_ = new QLabel(box);
    monitor_ = new QLabel(box);
    for (QLabel* label : {elapsed_, scans_, gaps_, cycleCount_, size_, monitor_}) {
        row->addWidget(label);
    }
    row->addStretch(1);
    moment_ = new MomentChooser(box);
    row->addWidget(moment_);
    steady_ = new QLabel(box);
    steady_->setObjectName("SteadyIndicator");
    steady_->setAlignment(Qt::AlignCenter);
    steady_->setMinimumWidth(220);
    QFont big = steady_->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    steady_->setFont(big);
    row->addWidget(steady_);
    return box;
}

QWidget* RecorderWindow::buildPoints() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    curve_ = new QCustomPlot(box);
    curve_->setObjectName("RecorderPowerCurve");
    SetUpPowerCurve(*curve_);
    column->addWidget(curve_, 1);
    table_ = new CopyableTable(box);
    table_->setObjectName("OperatingPoints");
    column->addWidget(table_, 1);
    auto* buttons = new QHBoxLayout();
    auto* add = MakeButton("Add shown stretch", box);
    auto* remove = MakeButton("Remove last chosen", box);
    remove->setObjectName("RemoveChosenStretch");
    auto* copy = MakeButton("Copy table", box);
    auto* save = MakeButton("Save table…", box);
    auto* report = MakeButton("Save report…", box);
    report->setObjectName("SaveRunReport");
    for (QPushButton* b : {add, copy, save, report, remove}) buttons->addWidget(b);
    connect(report, &QPushButton::clicked, this, &RecorderWindow::chooseReportFile);
    column->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &RecorderWindow::addShownStretch);
    connect(remove, &QPushButton::clicked, this, &RecorderWindow::removeLastChosen);
    connect(copy, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(
            QString::fromStdString(recording::OperatingPointTable(points_, '\t')));
    });
    connect(save, &QPushButton::clicked, this, &RecorderWindow::saveTable);
    return box;
}

// The newest loops on top, the older ones fading, above the operating points.
QWidget* RecorderWindow::buildLoopsAndPoints(QWidget* parent) {
    auto* column = new QSplitter(Qt::Vertical, parent);
    loops_ = new RecorderLoops(column);
    column->addWidget(loops_);
    column->addWidget(buildPoints());
    column->setStretchFactor(0, 2);
    column->setStretchFactor(1, 3);
    return column;
}

bool RecorderWindow::setFolder(const QString& folder) {
    if (IsInProgramFolder(folder)) {
        status_->setText(QDir::toNativeSeparators(folder) + " is the program's own folder: "
                         "recordings go elsewhere");
        return false;
    }
    folder_ = folder;
    folderLabel_->setText("Folder: " + QDir::toNativeSeparators(folder));
    return true;
}

void RecorderWindow::resetRun() {
    cycles_.clear();
    events_.clear();
    chosen_.clear();
    points_.clear();
    pointsFromCycles_ = 0;
    trends_->clear();
    loops_->clearLoops();
    loopsShown_ = 0;
    showCounts({});
    showSteady(false);
    showPoints();
    start_->setEnabled(!recording());
    stop_->setEnabled(recording());
    markButton_->setEnabled(recording());
}

bool RecorderWindow::startRecording() {
    if (recording()) return true;
    const QString name = "run-" + QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss");
    const QString run = QDir(folder_).filePath(name);
    try {
        QDir().mkpath(folder_);
        if (source_.steadyCriteria) criteria_ = source_.steadyCriteria();
        std::unique_ptr<daq::ScanStream> stream = source_.openStream();
        const recording::Manifest manifest = source_.manifest(stream->Format());
        recording_ = std::make_unique<recording::BackgroundRecording>(
            std::move(stream), run.toStdString(), manifest, criteria_);
    } catch (const std::exception& error) {
        status_->setText(QString("Recording not started: ") + error.what());
        return false;
    }
    runFolder_ = run;
    resetRun();
    events_.push_back({0.0, "start"});
    status_->setText("Recording into " + QDir::toNativeSeparators(run));
    timer_->start();
    emit recordingChanged(true);
    return true;
}

void RecorderWindow::stopRecording() {
    if (recording()) recording_->Stop();
}

void RecorderWindow::mark() {
    const QString text = markText_->text().trimmed();
    if (!recording() || text.isEmpty()) return;
    recording_->Mark(text.toStdString());
    const double at = cycles_.empty() ? 0.0 : cycles_.back().timeS;
    events_.push_back({at, text.toStdString()});
    trends_->setEvents(events_);
    markText_->clear();
}

void RecorderWindow::poll() {
    if (!recording_) return;
    std::vector<recording::CycleRow> fresh = recording_->TakeCycles();
    const std::optional<recording::RecordingEnd> end = recording_->End();
    if (end) {
        // Whatever arrived before the end, too.
        for (auto& row : recording_->TakeCycles()) fresh.push_back(row);
    }
    cycles_.insert(cycles_.end(), fresh.begin(), fresh.end());
    trends_->addCycles(fresh);
    showCounts(end ? end->status : recording_->Status());
    if (!cycles_.empty()) showSteady(cycles_.back().steady);
    if (cycles_.size() >= pointsFromCycles_ + 50 || end) updatePoints();
    showNewLoops();
    trends_->refresh();
    if (end) finishRecording(*end);
}

void RecorderWindow::showNewLoops() {
    const std::uint64_t evaluated = recording_->LoopsEvaluated();
    if (evaluated == loopsShown_) return;
    loops_->showLoops(recording_->RecentLoops());
    loopsShown_ = evaluated;
}

void RecorderWindow::chooseMoment(double seconds) {
    if (recording() || runFolder_.isEmpty()) {
        status_->setText("A second can be analysed from an opened recording, not while recording");
        return;
    }
    moment_->setMoment(seconds);
    status_->setText("Analysing " + MomentName(runFolder_, seconds) + " in the main window");
    emit momentChosen(runFolder_, seconds);
}

void RecorderWindow::finishRecording(const recording::RecordingEnd& end) {
    timer_->stop();
    // The last loops stay on the screen.
    const std::vector<recording::CycleLoop> lastLoops = recording_->RecentLoops();
    recording_.reset();
    status_->setText(end.failed ? "Recording stopped: " + QString::fromStdString(end.message)
                                : "Recording closed: " + QDir::toNativeSeparators(runFolder_));
    start_->setEnabled(true);
    stop_->setEnabled(false);
    markButton_->setEnabled(false);
    // The folder holds the whole truth now: its gaps and marks with their times.
    openRecording(runFolder_);
    loops_->showLoops(lastLoops);
    emit recordingChanged(false);
}

bool RecorderWindow::openRecording(const QString& runFolder) {
    if (recording()) return false;
    recording::RecordingContents contents;
    try {
        contents = recording::ReadRecording(runFolder.toStdString());
    } catch (const recording::RecordingError& error) {
        status_->setText(QString("Cannot open the recording: ") + error.what());
        return false;
    }
    runFolder_ = runFolder;
    resetRun();
    showCounts(CountsOf(contents, runFolder.toStdString()));
    if (!contents.cycles.empty()) showSteady(contents.cycles.back().steady);
    cycles_ = std::move(contents.cycles);
    events_ = std::move(contents.events);
    chosen_ = std::move(contents.chosen);
    trends_->addCycles(cycles_);
    trends_->setEvents(events_);
    updatePoints();
    trends_->refresh();
    setWindowTitle("Recorder - " + QDir::toNativeSeparators(runFolder));
    return true;
}

void RecorderWindow::addShownStretch() {
    const auto [fromS, toS] = trends_->shownSeconds();
    const recording::Stretch shown = recording::StretchBetween(cycles_, fromS, toS);
    if (shown.count == 0) return;
    // Up to the end of its last cycle: cycles still to come are not in it.
    const recording::CycleRow& last = cycles_[shown.first + shown.count - 1];
    const double lastEnd = last.rpm > 0 ? last.timeS + 60.0 / last.rpm : toS;
    const recording::ChosenStretch chosen = recording::ChosenBetween(fromS, std::min(toS, lastEnd));
    if (recording::CyclesOf(cycles_, chosen).count == 0) return;
    chosen_.push_back(chosen);
    keepChosen();
    updatePoints();
}

void RecorderWindow::removeLastChosen() {
    if (chosen_.empty()) return;
    chosen_.pop_back();
    keepChosen();
    updatePoints();
}

// Into the recording folder, so that reopening it and its report show them.
void RecorderWindow::keepChosen() {
    if (runFolder_.isEmpty()) return;
    try {
        recording::WriteChosenStretches(runFolder_.toStdString(), chosen_);
    } catch (const std::exception& error) {  // nothing crosses the event loop
        status_->setText(QString("The chosen stretches are not kept in the folder: ") +
                         error.what());
    }
}

std::vector<recording::Stretch> RecorderWindow::chosenCycles() const {
    std::vector<recording::Stretch> stretches;
    for (const recording::ChosenStretch& c : chosen_)
        stretches.push_back(recording::CyclesOf(cycles_, c));
    return stretches;
}

void RecorderWindow::updatePoints() {
    points_.clear();
    std::vector<std::pair<double, double>> shaded;
    for (const recording::Stretch& s :
         recording::SteadyStretches(cycles_, criteria_.windowSeconds)) {
        points_.push_back(recording::OperatingPointOf(cycles_, s, false));
        shaded.emplace_back(points_.back().startS, points_.back().startS + points_.back().lengthS);
    }
    for (const recording::Stretch& s : chosenCycles()) {
        if (s.count > 0) points_.push_back(recording::OperatingPointOf(cycles_, s, true));
    }
    std::sort(points_.begin(), points_.end(),
              [](const auto& a, const auto& b) { return a.startS < b.startS; });
    trends_->setSteadyStretches(shaded);
    trends_->setEvents(events_);
    pointsFromCycles_ = cycles_.size();
    showPoints();
}

void RecorderWindow::showPoints() {
    table_->setContents(OperatingPointTableText(points_));
    ShowPowerCurve(*curve_, points_);
}

void RecorderWindow::showCounts(const recording::RecordingStatus& status) {
    elapsed_->setText("Elapsed " + ElapsedText(status.seconds));
    scans_->setText(QString("Scans %1").arg(status.scans));
    gaps_->setText(QString("Gaps %1").arg(status.gaps));
    gaps_->setStyleSheet(status.gaps == 0 ? "color: green" : "color: red; font-weight: bold");
    cycleCount_->setText(QString("Cycles %1").arg(status.cycles));
    size_->setText(QString("File %1 MB").arg(static_cast<double>(status.bytes) / 1e6, 0, 'f', 1));
    monitor_->setText(MonitorText(status.lastCycle));
}

void RecorderWindow::showSteady(bool steady) {
    steady_->setText(steady ? "STEADY" : "not steady");
    steady_->setStyleSheet(steady ? "background: rgb(80, 190, 80); color: white"
                                  : "background: rgb(225, 225, 225); color: rgb(90, 90, 90)");
}

void RecorderWindow::chooseFolder() {
    const QString chosen = QFileDialog::getExistingDirectory(this, "Folder for recordings", folder_);
    if (!chosen.isEmpty()) setFolder(chosen);
}

void RecorderWindow::chooseRecording() {
    const QString chosen = QFileDialog::getExistingDirectory(this, "Open a recording", folder_);
    if (!chosen.isEmpty()) openRecording(chosen);
}

void RecorderWindow::saveTable() {
    const QString path = QFileDialog::getSaveFileName(this, "Save the operating points",
                                                      QDir(runFolder_).filePath("operating_points.csv"),
                                                      "CSV files (*.csv)");
    if (path.isEmpty()) return;
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << recording::OperatingPointTable(points_, ',');
    out.flush();
    status_->setText(out ? "Saved " + QDir::toNativeSeparators(path)
                         : "Could not write " + QDir::toNativeSeparators(path));
}

bool RecorderWindow::saveReport(const QString& pdfPath) {
    if (recording() || runFolder_.isEmpty()) {
        status_->setText(recording() ? "Stop the recording first: its report is of the whole run"
                                     : "Open or record a recording first");
        return false;
    }
    const QString said = SaveRunReport(runFolder_, pdfPath, criteria_,
                                       source_.bench ? source_.bench() : performance::BenchSettings{},
                                       chosenCycles());
    status_->setText(said);
    return said.startsWith("Saved");
}

void RecorderWindow::chooseReportFile() {
    if (recording() || runFolder_.isEmpty()) {
        saveReport({});
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, "Save the recording's report",
                                                      DefaultRunReportPath(runFolder_),
                                                      "PDF files (*.pdf)");
    if (!path.isEmpty()) saveReport(path);
}

}  // namespace corvane::ui
