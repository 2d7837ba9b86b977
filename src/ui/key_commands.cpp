#include "ui/key_commands.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace corvane::ui {

KeyCommands::KeyCommands(std::function<void(int context)> onHelpKey,
                         std::function<void()> onQuestionKey, QObject* parent)
    : QObject(parent), onHelpKey_(std::move(onHelpKey)), onQuestionKey_(std::move(onQuestionKey)) {}

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
        onHelpKey_(helpControls_.value(watched));
        return true;
    }
    if (key->text() == "?" && questionControls_.contains(watched)) onQuestionKey_();
    return false;
}

}  // namespace corvane::ui
