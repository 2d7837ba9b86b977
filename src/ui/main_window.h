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
#include "analysis/speed_history.h"
#include "daq/board.h"
#include "performance/performance.h"
#include "text/number_format.h"
#include "ui/busy_gate.h"
#include "ui/capture_window.h"
#include "ui/scan_session.h"

class QTimer;

namespace corvane::daq {
class SimulatedBoard;
}

namespace corvane::charts {
class ChartStack;
}

namespace corvane::recording {
class LatestScans;
}

namespace corvane::ui {

class AcquisitionFlow;
class AnalysisPresenter;
class BoardStatus;
class CaptureFileFlow;
class EngineMonitor;
class GraphCommands;
class ControlPanel;
class FormState;
class KeyCommands;
class PerformanceWindow;
class RecorderWindow;
class TForm2;
class TpvImageForm;
class UserPrompts;
class WindowHelp;

class TForm1 : public QWidget, public CaptureWindow {
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

    // What the tests read of the window beside its widgets, which they reach by
    // object name (Panel1, Panel2, ContinuousTimer, GraphCommands, ...; the PV,
    // text, Engine performance and Recorder windows are top-level windows of
    // their own, found by their names too): the capture and the two flags that
    // no widget shows.
    analysis::CaptureRecord& record() { return *record_; }
    bool acquiring() const { return Acquiring; }
    bool busy() const { return gate_.busy(); }
    QString settingsPath() const override;

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
    // The Recorder window (its button below Performance, or Ctrl+Shift+R).
    void RecordButtonClick();
    void createRecorder();

public:
    void ImportCaptureFile(const QString& path);
    void ReadEngineMonitor(analysis::CaptureRecord& target);
    void AnalyseCapture() override;
    void MarkCaptureSource(bool fromBoard) override;
    void PrepareCapture(files::CaptureKind kind, analysis::CaptureRecord& target) override;

signals:
    // The window was closed: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void createParts();
    void createOtherWindows();
    // The simulated engine's marks and window, the board's failures.
    void showBoardKind();
    void createFlows();
    void connectHandlers();
    void attachKeys();
    // Runs one handler; an error ends it there and is shown to the user.
    void Run(const std::function<void()>& handler);
    // Runs an operation on the capture through the busy gate (and Run);
    // returns false when another one runs and this one is refused.
    bool Perform(const std::function<void()>& operation) override;
    QString startFolder() const override { return AppDir; }
    std::optional<report::ReportSubject> reportSubject() const override;
    // A Grab of continuous mode; one refused while another operation runs is
    // taken at the next tick after that operation, while the box stays checked.
    void ContinuousGrab();
    void showHelpTopic(int context);

    Options options_;
    std::unique_ptr<daq::Board> board_;
    std::shared_ptr<UserPrompts> prompts_;
    text::NumberFormat format_;
    performance::BenchSettings bench_;  // the settings file's, for the finer evaluation
    ControlPanel* Panel1 = nullptr;
    charts::ChartStack* Panel2 = nullptr;
    std::unique_ptr<TpvImageForm> pvImageForm_;           // top-level
    std::unique_ptr<TForm2> Form2_;                       // top-level
    std::unique_ptr<PerformanceWindow> performanceForm_;  // top-level
    std::unique_ptr<RecorderWindow> recorderForm_;        // top-level
    // A running recording's latest scans: the captures and the monitor read them.
    std::shared_ptr<recording::LatestScans> latest_;
    KeyCommands* keys_ = nullptr;
    GraphCommands* commands_ = nullptr;
    QTimer* ContinuousTimer = nullptr;
    QTimer* TempMonitorTimer = nullptr;
    std::unique_ptr<analysis::CaptureRecord> record_;  // holds RawSamples
    analysis::SpeedHistory speed_;                     // RPMDataSeries, drawn on Chart4
    std::unique_ptr<AnalysisPresenter> presenter_;
    BusyGate gate_;
    std::unique_ptr<EngineMonitor> monitor_;
    std::unique_ptr<AcquisitionFlow> acquisition_;
    std::unique_ptr<CaptureFileFlow> files_;
    QString AppDir;
    std::unique_ptr<WindowHelp> help_;
    BoardStatus* boardStatus_ = nullptr;
    std::unique_ptr<FormState> state_;
    bool Acquiring = false;
    bool shown_ = false;
};

}  // namespace corvane::ui
