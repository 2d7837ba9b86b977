#pragma once
// TForm1: the main window. The handlers keep the names the users' manual and
// the lab's documents use; each delegates to a small class (control panel,
// graph stack, results and disk tables, acquisition flow, capture-file flow,
// engine monitor), and every operation on the capture passes one busy gate.

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "analysis/analyse_capture.h"
#include "analysis/capture_record.h"
#include "daq/board.h"
#include "performance/performance.h"
#include "text/number_format.h"
#include "ui/busy_gate.h"
#include "ui/scan_session.h"

class QTimer;

namespace corvane::daq {
class SimulatedBoard;
}

namespace corvane::ui {

class AcquisitionFlow;
class CaptureFileFlow;
class EngineMonitor;
class EngineSimulatorWindow;
class GraphCommands;
class HelpViewer;
class ChartStack;
struct FormSettings;
class ControlPanel;
class KeyCommands;
class PerformanceWindow;
class SettingsStore;
class TForm2;
class TpvImageForm;
class UserPrompts;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    struct Options {
        std::unique_ptr<daq::Board> board;         // required
        bool simulated = false;                    // the board is the simulated engine
        daq::SimulatedBoard* simulator = nullptr;  // the same, for the simulator window
        QString
            settingsFolder;  // empty: the program's folder or ~/.config/corvane (LocateSettings)
        std::shared_ptr<UserPrompts> prompts;       // empty: the real dialogs and boxes
        std::function<void(int context)> showHelp;  // empty: the help window
        bool armTimers = true;    // tests that drive every tick themselves say false
        ClosingWait closingWait;  // how long closing waits for a running scan
    };

    explicit TForm1(Options options, QWidget* parent = nullptr);
    ~TForm1() override;  // FormDestroy

    // Parts, for the program's own wiring and for tests.
    ControlPanel* panel1() const { return Panel1; }
    ChartStack* panel2() const { return Panel2; }
    TpvImageForm* pvImageForm() const { return pvImageForm_; }
    TForm2* form2() const { return Form2_; }
    PerformanceWindow* performanceForm() const { return performanceForm_; }
    analysis::CaptureRecord& record() { return *record_; }
    QTimer* continuousTimer() const { return ContinuousTimer; }
    QTimer* tempMonitorTimer() const { return TempMonitorTimer; }
    bool acquiring() const { return Acquiring; }
    bool busy() const { return gate_.busy(); }
    QString appDir() const { return AppDir; }
    QString settingsPath() const;
    daq::Board& board() { return *board_; }
    EngineSimulatorWindow* engineSimulator() const { return simulatorWindow_; }
    GraphCommands* graphCommands() const { return commands_; }

public slots:
    void FormShow();
    void QuitButtonClick();
    void HelpButtonClick();
    void Button1Click();
    void FormKeyPress();  // the "?" key
    void PressureCBClick();
    void FormResize();
    void Chart1Scroll(int sender);
    void Chart1UndoZoom();
    void GrabButtonClick();
    void ContinuousCBClick();
    void ContinuousTimerTimer();
    void DynaButtonClick();
    void TempMonitorTimerTimer();
    void ExportButtonClick();
    void ImportButtonClick();
    void MultipleButtonClick();
    // The simulated engine's window (double-click on the board indicator, or Ctrl+Shift+E).
    void ShowEngineSimulator();
    // The Engine performance window (its button below the disk table, or Ctrl+E).
    void PerformanceButtonClick();

public:
    void ImportCaptureFile(const QString& path);
    void PrepareGrab(analysis::CaptureRecord& target);
    void PrepareDyna(analysis::CaptureRecord& target);
    void ReadEngineMonitor(analysis::CaptureRecord& target);
    void ShowEngineMonitor(const analysis::CaptureRecord& source);
    void AnalyseCapture();

signals:
    // The window was closed: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void createFlows();
    void createFileFlow();
    void createGraphCommands();
    void connectHandlers();
    void attachKeys();
    void loadSettings();
    // What an analysis of the record takes from the window: the disk table, the
    // number format, Chart4's range and, when asked, the speed graph's points.
    analysis::AnalysisInputs analysisInputs(bool speedGraphIsInput) const;
    void saveSettings();
    FormSettings currentFormState() const;
    // Runs one handler; an error ends it there and is shown to the user.
    void Run(const std::function<void()>& handler);
    // Runs an operation on the capture through the busy gate (and Run);
    // returns false when another one runs and this one is refused.
    bool Perform(const std::function<void()>& operation);
    // A Grab of continuous mode; one refused while another operation runs is
    // taken at the next tick after that operation, while the box stays checked.
    void ContinuousGrab();
    // The board's words for its failure, in the indicator's hint and the log.
    void ShowBoardProblem();
    void showHelpTopic(int context);
    void ShowManual(int context);

    Options options_;
    std::unique_ptr<daq::Board> board_;
    std::shared_ptr<UserPrompts> prompts_;
    text::NumberFormat format_;
    performance::BenchSettings bench_;  // the settings file's, for the finer evaluation
    ControlPanel* Panel1 = nullptr;
    ChartStack* Panel2 = nullptr;
    TpvImageForm* pvImageForm_ = nullptr;           // top-level, owned
    TForm2* Form2_ = nullptr;                       // top-level, owned
    PerformanceWindow* performanceForm_ = nullptr;  // top-level, owned
    KeyCommands* keys_ = nullptr;
    GraphCommands* commands_ = nullptr;
    QTimer* ContinuousTimer = nullptr;
    QTimer* TempMonitorTimer = nullptr;
    std::unique_ptr<analysis::CaptureRecord> record_;  // holds RawSamples
    BusyGate gate_;
    std::unique_ptr<EngineMonitor> monitor_;
    std::unique_ptr<AcquisitionFlow> acquisition_;
    std::unique_ptr<CaptureFileFlow> files_;
    QString AppDir;
    QString ManualFolder;  // the help: the HTML manual beside the program
    HelpViewer* helpViewer_ = nullptr;
    EngineSimulatorWindow* simulatorWindow_ = nullptr;
    std::unique_ptr<SettingsStore> settings_;
    bool Acquiring = false;
    bool shown_ = false;
};

}  // namespace corvane::ui
