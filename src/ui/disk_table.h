#pragma once
// MOISG: the flywheel disk table (mass g, diameter mm, moment of inertia g*m^2).
// Every key that types a character recomputes the current row's moment of
// inertia from the row as it stood before that key (so it lags one key behind
// while a number is typed; Enter brings it up to date).

#include <QTableWidget>

#include "analysis/moment_of_inertia.h"
#include "text/number_format.h"

class QKeyEvent;

namespace corvane::ui {

class DiskCellDelegate;

class DiskTable : public QTableWidget {
    Q_OBJECT
public:
    explicit DiskTable(QWidget* parent = nullptr);

    void setNumberFormat(const text::NumberFormat& fmt) { format_ = fmt; }

    QString cellText(int col, int row) const;
    void setCellText(int col, int row, const QString& text);

    analysis::DiskTable table() const;
    // Replaces every row by the given rows (the row count follows).
    void setTable(const analysis::DiskTable& rows);

    // The key press handler: recomputes column 2 of the current row.
    void MOISGKeyPress(QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class DiskCellDelegate;
    static bool TypesCharacter(const QKeyEvent* event);
    text::NumberFormat format_;
    DiskCellDelegate* delegate_;
};

}  // namespace corvane::ui
