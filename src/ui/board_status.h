#pragma once
// The board beside the window: the Engine simulator window that the board
// indicator opens while the simulated engine is the board (double-click, or
// Ctrl+Shift+E), and the board's own words for a failure, in the indicator's
// hint and the log, once per failure.

#include <QObject>

class QWidget;

namespace corvane::daq {
class Board;
class SimulatedBoard;
}  // namespace corvane::daq

namespace corvane::ui {

class ControlPanel;
class EngineSimulatorWindow;
class TForm2;

class BoardStatus : public QObject {
    Q_OBJECT
public:
    // `simulator` is the board itself when it is the simulated engine, else null.
    BoardStatus(daq::Board& board, daq::SimulatedBoard* simulator, QWidget* window,
                ControlPanel& panel, TForm2& log);

    // Opens (or raises) the Engine simulator window; nothing without the simulated engine.
    void showSimulator();
    EngineSimulatorWindow* simulatorWindow() const { return simulatorWindow_; }
    void closeSimulator();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showProblem();

    daq::Board& board_;
    daq::SimulatedBoard* simulator_;
    QWidget* window_;
    ControlPanel& panel_;
    TForm2& log_;
    EngineSimulatorWindow* simulatorWindow_ = nullptr;  // a child of the window
};

}  // namespace corvane::ui
