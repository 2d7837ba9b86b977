#pragma once
// F1 (help) and "?" (pressure label and PV window) attached control by control:
// the window does not preview keys, so only the controls given here obey them.

#include <QHash>
#include <QObject>
#include <QSet>

#include "ui/help/help_viewer.h"

class QWidget;

namespace corvane::ui {

class KeyCommands : public QObject {
    Q_OBJECT
public:
    explicit KeyCommands(QObject* parent = nullptr);
    // F1 is consumed and opens the help at the control's context.
    void attachHelpKey(QWidget* control, int context = kHelpContextStart);
    // "?" toggles, and the character passes on.
    void attachQuestionKey(QWidget* control);

signals:
    // F1 on a control given to attachHelpKey, with its context.
    void helpKey(int context);
    // "?" on a control given to attachQuestionKey.
    void questionKey();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QObject*, int> helpControls_;
    QSet<QObject*> questionControls_;
};

}  // namespace corvane::ui
