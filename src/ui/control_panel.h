#pragma once
// Panel1: the narrow control panel on the left of the main window, with every
// control at its designed place, text, hint and tab order.

#include <QFrame>

class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace corvane::ui {

class DiskTable;
class ResultsTable;

class ControlPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 113;
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
    QCheckBox* PressureCB;
    QCheckBox* TachCB;
    QCheckBox* PVCB;
    QCheckBox* RPMCB;
    QCheckBox* PowerCB;
    QLabel* Label1;
    DiskTable* MOISG;
    // Shown only while a scan runs: the seconds of the scan elapsed.
    QProgressBar* scanProgress;

    // Board indicator colours: green RGB 0,128,0 for a board that answered, red 255,0,0.
    // Green also drops the problem from the hint.
    void setBoardValid(bool valid);
    bool boardValid() const { return boardValid_; }
    // Lines under the indicator's designed hint: a standing note (the simulated
    // engine), then why the board failed, in its own words.
    void setBoardNote(const QString& note);
    void setBoardProblem(const QString& why);
    QString boardProblem() const { return boardProblem_; }
    // Labels that size themselves to their text, keeping their left and top.
    static void SetAutoSizedText(QLabel* label, const QString& text);

signals:
    // The indicator turned green or red.
    void boardValidChanged(bool valid);

private:
    void setTabOrders();
    void showBoardHint();
    bool boardValid_ = true;
    QString boardNote_;
    QString boardProblem_;
};

}  // namespace corvane::ui
