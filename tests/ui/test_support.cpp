#include "test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPrinter>
#include <QTimer>
#include <algorithm>

#include "charts/chart_stack.h"
#include "daq/simulated_board.h"
#include "files/capture_writer.h"
#include "scripted_board.h"
#include "ui/control_panel.h"
#include "ui/engine_simulator_window.h"
#include "ui/graph_commands.h"
#include "ui/performance/performance_window.h"
#include "ui/recorder/recorder_window.h"
#include "ui/windows/memo_form.h"
#include "ui/windows/pv_image_form.h"

namespace corvane::ui::test {

namespace {
template <typename T>
std::optional<T> Next(std::deque<T>& answers) {
    if (answers.empty()) return std::nullopt;
    T answer = answers.front();
    answers.pop_front();
    if (answer.isEmpty()) return std::nullopt;
    return std::optional<T>(std::move(answer));
}

// The one top-level window of that name and class; the window's other
// windows have no parent, so that each is a window of the desktop's own.
template <class Window>
Window* TopLevel(const char* name) {
    Window* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<Window*>(widget);
        if (!window || window->objectName() != QLatin1String(name)) continue;
        if (found) qFatal("more than one window named %s", name);
        found = window;
    }
    if (!found) qFatal("no window named %s", name);
    return found;
}

template <class Part>
Part* Named(const QObject& parent, const char* name) {
    auto* part = parent.findChild<Part*>(QString::fromLatin1(name));
    if (!part) qFatal("no part named %s", name);
    return part;
}
}  // namespace

QCheckBox* Box(const QWidget* parent, const char* name) { return Named<QCheckBox>(*parent, name); }

ControlPanel* Panel1(const QWidget& form) { return Named<ControlPanel>(form, "Panel1"); }

charts::ChartStack* Panel2(const QWidget& form) {
    return Named<charts::ChartStack>(form, "Panel2");
}

QTimer* ContinuousTimer(const QWidget& form) { return Named<QTimer>(form, "ContinuousTimer"); }

GraphCommands* Commands(const QWidget& form) { return Named<GraphCommands>(form, "GraphCommands"); }

TpvImageForm* PvImageForm() { return TopLevel<TpvImageForm>("pvImageForm"); }

TForm2* Form2() { return TopLevel<TForm2>("Form2"); }

PerformanceWindow* PerformanceForm() { return TopLevel<PerformanceWindow>("performanceForm"); }

RecorderWindow* RecorderForm() { return TopLevel<RecorderWindow>("RecorderForm"); }

EngineSimulatorWindow* EngineSimulator(const QWidget& form) {
    return form.findChild<EngineSimulatorWindow*>(QStringLiteral("EngineSimulator"));
}

std::optional<QString> ScriptedUser::saveFileName(QWidget*, const FileDialogSetup& setup) {
    dialogs.push_back(setup);
    return Next(saveAnswers);
}

std::optional<QString> ScriptedUser::openFileName(QWidget*, const FileDialogSetup& setup) {
    dialogs.push_back(setup);
    return Next(openAnswers);
}

std::optional<QStringList> ScriptedUser::openFileNames(QWidget*, const FileDialogSetup& setup) {
    dialogs.push_back(setup);
    return Next(openManyAnswers);
}

void ScriptedUser::message(QWidget*, const QString& caption, const QString& text) {
    messages.push_back({caption, text});
}

bool ScriptedUser::confirm(QWidget*, const QString& text) {
    confirmations.push_back(text);
    if (confirmAnswers.empty()) return false;
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

void ScriptedUser::reportError(QWidget*, const std::exception& error) {
    errors.push_back(QString::fromStdString(error.what()));
}

std::optional<int> ScriptedUser::askNumber(QWidget*, const QString&, const QString& label, int,
                                           int min, int max) {
    numberQuestions.push_back(label);
    if (numberAnswers.empty()) return std::nullopt;
    const int answer = numberAnswers.front();
    numberAnswers.pop_front();
    return std::clamp(answer, min, max);
}

bool ScriptedUser::choosePrinter(QWidget*, QPrinter& printer) {
    const std::optional<QString> file = Next(printAnswers);
    if (!file) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*file);
    return true;
}

daq::ScriptedBoard& Harness::scripted() { return *dynamic_cast<daq::ScriptedBoard*>(board); }

void Harness::writeSettings(const QByteArray& text) const {
    QFile file(path("CorvaneLogger.INI"));
    file.open(QIODevice::WriteOnly);
    file.write(text);
}

QByteArray Harness::readSettings() const {
    QFile file(path("CorvaneLogger.INI"));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void Harness::create(std::unique_ptr<daq::Board> newBoard, bool armTimers) {
    if (!newBoard) newBoard = std::make_unique<daq::ScriptedBoard>();
    board = newBoard.get();
    TForm1::Options options;
    if (auto* simulated = dynamic_cast<daq::SimulatedBoard*>(newBoard.get())) {
        options.simulated = true;
        options.simulator = simulated;
    }
    options.board = std::move(newBoard);
    options.settingsFolder = folder.path();
    options.prompts = user;
    options.showHelp = [this](int context) { helpContexts.push_back(context); };
    options.armTimers = armTimers;
    options.closingWait = closingWait;
    form = std::make_unique<TForm1>(std::move(options));
}

void Harness::start(std::unique_ptr<daq::Board> newBoard, bool armTimers) {
    create(std::move(newBoard), armTimers);
    form->show();
}

std::unique_ptr<daq::Board> InstantSimulatedBoard(double rpm, bool tooHot) {
    daq::EngineParameters parameters;
    parameters.rpm = rpm;
    parameters.instantScans = true;
    parameters.faults.tooHot = tooHot;
    return std::make_unique<daq::SimulatedBoard>(parameters);
}

namespace {
std::vector<std::uint16_t> Capture(int low, int high, long count, double rpm) {
    auto board = InstantSimulatedBoard(rpm);
    const daq::BufferHandle buffer = board->cbWinBufAlloc(count);
    long rate = 1000;
    board->cbAInScan(0, low, high, count, &rate, daq::kBip10Volts, buffer, 0);
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(count));
    board->cbWinBufToArray(buffer, samples.data(), 0, count);
    board->cbWinBufFree(buffer);
    return samples;
}
}  // namespace

std::vector<std::uint16_t> SimulatedGrab(double rpm) { return Capture(0, 1, 2000, rpm); }
std::vector<std::uint16_t> SimulatedDyna() { return Capture(1, 1, 4000, 500.0); }

QString WriteCapture(const Harness& h, const QString& name, bool dyna, bool withDisks) {
    analysis::CaptureRecord record;
    const auto samples = dyna ? SimulatedDyna() : SimulatedGrab();
    std::copy(samples.begin(), samples.end(), record.RawSamples.begin());
    record.SampleCount = static_cast<int>(samples.size());
    record.SamplePeriod = 0.001;
    record.IsDyna = dyna;
    record.LoTemp = 295.3;
    record.HiTemp = 352.8;
    record.ResistorPower = 3.6;
    analysis::DiskTable disks(5, analysis::DiskRow{});
    if (withDisks) disks[0] = {"100", "100", ""};
    const QString path = h.path(name);
    files::WriteCaptureFile(path.toStdString(), record, disks);
    return path;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

}  // namespace corvane::ui::test
