#pragma once
// Choosing one second of an opened recording for the main window to analyse
// as a grab: its moment typed (seconds, or minutes:seconds) or clicked on
// the trends, and the words the main window's caption names it by.

#include <QString>
#include <QWidget>
#include <optional>

class QLineEdit;

namespace corvane::ui {

// "125.5" or "2:05.5" (minutes:seconds) from the recording's start; none
// for anything else, a negative or a non-finite time.
std::optional<double> ParseMoment(const QString& text);
// The recording's folder name and the second: "run-20261208-193000 at 125.000 s".
QString MomentName(const QString& runFolder, double seconds);

class MomentChooser : public QWidget {
    Q_OBJECT
public:
    explicit MomentChooser(QWidget* parent = nullptr);

    QLineEdit* field() const { return field_; }
    // Shows a moment chosen elsewhere (a click on the trends).
    void setMoment(double seconds);

signals:
    // Enter in the field or the button, with a moment that reads.
    void chosen(double seconds);
    // ... with one that does not, and why.
    void refused(const QString& why);

private:
    void choose();

    QLineEdit* field_;
};

}  // namespace corvane::ui
