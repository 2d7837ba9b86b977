#pragma once
// F1 (help) and "?" (pressure label and PV window) attached control by control:
// the window does not preview keys, so only the controls given here obey them.

#include <QObject>
#include <QSet>
#include <functional>

class QWidget;

namespace corvane::ui {

class KeyCommands : public QObject {
    Q_OBJECT
public:
    KeyCommands(std::function<void()> onHelpKey, std::function<void()> onQuestionKey,
                QObject* parent = nullptr);
    // F1 is consumed and opens the help.
    void attachHelpKey(QWidget* control);
    // "?" toggles, and the character passes on.
    void attachQuestionKey(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onHelpKey_;
    std::function<void()> onQuestionKey_;
    QSet<QObject*> helpControls_;
    QSet<QObject*> questionControls_;
};

}  // namespace corvane::ui
