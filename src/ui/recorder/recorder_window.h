#pragma once
// The "Recorder" window: records the engine into a folder off the window's
// thread (Start, Stop, Mark), shows the run as it goes (elapsed time, scans,
// gaps, cycles, file size, the engine monitor's values, whether it is
// steady) with its trends, and turns steady stretches and stretches the
// user zooms onto into operating points with the power curve they make.
// A finished or interrupted recording opens here too. Created hidden and
// kept for the run; closing it only hides it (a recording goes on).

#include <QWidget>
#include <functional>
#include <memory>

#include "daq/scan_stream.h"
#include "performance/performance.h"
#include "recording/background_recording.h"
#include "recording/chosen_stretches.h"
#include "recording/manifest.h"
#include "recording/operating_points.h"
#include "recording/steady_state.h"

class QCustomPlot;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace corvane::charts {
class GraphPlot;
}

namespace corvane::ui {

using charts::GraphPlot;

class CopyableTable;
class MomentChooser;
class RecorderLoops;
class RecorderTrends;

// What the window records from: the board's stream and the manifest's facts.
struct RecorderSource {
    std::function<std::unique_ptr<daq::ScanStream>()> openStream;
    std::function<recording::Manifest(const daq::StreamFormat&)> manifest;
    // Read at every start (the settings file may have changed); none: the defaults.
    std::function<recording::SteadyCriteria()> steadyCriteria;
    // The phase and calibration the report's loops are evaluated with; none: the defaults.
    std::function<performance::BenchSettings()> bench;
};

class RecorderWindow : public QWidget {
    Q_OBJECT
public:
    // The window's default folder for recordings: under the user's documents.
    static QString DefaultFolder();

    RecorderWindow(RecorderSource source, recording::SteadyCriteria steady,
                   QWidget* parent = nullptr);
    ~RecorderWindow() override;

    // Each recording goes into a new folder inside this one. Never the
    // program's folder or one inside it: refused (false) with the reason shown.
    QString folder() const { return folder_; }
    bool setFolder(const QString& folder);

    bool recording() const { return recording_ != nullptr; }
    // False with the reason shown when the folder or the stream cannot be made.
    bool startRecording();
    void stopRecording();
    // The mark field's text (Enter in the field does the same).
    void mark();
    // Shows a recording folder; false with the reason shown when it cannot be read.
    bool openRecording(const QString& runFolder);
    // Takes what the recording's thread has done since (the timer does this every 25 ms).
    void poll();
    // The visible time range of the trends as an operating point of its own,
    // kept in the recording folder (also while recording).
    void addShownStretch();
    // The stretch chosen last is no longer an operating point (nor in the folder).
    void removeLastChosen();
    // The second from `seconds` of the recording shown becomes the main
    // window's capture (momentChosen); refused while recording or with none shown.
    void chooseMoment(double seconds);
    // The shown recording's report as a PDF ("Save report…"); false with the
    // reason in the status line (also while a recording runs).
    bool saveReport(const QString& pdfPath);

    const std::vector<recording::CycleRow>& cycles() const { return cycles_; }
    const std::vector<recording::OperatingPoint>& operatingPoints() const { return points_; }
    QString runFolder() const { return runFolder_; }

    RecorderTrends* trends() const { return trends_; }
    RecorderLoops* loops() const { return loops_; }
    MomentChooser* momentChooser() const { return moment_; }
    CopyableTable* pointsTable() const { return table_; }
    QCustomPlot* powerCurve() const { return curve_; }
    QLabel* steadyIndicator() const { return steady_; }
    QLabel* gapsLabel() const { return gaps_; }
    QLabel* statusLine() const { return status_; }
    QLineEdit* markField() const { return markText_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }

signals:
    void recordingChanged(bool recording);
    // A second of the recording in runFolder, to be analysed as an imported grab.
    void momentChosen(const QString& runFolder, double seconds);

private:
    QWidget* buildControls();
    QWidget* buildFigures();
    QWidget* buildPoints();
    void showCounts(const recording::RecordingStatus& status);
    void showSteady(bool steady);
    void updatePoints();
    void showPoints();
    void chooseFolder();
    void chooseRecording();
    void saveTable();
    void chooseReportFile();
    void finishRecording(const recording::RecordingEnd& end);
    void resetRun();
    QWidget* buildLoopsAndPoints(QWidget* parent);
    void showNewLoops();
    void keepChosen();
    std::vector<recording::Stretch> chosenCycles() const;

    RecorderSource source_;
    recording::SteadyCriteria criteria_;
    QString folder_;
    QString runFolder_;
    std::unique_ptr<recording::BackgroundRecording> recording_;
    std::vector<recording::CycleRow> cycles_;
    std::vector<recording::Event> events_;
    std::vector<recording::ChosenStretch> chosen_;  // as kept in the folder
    std::vector<recording::OperatingPoint> points_;
    std::size_t pointsFromCycles_ = 0;  // cycles the points were last worked out from

    QTimer* timer_;
    QPushButton *start_, *stop_, *markButton_;
    QLineEdit* markText_;
    QLabel *folderLabel_, *elapsed_, *scans_, *gaps_, *cycleCount_, *size_, *monitor_, *steady_;
    QLabel* status_;
    RecorderTrends* trends_;
    RecorderLoops* loops_;
    std::uint64_t loopsShown_ = 0;  // loops evaluated when they were last drawn
    MomentChooser* moment_;
    CopyableTable* table_;
    QCustomPlot* curve_;
};

}  // namespace corvane::ui
