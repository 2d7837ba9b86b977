#pragma once
// The scan's progress under the disk table, shown only while a scan runs: its
// text ("Scan: 2 of 4 s") on a line of its own above a thin bar, so the fill
// never covers a figure.

#include <QWidget>

class QLabel;
class QProgressBar;

namespace corvane::ui {

class ScanProgress : public QWidget {
    Q_OBJECT
public:
    explicit ScanProgress(QWidget* parent = nullptr);

    // Shows "Scan: N s" and an empty bar.
    void start(double seconds);
    // Shows the second under way ("Scan: 1 of 4 s") and fills the bar.
    void setElapsed(double elapsed);
    QLabel* label() const { return label_; }
    QProgressBar* bar() const { return bar_; }

private:
    QLabel* label_;
    QProgressBar* bar_;
    double seconds_ = 0;
};

}  // namespace corvane::ui
