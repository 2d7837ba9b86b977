#pragma once
// What the window tests share: a user who answers the dialogs from a script,
// a window on a test board with its settings in a temporary folder, and
// captures made by the simulated engine.

#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "daq/board.h"
#include "ui/main_window.h"
#include "ui/user_prompts.h"

class QCheckBox;
class QTimer;

namespace corvane::charts {
class ChartStack;
}

namespace corvane::ui {
class ControlPanel;
class EngineSimulatorWindow;
class GraphCommands;
class PerformanceWindow;
class RecorderWindow;
class TForm2;
class TpvImageForm;
}  // namespace corvane::ui

namespace corvane::daq {
class ScriptedBoard;
}

namespace corvane::ui::test {

// What the user reads when a capture finds no board, word for word.
inline const QString kMissingBoard =
    "DAQ hardware not found: plug your USB cable in and re-start this program.\r\n"
    "You may have to run the InstaCal program again.";

class ScriptedUser : public UserPrompts {
public:
    struct Box {
        QString caption;
        QString text;
    };
    // An empty answer (or none left) cancels the dialog.
    std::deque<QString> saveAnswers;
    std::deque<QString> openAnswers;
    std::deque<QStringList> openManyAnswers;
    std::deque<bool> confirmAnswers;
    std::deque<int> numberAnswers;     // none left cancels
    std::deque<QString> printAnswers;  // prints into this PDF file; empty cancels

    std::vector<FileDialogSetup> dialogs;
    std::vector<Box> messages;
    std::vector<QString> confirmations;
    std::vector<QString> numberQuestions;
    std::vector<QString> errors;
    int beeps = 0;

    std::optional<QString> saveFileName(QWidget*, const FileDialogSetup& setup) override;
    std::optional<QString> openFileName(QWidget*, const FileDialogSetup& setup) override;
    std::optional<QStringList> openFileNames(QWidget*, const FileDialogSetup& setup) override;
    void message(QWidget*, const QString& caption, const QString& text) override;
    bool confirm(QWidget*, const QString& text) override;
    void reportError(QWidget*, const std::exception& error) override;
    void beep() override { ++beeps; }
    std::optional<int> askNumber(QWidget*, const QString& title, const QString& label, int value,
                                 int min, int max) override;
    bool choosePrinter(QWidget*, QPrinter& printer) override;
};

struct Harness {
    QTemporaryDir folder;
    std::shared_ptr<ScriptedUser> user = std::make_shared<ScriptedUser>();
    daq::Board* board = nullptr;  // owned by the window
    std::vector<int> helpContexts;
    ClosingWait closingWait;  // given to the window at creation
    std::unique_ptr<TForm1> form;

    daq::ScriptedBoard& scripted();
    QString path(const QString& name) const { return folder.filePath(name); }
    void writeSettings(const QByteArray& text) const;
    QByteArray readSettings() const;
    // Creates the window (not shown).
    void create(std::unique_ptr<daq::Board> board = {}, bool armTimers = false);
    // Creates and shows it: FormShow loads the settings.
    void start(std::unique_ptr<daq::Board> board = {}, bool armTimers = false);
};

// The window's parts by their object names, the names the lab's documents use.
// Each fails the test when the part is missing, except the simulator window,
// which is null until it has been opened.
QCheckBox* Box(const QWidget* parent, const char* name);
ControlPanel* Panel1(const QWidget& form);
charts::ChartStack* Panel2(const QWidget& form);
QTimer* ContinuousTimer(const QWidget& form);
GraphCommands* Commands(const QWidget& form);
EngineSimulatorWindow* EngineSimulator(const QWidget& form);
// The window's other windows, top-level windows of their own: the PV picture,
// the text (log) window, Engine performance and the Recorder. Each fails the
// test when no window, or more than one, has its name.
TpvImageForm* PvImageForm();
TForm2* Form2();
PerformanceWindow* PerformanceForm();
RecorderWindow* RecorderForm();

// Raw samples of one live capture of the simulated engine at its defaults.
std::vector<std::uint16_t> SimulatedGrab(double rpm = 500.0);
std::vector<std::uint16_t> SimulatedDyna();
// A capture file of the simulated engine as Export writes it, in the harness'
// folder; a dyna's file names the simulated flywheel (100 g, 100 mm) unless
// told otherwise.
QString WriteCapture(const Harness& h, const QString& name, bool dyna, bool withDisks = true);
// A file's bytes (empty when it cannot be read).
QByteArray ReadAll(const QString& path);
// The simulated engine with scans that return at once.
std::unique_ptr<daq::Board> InstantSimulatedBoard(double rpm = 500.0, bool tooHot = false);

}  // namespace corvane::ui::test
