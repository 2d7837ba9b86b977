#pragma once
// TForm2, the text window: Memo1 holds the log of the last capture analysis
// (flywheel holes, wide-hole search, angle table). Escape closes it.

#include <QWidget>
#include <string>
#include <vector>

class QPlainTextEdit;

namespace corvane::ui {

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // Replaces the memo's text with these lines (each analysis clears it first).
    void setLines(const std::vector<std::string>& lines);
    // Adds one line at the end (the board's failures between analyses).
    void appendLine(const QString& line);
    QPlainTextEdit* memo1() const { return Memo1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;  // Memo1KeyDown

private:
    QPlainTextEdit* Memo1;
};

}  // namespace corvane::ui
