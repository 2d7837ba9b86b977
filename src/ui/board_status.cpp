#include "ui/board_status.h"

#include <QDebug>
#include <QEvent>
#include <QFrame>
#include <QShortcut>

#include "daq/board.h"
#include "ui/control_panel.h"
#include "ui/engine_simulator_window.h"
#include "ui/windows/memo_form.h"

namespace corvane::ui {

BoardStatus::BoardStatus(daq::Board& board, daq::SimulatedBoard* simulator, QWidget* window,
                         ControlPanel& panel, TForm2& log)
    : QObject(window),
      board_(board),
      simulator_(simulator),
      window_(window),
      panel_(panel),
      log_(log) {
    // Queued: the board is asked for its words once the access that turned the
    // indicator red has ended.
    connect(&panel_, &ControlPanel::boardValidChanged, this, &BoardStatus::showProblem,
            Qt::QueuedConnection);
    if (!simulator_) return;
    panel_.boardIsValid->installEventFilter(this);
    auto* shortcut = new QShortcut(QKeySequence("Ctrl+Shift+E"), window_);
    connect(shortcut, &QShortcut::activated, this, &BoardStatus::showSimulator);
}

void BoardStatus::showSimulator() {
    if (!simulator_) return;
    if (!simulatorWindow_) simulatorWindow_ = new EngineSimulatorWindow(*simulator_, window_);
    simulatorWindow_->show();
    simulatorWindow_->raise();
}

void BoardStatus::closeSimulator() {
    if (simulatorWindow_) simulatorWindow_->close();
}

bool BoardStatus::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel_.boardIsValid && event->type() == QEvent::MouseButtonDblClick)
        showSimulator();
    return QObject::eventFilter(watched, event);
}

void BoardStatus::showProblem() {
    if (panel_.boardValid()) return;
    const QString why = QString::fromStdString(board_.LastError());
    // Once per failure: the monitor keeps failing each second while the board is away.
    if (why.isEmpty() || why == panel_.boardProblem()) return;
    panel_.setBoardProblem(why);
    const QString line = "DAQ board: " + why;
    log_.appendLine(line);
    qWarning().noquote() << line;
}

}  // namespace corvane::ui
