#pragma once
// A read-only table whose cells go to a spreadsheet: Ctrl+C and the context
// menu's "Copy" put the selected cells on the clipboard as tab-separated text,
// one line per row, so a paste gives the same cells. With nothing selected,
// or a selection that spans every row, the column headings come first.

#include <QTableWidget>

#include "ui/performance/performance_texts.h"

class QAction;

namespace corvane::ui {

class CopyableTable : public QTableWidget {
    Q_OBJECT
public:
    explicit CopyableTable(QWidget* parent = nullptr);

    // Replaces headings and cells.
    void setContents(const TableText& contents);
    // The text Copy puts on the clipboard.
    QString tabSeparated() const;
    void copy() const;
    QAction* copyAction() const { return copyAction_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAction* copyAction_;
};

}  // namespace corvane::ui
