#pragma once
// F1 (help) and "?" (pressure label and PV window) attached control by control:
// the window does not preview keys, so only the controls given here obey them.

#include <QHash>
#include <QObject>
#include <QSet>
#include <functional>

#include "ui/help/help_viewer.h"

class QWidget;

namespace corvane::ui {

class KeyCommands : public QObject {
    Q_OBJECT
public:
    KeyCommands(std::function<void(int context)> onHelpKey, std::function<void()> onQuestionKey,
                QObject* parent = nullptr);
    // F1 is consumed and opens the help at the control's context.
    void attachHelpKey(QWidget* control, int context = kHelpContextStart);
    // "?" toggles, and the character passes on.
    void attachQuestionKey(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(int context)> onHelpKey_;
    std::function<void()> onQuestionKey_;
    QHash<QObject*, int> helpControls_;
    QSet<QObject*> questionControls_;
};

}  // namespace corvane::ui
