#include "ui/key_commands.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace corvane::ui {

KeyCommands::KeyCommands(QObject* parent) : QObject(parent) {}

void KeyCommands::attachHelpKey(QWidget* control, int context) {
    helpControls_.insert(control, context);
    control->installEventFilter(this);
}

void KeyCommands::attachQuestionKey(QWidget* control) {
    questionControls_.insert(control);
    control->installEventFilter(this);
}

bool KeyCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // Only the control that has the focus decides; an unhandled key that
    // travels on to the parents must not trigger a second time.
    auto* widget = qobject_cast<QWidget*>(watched);
    QWidget* focus = QApplication::focusWidget();
    if (!widget || !focus || !(focus == widget || widget->isAncestorOf(focus))) return false;
    if (key->key() == Qt::Key_F1 && helpControls_.contains(watched)) {
        emit helpKey(helpControls_.value(watched));
        return true;
    }
    if (key->text() == "?" && questionControls_.contains(watched)) emit questionKey();
    return false;
}

}  // namespace corvane::ui
