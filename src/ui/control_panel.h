#pragma once
// Panel1: the narrow control panel on the left of the main window, with every
// control at its designed place, text, hint and tab order.

#include <QFont>
#include <QFrame>
#include <array>
#include <map>
#include <vector>

#include "charts/graph_table.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace corvane::ui {

class DiskTable;
class KeyCommands;
class ResultsTable;
class ScanProgress;

class ControlPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 113;
    // The Engine performance window's key, also named in the button's hint.
    static constexpr const char* kPerformanceShortcut = "Ctrl+E";
    // The Recorder window's key, also named in the Record button's hint.
    static constexpr const char* kRecorderShortcut = "Ctrl+Shift+R";
    explicit ControlPanel(QWidget* parent = nullptr);

    QPushButton* GrabButton;
    QFrame* boardIsValid;
    QCheckBox* ContinuousCB;
    QPushButton* DynaButton;
    QLabel* lPress;
    QPushButton* ExportButton;
    QPushButton* ImportButton;
    QPushButton* MultipleButton;
    QPushButton* HelpButton;
    QPushButton* QuitButton;
    QPushButton* Button1;
    QLabel* lTemps;
    QLabel* lError;
    ResultsTable* SG;
    QGroupBox* GroupBox1;
    // The five graph check boxes in the order of kGraphs.
    std::array<QCheckBox*, charts::kGraphs.size()> graphBoxes;
    QLabel* Label1;
    DiskTable* MOISG;
    // Opens the Engine performance window; below the disk table, last in the tab order.
    QPushButton* PerformanceButton;
    // Opens the Recorder window; below the Performance button.
    QPushButton* RecordButton;
    // Shown only while a scan runs: the seconds of the scan elapsed.
    ScanProgress* scanProgress;

    // Board indicator colours: green RGB 0,128,0 for a board that answered, red 255,0,0.
    // Green also drops the problem from the hint.
    void setBoardValid(bool valid);
    bool boardValid() const { return boardValid_; }
    // Lines under the indicator's designed hint: a standing note (the simulated
    // engine), then why the board failed, in its own words.
    void setBoardNote(const QString& note);
    void setBoardProblem(const QString& why);
    QString boardProblem() const { return boardProblem_; }
    // lPress, lTemps and lError size themselves to their text, keeping their
    // left and top. A line wider than the room left to the panel's edge is
    // drawn in a smaller font than designed, so every figure stays whole.
    void setLabelText(QLabel* label, const QString& text);
    // The pixels from a label's left edge to the panel's inner right edge.
    int roomRightOf(const QWidget* control) const;

    // The controls that answer F1 with the help, and those that answer "?".
    std::vector<QWidget*> helpKeyControls() const;
    std::vector<QWidget*> questionKeyControls() const;
    // F1 (at the start page, or the Engine performance page on its button) and
    // "?" on the controls above.
    void attachKeys(KeyCommands& keys) const;
    // The results and disk tables' columns as designed.
    void setDesignedColumnWidths();

    charts::GraphChoice graphChoice() const;
    // Sets the boxes in the order of the table; a box whose state changes runs its handler.
    void setGraphChoice(const charts::GraphChoice& choice);

signals:
    // The indicator turned green or red.
    void boardValidChanged(bool valid);

private:
    // The controls from the top of the panel down, in their designed places.
    void createCaptureControls();
    void createFileControls();
    void createResultControls();
    void createGraphBoxes();
    void createDiskControls();
    void setTabOrders();
    void showBoardHint();
    bool boardValid_ = true;
    std::map<const QLabel*, QFont> designFonts_;
    QString boardNote_;
    QString boardProblem_;
};

}  // namespace corvane::ui
